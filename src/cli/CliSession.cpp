#include "cli/CliSession.h"
#include "cli/Terminal.h"

#include <QThread>

#include "discovery/DiscoveryListener.h"
#include "operations/Transfer.h"

namespace ostrivane::cli {

namespace {

QString ListenedWhere(const LinkRequest& request) {
  return QStringLiteral("%1 s on UDP port %2%3")
      .arg(request.listenSeconds)
      .arg(request.discoveryPort)
      .arg(request.discoveryInterface.isEmpty()
               ? QString()
               : QStringLiteral(" of %1").arg(request.discoveryInterface));
}

}  // namespace

CliSession::CliSession(QTextStream& err, bool quiet, LinkObserver* trace)
    : status(err, cli::IsTerminal(stderr), quiet), prompts(err), link(clock, status) {
  link.SetObserver(trace);
}

OperationContext CliSession::Context() {
  return OperationContext{link,     identity, config, panel,   shape,    deviceStatus,
                          settings, flags,    status, prompts, displays, clock};
}

QString CliSession::FetchRecord(QByteArray& record) {
  OperationContext ctx = Context();
  const DeviceRecord read = FetchDeviceRecord(ctx);
  switch (read.outcome) {
    case ConfigReadOutcome::Read:
      record = read.record;
      return {};
    case ConfigReadOutcome::NoReply:
    case ConfigReadOutcome::Refused:
      return QStringLiteral("the device did not return its configuration");
    case ConfigReadOutcome::Empty:
    case ConfigReadOutcome::TooLong:
    case ConfigReadOutcome::Undecodable:
      break;
  }
  return QStringLiteral("the device's record does not decode");
}

void CliSession::Listen(const LinkRequest& request) {
  DiscoveryOptions options;
  options.interfaceAddress = request.discoveryInterface;
  options.port = request.discoveryPort;
  DiscoveryStart started = StartDiscovery(discovery, options, clock);
  if (started.code != discovery_start::kStarted) return;
  // Announcements come every couple of seconds; wait on the clock, the listener works meanwhile.
  clock.SleepFor(Millis{static_cast<long long>(request.listenSeconds * 1000.0)});
  started.listener->Stop();
}

bool CliSession::IdentifyAttached(const QString& where) {
  if (Identify(link, identity)) return true;
  m_failure = link.LinkError ? QStringLiteral("%1 did not answer the identify request").arg(where)
                             : QStringLiteral(
                                   "%1 answered but did not identify as a supported device "
                                   "(type code %2, main version %3)")
                                   .arg(where)
                                   .arg(link.Reply().empty() ? -1 : link.Reply()[0])
                                   .arg(link.Reply().size() > 1 ? link.Reply()[1] : -1);
  link.CloseAll();
  return false;
}

bool CliSession::ConnectTcpDevice(const QString& host, quint16 port) {
  ReportingChannelOpener opener;
  ConnectionOptions options;
  options.tcpPort = port;
  link.CloseAll();
  if (!ConnectTcp(link, host, options, opener)) {
    m_failure =
        opener.Failures().value(0, QStringLiteral("cannot connect to %1:%2").arg(host).arg(port));
    return Finish(false);
  }
  return Finish(IdentifyAttached(QStringLiteral("%1:%2").arg(host).arg(port)));
}

bool CliSession::ConnectSerialDevice(const QString& path) {
  ReportingChannelOpener opener;
  link.CloseAll();
  if (!ConnectSerial(link, path, opener)) {
    m_failure = opener.Failures().value(0, QStringLiteral("cannot open %1").arg(path));
    return Finish(false);
  }
  return Finish(IdentifyAttached(path));
}

bool CliSession::ConnectAnnounced(const LinkRequest& request) {
  Listen(request);
  for (const DiscoveredDevice& device : discovery.Copy()) {
    if (device.identifier != request.device && device.address != request.device) continue;
    return ConnectTcpDevice(device.address, request.tcpPort);
  }
  m_failure = QStringLiteral("device %1 was not heard within %2")
                  .arg(request.device, ListenedWhere(request));
  return Finish(false);
}

bool CliSession::ConnectFirstFound(const LinkRequest& request) {
  ConnectionOptions options;
  options.tcpPort = request.tcpPort;
  if (!request.serialPaths.isEmpty()) {
    options.extraSerialPaths = request.serialPaths;
    options.scanUsbPorts = false;
  } else {
    Listen(request);
  }
  ReportingChannelOpener opener;
  if (ConnectDevice(link, identity, discovery, options, opener)) return Finish(true);
  QStringList causes = opener.Failures();
  const QVector<DiscoveredDevice> announced = discovery.Copy();
  if (request.serialPaths.isEmpty() && announced.isEmpty())
    causes.prepend(QStringLiteral("no device announced within %1").arg(ListenedWhere(request)));
  if (ListSerialPorts(options).isEmpty() && request.serialPaths.isEmpty())
    causes << QStringLiteral("no USB serial port found");
  if (causes.isEmpty()) causes << QStringLiteral("no candidate answered the identify request");
  m_failure = causes.join(QStringLiteral("; "));
  return Finish(false);
}

bool CliSession::Connect(const LinkRequest& request) {
  m_failure.clear();
  if (!request.tcpHost.isEmpty()) return ConnectTcpDevice(request.tcpHost, request.tcpPort);
  if (!request.device.isEmpty()) return ConnectAnnounced(request);
  return ConnectFirstFound(request);
}

bool CliSession::Finish(bool connected) {
  link.LinkError = false;
  if (connected) shape = RecordShape::ForType(identity.DeviceTypeCode);
  return connected;
}

}  // namespace ostrivane::cli
