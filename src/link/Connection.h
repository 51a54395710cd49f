#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>

#include "link/Channel.h"
#include "link/DeviceIdentity.h"

namespace ostrivane {

class CXmit;
class Clock;
class DiscoveryTable;

inline constexpr std::uint16_t kDeviceTcpPort = 6666;

struct ConnectionOptions {
  std::uint16_t tcpPort = kDeviceTcpPort;
  // Serial paths tried after the USB CDC-ACM ports (e.g. a simulator's pseudo-terminal).
  QStringList extraSerialPaths;
  // When false only extraSerialPaths are tried (tests and demos stay away from real ports).
  bool scanUsbPorts = true;
  int tcpConnectTimeoutMs = 3000;
  // The window: how long it listens to announcements before it connects to a networked device on
  // its own, so that the first of a rack to speak is not taken for the only device.
  int announcementPeriodMs = 3000;
};

// Opens the channels a connection attempt tries; tests substitute scripted channels.
class ChannelOpener {
 public:
  virtual ~ChannelOpener() = default;
  // nullptr when the channel cannot be opened.
  virtual std::unique_ptr<Channel> OpenTcp(const QString& host, quint16 port, int timeoutMs) = 0;
  virtual std::unique_ptr<Channel> OpenSerial(const QString& path) = 0;
};

// TcpChannel and SerialChannel.
class SystemChannelOpener final : public ChannelOpener {
 public:
  std::unique_ptr<Channel> OpenTcp(const QString& host, quint16 port, int timeoutMs) override;
  std::unique_ptr<Channel> OpenSerial(const QString& path) override;
};

// The system channels, remembering why each channel that failed could not be opened, so that a
// command line can say more than "no device found".
class ReportingChannelOpener final : public ChannelOpener {
 public:
  std::unique_ptr<Channel> OpenTcp(const QString& host, quint16 port, int timeoutMs) override;
  std::unique_ptr<Channel> OpenSerial(const QString& path) override;
  // In English, as a command line prints them.
  QStringList Failures() const {
    QStringList texts;
    for (const LinkFailure& failure : m_failures) texts.append(failure.Text());
    return texts;
  }
  const QList<LinkFailure>& FailureDetails() const { return m_failures; }

 private:
  QList<LinkFailure> m_failures;
};

// Which announced device a connection attempt may try over TCP. The serial ports are tried after
// it whatever it says: a cable is a deliberate choice.
struct NetworkTarget {
  enum class Kind {
    First,       // the first entry of the discovery table
    None,        // no networked device (several are announced and none has been chosen)
    Identifier,  // the entry announced under this identifier, when it is in the table
  };
  Kind kind = Kind::First;
  QString identifier;

  static NetworkTarget Nobody() { return {Kind::None, {}}; }
  static NetworkTarget Named(const QString& identifier) { return {Kind::Identifier, identifier}; }
};

// USB CDC-ACM serial ports in name order (Linux /dev/ttyACM*), then the extra paths.
QStringList ListSerialPorts(const ConnectionOptions& options);

// Closes any open link, tries the first announced device over TCP, then every serial port; keeps
// the first that identifies. Always leaves LinkError cleared.
bool ConnectDevice(CXmit& link, DeviceIdentity& identity, const DiscoveryTable& discovery,
                   const ConnectionOptions& options);
bool ConnectDevice(CXmit& link, DeviceIdentity& identity, const DiscoveryTable& discovery,
                   const ConnectionOptions& options, ChannelOpener& opener);
// The same attempt with the networked device given by target instead of the first announced one.
bool ConnectDevice(CXmit& link, DeviceIdentity& identity, const DiscoveryTable& discovery,
                   const ConnectionOptions& options, const NetworkTarget& target);
bool ConnectDevice(CXmit& link, DeviceIdentity& identity, const DiscoveryTable& discovery,
                   const ConnectionOptions& options, const NetworkTarget& target,
                   ChannelOpener& opener);
// Identifies the device at address over a connection of its own (not the given link's), closed
// again before returning; for showing what an announced device is without connecting to it.
bool IdentifyAt(const QString& address, const ConnectionOptions& options, Clock& clock,
                DeviceIdentity& identity);
bool IdentifyAt(const QString& address, const ConnectionOptions& options, Clock& clock,
                DeviceIdentity& identity, ChannelOpener& opener);
// 0x10; true for an accepted type code with a non-zero main version byte.
bool Identify(CXmit& link, DeviceIdentity& identity);
// Open the channel and attach it to the link; false (link unchanged) when it cannot be opened.
bool ConnectTcp(CXmit& link, const QString& address, const ConnectionOptions& options);
bool ConnectTcp(CXmit& link, const QString& address, const ConnectionOptions& options,
                ChannelOpener& opener);
bool ConnectSerial(CXmit& link, const QString& path);
bool ConnectSerial(CXmit& link, const QString& path, ChannelOpener& opener);

}  // namespace ostrivane
