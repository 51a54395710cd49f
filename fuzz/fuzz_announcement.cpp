// Announcement datagrams come from anyone on the network segment.
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "discovery/Announcement.h"
#include "discovery/DiscoveryTable.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray datagram(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  QString identifier;
  QString address;
  const bool accepted = ostrivane::ParseAnnouncement(datagram, identifier, address);
  if (accepted && (identifier.isEmpty() || address.isEmpty() || identifier.contains(u'_') ||
                   address.contains(u'_'))) {
    std::abort();  // tokens are never empty and never hold the separator
  }
  ostrivane::DiscoveryTable table;
  // Any tick, wrapped or not: a fresh entry must survive the pass that adds it.
  std::uint32_t tick = 0;
  for (std::size_t i = 0; i < size && i < 4; ++i) tick = tick << 8 | data[i];
  table.Process(accepted, identifier, address, tick);
  if (table.Copy().size() != (accepted ? 1 : 0)) std::abort();
  return 0;
}
