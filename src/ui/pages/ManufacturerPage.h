#pragma once

#include <functional>

#include "ui/pages/PanelPage.h"

class QPushButton;

namespace ostrivane {

// "MANUFACTURER": device identity, capabilities, and the whole-device operations.
class ManufacturerPage final : public PanelPage {
  Q_OBJECT

 public:
  static constexpr int kIndex = 4;

  ManufacturerPage(PanelHost& host, OperationContext& ctx, QWidget* parent);

  void PageShow(bool flag) override;
  void PageEnable() override;

 private:
  QPushButton* AddButton(int id, const char* text, const char* objectName, const char* spoken,
                         std::function<void()> action);
  void SaveConfiguration();
  void LoadConfiguration();
  void SetFactoryDefault();

  QPushButton* m_save = nullptr;
  QPushButton* m_load = nullptr;
  QPushButton* m_factoryDefault = nullptr;
  QPushButton* m_clockSet = nullptr;
  QPushButton* m_firmwareReload = nullptr;
  QPushButton* m_reset = nullptr;
  QPushButton* m_snapshot = nullptr;
};

}  // namespace ostrivane
