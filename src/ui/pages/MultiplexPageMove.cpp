// The MULTIPLEX page and the device's own address: changing it while the device is reached over
// the network moves the device away from the link. The search then finds it again where it
// announces itself (the discovery table holds the address each device announces).
#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>

#include "texts/TextTable.h"
#include "ui/pages/FieldMarks.h"
#include "ui/pages/MultiplexPage.h"

namespace ostrivane {

QString MultiplexPage::MoveTarget() const {
  if (m_dhcp->isChecked()) return QStringLiteral("DHCP");
  return FieldMarks::IsWholeAddress(m_deviceIp->text()) ? m_deviceIp->text()
                                                        : Ctx().config.IpAddress;
}

void MultiplexPage::ConfirmDeviceMove(std::function<void()> then) {
  const DeviceConfig& config = Ctx().config;
  const auto changes = [](const QLineEdit* edit, const QString& held) {
    return FieldMarks::IsWholeAddress(edit->text()) && edit->text() != held;
  };
  const bool moves = (m_dhcp->isChecked() ? 1 : 0) != config.Dhcp ||
                     changes(m_deviceIp, config.IpAddress) || changes(m_mask, config.SubnetMask) ||
                     changes(m_gateway, config.Gateway);
  if (!moves || !Host().OverNetwork()) {
    then();
    return;
  }
  // One question at a time; the answer to it covers what was changed meanwhile.
  if (m_moveQuestion != nullptr) return;
  m_moveQuestion = new QMessageBox(QMessageBox::Question, QStringLiteral("Ostrivane"),
                                   Text(text::DeviceWillMove).arg(MoveTarget()),
                                   QMessageBox::Ok | QMessageBox::Cancel, window());
  m_moveQuestion->setObjectName(QStringLiteral("deviceMoveQuestion"));
  m_moveQuestion->setDefaultButton(QMessageBox::Cancel);
  m_moveQuestion->setWindowModality(Qt::WindowModal);
  m_moveQuestion->setAttribute(Qt::WA_DeleteOnClose);
  connect(m_moveQuestion, &QMessageBox::finished, this, [this, then = std::move(then)](int answer) {
    m_moveQuestion = nullptr;
    if (answer == QMessageBox::Ok) {
      then();
    } else {
      // The fields show what the device keeps.
      Host().SelectPage(Host().CurrentPage());
    }
  });
  m_moveQuestion->open();
}

}  // namespace ostrivane
