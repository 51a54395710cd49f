#pragma once

#include "ui/pages/PanelPage.h"

namespace ostrivane {

class ColouredTabBar;

// "SERVICE": the services of the multiplex, one tab of strip 1271 per service entry.
class ServicePage final : public PanelPage {
  Q_OBJECT

 public:
  static constexpr int kIndex = 1;

  ServicePage(PanelHost& host, OperationContext& ctx, QWidget* parent);

  void PageShow(bool flag) override;
  // Tab labels with the input format the device reports for each service.
  void ShowServiceTabLabels();
  void SelectServiceTab(int index);
  ColouredTabBar* ServiceTabs() const { return m_serviceTabs; }

 private:
  ColouredTabBar* m_serviceTabs = nullptr;
};

// "M1A", "M1B", "M2A", "M2B", each followed by the format of the last service up to it that has
// an input signal (" 1080i50 PCM").
QStringList ServiceTabLabels(const DeviceStatus& status, int serviceCount);

}  // namespace ostrivane
