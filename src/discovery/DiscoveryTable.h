#pragma once

#include <QString>
#include <QVector>
#include <cstdint>
#include <mutex>

namespace ostrivane {

struct DiscoveredDevice {
  QString identifier;
  QString address;
  std::uint32_t expiry = 0;  // millisecond tick of the last announcement + 10000
};

// Devices announced during the last ten seconds, in the order they were first heard. The
// listener thread writes it; ConnectDevice reads a copy. Every access holds DiscoveryLock.
class DiscoveryTable {
 public:
  static constexpr int kCapacity = 50;
  static constexpr std::uint32_t kLifetimeMs = 10000;
  static constexpr std::uint32_t kWrapWindowMs = 3600000;

  // One listener pass: record an accepted announcement (tick = 32-bit millisecond counter).
  void Update(const QString& identifier, const QString& address, std::uint32_t tick);
  // Removes expired entries (and entries whose expiry lies implausibly far ahead: the tick
  // wrapped).
  void Age(std::uint32_t tick);
  // Copy of the valid entries, taken under the lock.
  QVector<DiscoveredDevice> Copy() const;
  void Clear();
  // One whole listener pass under a single hold of the lock: record the announcement when one was
  // accepted, then age with the same tick.
  void Process(bool accepted, const QString& identifier, const QString& address,
               std::uint32_t tick);

  // True when an entry with this expiry must go at this tick. Ticks are compared modulo 2^32, so
  // the rule survives the counter wrapping after about 49.7 days.
  static bool IsExpired(std::uint32_t expiry, std::uint32_t tick);

 private:
  void UpdateLocked(const QString& identifier, const QString& address, std::uint32_t tick);
  void AgeLocked(std::uint32_t tick);

  mutable std::mutex m_discoveryLock;
  QVector<DiscoveredDevice> m_entries;
};

}  // namespace ostrivane
