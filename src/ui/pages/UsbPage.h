#pragma once

#include "ui/pages/PanelPage.h"

class QLineEdit;

namespace ostrivane {

// "USB (M1A)": USB player, play/record schedule, logo overlay and the device clock field.
class UsbPage final : public PanelPage {
  Q_OBJECT

 public:
  static constexpr int kIndex = 2;

  UsbPage(PanelHost& host, OperationContext& ctx, QWidget* parent);

  void RefreshScheduleList();
  void ShowUsbStatus();
  void SetClockText(const QString& text);
  QString ClockText() const;

 private:
  QLineEdit* m_clock = nullptr;
};

}  // namespace ostrivane
