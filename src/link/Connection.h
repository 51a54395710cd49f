#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

#include "link/DeviceIdentity.h"

namespace ostrivane {

class CXmit;
class DiscoveryTable;

inline constexpr std::uint16_t kDeviceTcpPort = 6666;

struct ConnectionOptions {
  std::uint16_t tcpPort = kDeviceTcpPort;
  // Serial paths tried after the USB CDC-ACM ports (e.g. a simulator's pseudo-terminal).
  QStringList extraSerialPaths;
  // When false only extraSerialPaths are tried (tests and demos stay away from real ports).
  bool scanUsbPorts = true;
  int tcpConnectTimeoutMs = 3000;
};

// USB CDC-ACM serial ports in name order (Linux /dev/ttyACM*), then the extra paths.
QStringList ListSerialPorts(const ConnectionOptions& options);

// Closes any open link, tries the first announced device over TCP, then every serial port; keeps
// the first that identifies. Always leaves LinkError cleared.
bool ConnectDevice(CXmit& link, DeviceIdentity& identity, const DiscoveryTable& discovery,
                   const ConnectionOptions& options);
// 0x10; true for an accepted type code with a non-zero main version byte.
bool Identify(CXmit& link, DeviceIdentity& identity);
bool ConnectTcp(CXmit& link, const QString& address, const ConnectionOptions& options);
bool ConnectSerial(CXmit& link, const QString& path);

}  // namespace ostrivane
