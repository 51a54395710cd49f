#include "link/Connection.h"

#include <QSerialPortInfo>
#include <algorithm>

#include "common/StatusSink.h"
#include "discovery/DiscoveryTable.h"
#include "link/CXmit.h"
#include "link/Commands.h"
#include "link/SerialChannel.h"
#include "link/TcpChannel.h"

namespace ostrivane {

namespace {

// Type code and main version are always read; a shorter reply cannot identify anything.
constexpr std::size_t kMinimumIdentifyReply = 2;
constexpr std::size_t kSpareIndex = 2;
constexpr std::size_t kSecondaryIndex = 3;

// The modulators enumerate as USB CDC-ACM ports; other serial ports are never probed.
bool IsUsbCdcAcmPort(const QSerialPortInfo& info) {
#if defined(Q_OS_LINUX)
  return info.portName().startsWith(QLatin1String("ttyACM"));
#elif defined(Q_OS_MACOS)
  return info.portName().startsWith(QLatin1String("cu.usbmodem"));
#else
  return info.hasVendorIdentifier();
#endif
}

bool TryTcpDevice(CXmit& link, DeviceIdentity& identity, const QString& address,
                  const ConnectionOptions& options, ChannelOpener& opener) {
  if (!ConnectTcp(link, address, options, opener)) return false;
  if (Identify(link, identity)) return true;
  link.CloseAll();
  return false;
}

// Address of the announced device the target names; empty when none may be tried.
QString TargetAddress(const QVector<DiscoveredDevice>& announced, const NetworkTarget& target) {
  switch (target.kind) {
    case NetworkTarget::Kind::First:
      // Others are reached once the first has expired.
      return announced.isEmpty() ? QString() : announced.first().address;
    case NetworkTarget::Kind::None:
      return {};
    case NetworkTarget::Kind::Identifier:
      break;
  }
  for (const DiscoveredDevice& device : announced) {
    if (device.identifier == target.identifier) return device.address;
  }
  return {};
}

bool TrySerialDevices(CXmit& link, DeviceIdentity& identity, const ConnectionOptions& options,
                      ChannelOpener& opener) {
  for (const QString& path : ListSerialPorts(options)) {
    if (!ConnectSerial(link, path, opener)) continue;
    if (Identify(link, identity)) return true;
    link.CloseAll();
  }
  return false;
}

}  // namespace

std::unique_ptr<Channel> SystemChannelOpener::OpenTcp(const QString& host, quint16 port,
                                                      int timeoutMs) {
  return TcpChannel::Connect(host, port, timeoutMs);
}

std::unique_ptr<Channel> SystemChannelOpener::OpenSerial(const QString& path) {
  return SerialChannel::Open(path);
}

std::unique_ptr<Channel> ReportingChannelOpener::OpenTcp(const QString& host, quint16 port,
                                                         int timeoutMs) {
  LinkFailure why;
  auto channel = TcpChannel::Connect(host, port, timeoutMs, &why);
  if (!channel) m_failures.append(why);
  return channel;
}

std::unique_ptr<Channel> ReportingChannelOpener::OpenSerial(const QString& path) {
  LinkFailure why;
  auto channel = SerialChannel::Open(path, &why);
  if (!channel) m_failures.append(why);
  return channel;
}

QStringList ListSerialPorts(const ConnectionOptions& options) {
  QStringList paths;
  if (options.scanUsbPorts) {
    QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    std::sort(ports.begin(), ports.end(), [](const QSerialPortInfo& a, const QSerialPortInfo& b) {
      return a.portName() < b.portName();
    });
    for (const QSerialPortInfo& info : ports) {
      if (IsUsbCdcAcmPort(info)) paths.append(info.systemLocation());
    }
  }
  // A path listed twice would cost a second pair of identify waits for nothing.
  for (const QString& extra : options.extraSerialPaths) {
    if (!paths.contains(extra)) paths.append(extra);
  }
  return paths;
}

bool ConnectTcp(CXmit& link, const QString& address, const ConnectionOptions& options,
                ChannelOpener& opener) {
  auto channel = opener.OpenTcp(address, options.tcpPort, options.tcpConnectTimeoutMs);
  if (!channel || !channel->IsOpen()) return false;
  link.Attach(std::move(channel));
  return true;
}

bool ConnectTcp(CXmit& link, const QString& address, const ConnectionOptions& options) {
  SystemChannelOpener opener;
  return ConnectTcp(link, address, options, opener);
}

bool ConnectSerial(CXmit& link, const QString& path, ChannelOpener& opener) {
  auto channel = opener.OpenSerial(path);
  if (!channel || !channel->IsOpen()) return false;
  link.Attach(std::move(channel));
  return true;
}

bool ConnectSerial(CXmit& link, const QString& path) {
  SystemChannelOpener opener;
  return ConnectSerial(link, path, opener);
}

bool Identify(CXmit& link, DeviceIdentity& identity) {
  if (!link.Transact(cmd::Identify, {}, timeout::Normal)) return false;
  const auto reply = link.Reply();
  if (reply.size() < kMinimumIdentifyReply) return false;
  const std::uint8_t type = reply[0];
  if (!IsAcceptedTypeCode(type)) return false;
  identity.DeviceTypeCode = type;
  identity.Version.main = reply[1];
  identity.Version.spare = reply.size() > kSpareIndex ? reply[kSpareIndex] : 0;
  identity.Version.secondary = reply.size() > kSecondaryIndex ? reply[kSecondaryIndex] : 0;
  // A main version of 0 is recorded but is no usable firmware.
  return identity.Version.main != 0;
}

bool ConnectDevice(CXmit& link, DeviceIdentity& identity, const DiscoveryTable& discovery,
                   const ConnectionOptions& options, ChannelOpener& opener) {
  return ConnectDevice(link, identity, discovery, options, NetworkTarget{}, opener);
}

bool ConnectDevice(CXmit& link, DeviceIdentity& identity, const DiscoveryTable& discovery,
                   const ConnectionOptions& options, const NetworkTarget& target,
                   ChannelOpener& opener) {
  link.CloseAll();
  // Copy() holds the discovery lock only for the copy; connecting runs without it.
  const QString address = TargetAddress(discovery.Copy(), target);
  bool connected = !address.isEmpty() && TryTcpDevice(link, identity, address, options, opener);
  if (!connected) connected = TrySerialDevices(link, identity, options, opener);
  link.LinkError = false;
  return connected;
}

bool ConnectDevice(CXmit& link, DeviceIdentity& identity, const DiscoveryTable& discovery,
                   const ConnectionOptions& options) {
  SystemChannelOpener opener;
  return ConnectDevice(link, identity, discovery, options, opener);
}

bool ConnectDevice(CXmit& link, DeviceIdentity& identity, const DiscoveryTable& discovery,
                   const ConnectionOptions& options, const NetworkTarget& target) {
  SystemChannelOpener opener;
  return ConnectDevice(link, identity, discovery, options, target, opener);
}

bool IdentifyAt(const QString& address, const ConnectionOptions& options, Clock& clock,
                DeviceIdentity& identity, ChannelOpener& opener) {
  // Lamps and texts belong to the window's own link; this one stays quiet.
  NullStatusSink quiet;
  CXmit probe(clock, quiet);
  if (!ConnectTcp(probe, address, options, opener)) return false;
  const bool identified = Identify(probe, identity);
  probe.CloseAll();
  return identified;
}

bool IdentifyAt(const QString& address, const ConnectionOptions& options, Clock& clock,
                DeviceIdentity& identity) {
  SystemChannelOpener opener;
  return IdentifyAt(address, options, clock, identity, opener);
}

}  // namespace ostrivane
