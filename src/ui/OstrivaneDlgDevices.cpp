// The main window's choice among several networked modulators: the list, the background
// identification of its entries, the pick and "Change device".

#include <memory>

#include "files/LastDevice.h"
#include "ui/DeviceList.h"
#include "ui/Info.h"
#include "ui/OstrivaneDlg.h"
#include "ui/device/ConnectionSteps.h"
#include "ui/device/DeviceThread.h"

namespace ostrivane {

void COstrivaneDlg::BuildDeviceList() {
  m_choice = DeviceChoice(LoadLastDevice(m_ctx.settings.DataFolder()));
  m_listening.start();
  m_deviceList = new CDeviceList(m_ctx.settings.LanguageIndex(), this);
  m_deviceList->hide();
  connect(m_deviceList, &CDeviceList::Picked, this, &COstrivaneDlg::OnDevicePicked);
  m_deviceListTimer.setInterval(kDeviceListRefreshMs);
  connect(&m_deviceListTimer, &QTimer::timeout, this, [this] {
    if (m_connected) return;
    const bool wasShown = m_deviceListShown;
    RefreshDeviceList();
    if (wasShown != m_deviceListShown) UpdateTitleAndLayout(false);
  });
  m_deviceListTimer.start();
}

void COstrivaneDlg::RefreshDeviceList() {
  const QVector<DiscoveredDevice> announced = m_discovery.Copy();
  m_choice.Observe(announced);
  m_deviceListShown = !m_connected && m_choice.Rack();
  if (!m_deviceListShown) return;
  const bool appearing = m_deviceList->isHidden();
  m_deviceList->ShowDevices(announced, m_identified, m_discovery.LeftOut());
  // Enter picks at once; the installer does not have to find the list first.
  if (appearing && isActiveWindow()) m_deviceList->setFocus();
}

void COstrivaneDlg::SubmitProbes() {
  // An EDID programming waits on the open link; nothing else goes out before it.
  if (!m_deviceListShown || m_ctx.flags.EdidRequest) return;
  QVector<DiscoveredDevice> fresh;
  for (const DiscoveredDevice& device : m_discovery.Copy()) {
    if (m_probed.contains(device.identifier)) continue;
    m_probed.insert(device.identifier);
    fresh.append(device);
  }
  if (fresh.isEmpty()) return;
  auto probed = std::make_shared<QVector<ProbedDevice>>();
  m_device.Submit([probed, fresh, connection = m_connection](
                      OperationContext& ctx) { *probed = ProbeDevices(ctx, fresh, connection); },
                  [this, probed, fresh] {
                    for (const ProbedDevice& device : *probed)
                      m_identified[device.identifier] = device.identity;
                    // One unanswered identify (a busy device, a lost datagram's worth of bad
                    // luck) must not leave an entry without its model for good: tried again.
                    for (const DiscoveredDevice& device : fresh) {
                      if (!m_identified.contains(device.identifier)) {
                        m_probed.remove(device.identifier);
                      }
                    }
                    if (!m_connected && !m_closing) RefreshDeviceList();
                  });
}

NetworkTarget COstrivaneDlg::NextTarget() const {
  return m_choice.Target(m_listening.hasExpired(m_connection.announcementPeriodMs));
}

void COstrivaneDlg::OnDevicePicked(const QString& identifier) {
  if (m_connected || m_closing) return;
  m_choice.Pick(identifier);
  // Not being remembered costs a question at the next start, nothing more.
  SaveLastDevice(m_ctx.settings.DataFolder(), identifier);
  // Between steps the pick is tried at once; during a step, by the next one.
  if (m_searchTimer.isActive()) m_searchTimer.start(kFirstSearchMs);
}

void COstrivaneDlg::OnChangeDevice() {
  if (m_locked || m_closing) return;
  m_choice.Reopen();
  if (m_connected) {
    FallBack(true, kFirstSearchMs);
    return;
  }
  RefreshDeviceList();
  UpdateTitleAndLayout(false);
}

}  // namespace ostrivane
