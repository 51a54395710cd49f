#include "discovery/DiscoveryTable.h"

namespace ostrivane {

void DiscoveryTable::Update(const QString& identifier, const QString& address, std::uint32_t tick) {
  std::lock_guard<std::mutex> lock(m_discoveryLock);
  UpdateLocked(identifier, address, tick);
}

void DiscoveryTable::Age(std::uint32_t tick) {
  std::lock_guard<std::mutex> lock(m_discoveryLock);
  AgeLocked(tick);
}

QVector<DiscoveredDevice> DiscoveryTable::Copy() const {
  std::lock_guard<std::mutex> lock(m_discoveryLock);
  // An array of its own: a shared one would be detached later by its reader, which then copies
  // the entries outside the lock while the listener writes them.
  return QVector<DiscoveredDevice>(m_entries.cbegin(), m_entries.cend());
}

void DiscoveryTable::Clear() {
  std::lock_guard<std::mutex> lock(m_discoveryLock);
  m_entries.clear();
  m_leftOut = 0;
}

int DiscoveryTable::LeftOut() const {
  std::lock_guard<std::mutex> lock(m_discoveryLock);
  return m_leftOut;
}

void DiscoveryTable::Process(bool accepted, const QString& identifier, const QString& address,
                             std::uint32_t tick) {
  std::lock_guard<std::mutex> lock(m_discoveryLock);
  if (accepted) UpdateLocked(identifier, address, tick);
  AgeLocked(tick);
}

bool DiscoveryTable::IsExpired(std::uint32_t expiry, std::uint32_t tick) {
  // A live entry's expiry lies between now and an hour ahead. Anything else is either past its
  // expiry (however long ago: the listener may have been held up, or the machine suspended) or
  // belongs to the other side of a counter wrap.
  const std::uint32_t ahead = expiry - tick;
  return ahead > kWrapWindowMs;
}

void DiscoveryTable::UpdateLocked(const QString& identifier, const QString& address,
                                  std::uint32_t tick) {
  const std::uint32_t expiry = tick + kLifetimeMs;
  for (DiscoveredDevice& entry : m_entries) {
    if (entry.identifier != identifier || (m_bounds.byAddress && entry.address != address))
      continue;
    if (entry.address != address) entry.address = address;
    entry.expiry = expiry;
    ++entry.heard;
    return;
  }
  // A full table keeps the devices it already knows; a newcomer gets in once one of them expires.
  if (m_bounds.capacity > 0 && m_entries.size() >= m_bounds.capacity) {
    ++m_leftOut;
    return;
  }
  m_entries.append(DiscoveredDevice{identifier, address, expiry, 1});
}

void DiscoveryTable::AgeLocked(std::uint32_t tick) {
  for (qsizetype i = m_entries.size() - 1; i >= 0; --i) {
    if (IsExpired(m_entries[i].expiry, tick)) m_entries.removeAt(i);
  }
}

}  // namespace ostrivane
