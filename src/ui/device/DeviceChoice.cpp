#include "ui/device/DeviceChoice.h"

#include <utility>

namespace ostrivane {

DeviceChoice::DeviceChoice(QString remembered) : m_remembered(std::move(remembered)) {}

void DeviceChoice::Observe(const QVector<DiscoveredDevice>& announced) {
  for (const DiscoveredDevice& device : announced) {
    m_heard.insert(device.identifier);
    // After "Change device" the remembered one is the one just left: it waits for a pick too.
    if (m_chosen.isEmpty() && !m_reopened && !m_remembered.isEmpty() &&
        device.identifier == m_remembered) {
      m_chosen = m_remembered;
    }
  }
}

void DeviceChoice::Pick(const QString& identifier) {
  m_chosen = identifier;
  m_remembered = identifier;
}

void DeviceChoice::Reopen() {
  m_chosen.clear();
  m_reopened = true;
}

NetworkTarget DeviceChoice::Target(bool listened) const {
  if (!m_chosen.isEmpty()) return NetworkTarget::Named(m_chosen);
  // Named rather than "the first entry": should the lone device expire and a newcomer take its
  // place between this decision and the attempt, the newcomer has not been heard long enough.
  if (Rack() || !listened || m_heard.isEmpty()) return NetworkTarget::Nobody();
  return NetworkTarget::Named(*m_heard.constBegin());
}

}  // namespace ostrivane
