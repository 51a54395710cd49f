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
  int heard = 0;             // announcements received for this entry
};

// How a table keeps its entries. The window keeps a bounded list keyed by identifier; the
// command line keeps every device and tells two devices announcing one identifier apart by their
// addresses.
struct DiscoveryBounds {
  int capacity = 50;       // 0: no bound
  bool byAddress = false;  // entries are (identifier, address) pairs
};

// Devices announced during the last ten seconds, in the order they were first heard. The
// listener thread writes it; ConnectDevice reads a copy. Every access holds DiscoveryLock.
class DiscoveryTable {
 public:
  static constexpr int kCapacity = 50;  // the default bound
  static constexpr std::uint32_t kLifetimeMs = 10000;
  static constexpr std::uint32_t kWrapWindowMs = 3600000;

  DiscoveryTable() = default;
  explicit DiscoveryTable(DiscoveryBounds bounds) : m_bounds(bounds) {}

  // One listener pass: record an accepted announcement (tick = 32-bit millisecond counter).
  void Update(const QString& identifier, const QString& address, std::uint32_t tick);
  // Removes expired entries (and entries whose expiry lies implausibly far ahead: the tick
  // wrapped).
  void Age(std::uint32_t tick);
  // Copy of the valid entries, taken under the lock.
  QVector<DiscoveredDevice> Copy() const;
  void Clear();
  // Newcomers turned away by a full table since the last Clear (each announcement counts).
  int LeftOut() const;
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

  DiscoveryBounds m_bounds;
  mutable std::mutex m_discoveryLock;
  QVector<DiscoveredDevice> m_entries;
  int m_leftOut = 0;
};

}  // namespace ostrivane
