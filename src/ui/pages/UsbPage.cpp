#include "ui/pages/UsbPage.h"

#include <QGridLayout>
#include <QLineEdit>

#include "ui/ControlIds.h"

namespace ostrivane {

UsbPage::UsbPage(PanelHost& host, OperationContext& ctx, QWidget* parent)
    : PanelPage(kIndex, host, ctx, parent) {
  m_clock = AddControl(control::ClockField, new QLineEdit(this), "deviceClock",
                       QStringLiteral("Device clock"));
  m_clock->setReadOnly(true);
  m_clock->setMaxLength(5);
  m_clock->setFixedWidth(m_clock->fontMetrics().horizontalAdvance(QStringLiteral("00:00")) * 2);

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->addWidget(m_clock, 0, 0);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(1, 1);
  ChainTabOrder();
}

void UsbPage::RefreshScheduleList() {}

void UsbPage::ShowUsbStatus() {}

void UsbPage::SetClockText(const QString& text) {
  if (m_clock->text() != text) m_clock->setText(text);
}

QString UsbPage::ClockText() const {
  return m_clock->text();
}

}  // namespace ostrivane
