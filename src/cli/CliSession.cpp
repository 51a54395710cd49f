#include "cli/CliSession.h"

#include "cli/Cli.h"
#include "cli/Terminal.h"

#include <QThread>

#include "discovery/DiscoveryListener.h"
#include "operations/ModelTable.h"
#include "operations/Transfer.h"

namespace ostrivane::cli {

CliSession::CliSession(QTextStream& err, bool quiet, LinkTrace* trace)
    : status(err, cli::IsTerminal(stderr), quiet), prompts(err), link(clock, status), watch(trace) {
  link.SetObserver(&watch);
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

QString CliSession::ModelName() {
  return ostrivane::ModelName(identity.DeviceTypeCode, prompts);
}

void CliSession::Listen(const LinkRequest& request, const HeardEnough& enough) {
  m_listenEndedEarly = false;
  DiscoveryOptions options;
  options.interfaceAddress = request.discoveryInterface;
  options.port = request.discoveryPort;
  DiscoveryStart started = StartDiscovery(discovery, options, clock);
  if (started.code != discovery_start::kStarted) return;
  // Announcements come every couple of seconds; wait on the clock, the listener works meanwhile.
  const Millis total{static_cast<long long>(request.listenSeconds * 1000.0)};
  if (!enough) {
    clock.SleepFor(total);
  } else {
    constexpr Millis kLook{20};
    const Millis end = clock.Now() + total;
    while (!(m_listenEndedEarly = enough(discovery.Copy())) && clock.Now() < end)
      clock.SleepFor(std::min(kLook, end - clock.Now()));
  }
  started.listener->Stop();
}

bool CliSession::IdentifyAttached(const QString& where) {
  if (Identify(link, identity)) return true;
  const auto reply = link.Reply();
  if (link.LinkError && watch.Last() == LinkObserver::ReplyOutcome::BadFrame)
    m_failure = QStringLiteral(
                    "%1 answered the identify request with damaged frames (bad "
                    "checksum), twice")
                    .arg(where);
  else if (link.LinkError)
    m_failure = QStringLiteral("%1 did not answer the identify request").arg(where);
  else if (link.ReplyStatus == LinkStatus::Refused)
    m_failure = QStringLiteral("%1 refused the identify request").arg(where);
  else if (reply.size() < 2)
    m_failure = QStringLiteral("%1 answered the identify request without an identity (%2 bytes)")
                    .arg(where)
                    .arg(reply.size());
  else
    m_failure = QStringLiteral(
                    "%1 answered but did not identify as a supported device (type "
                    "code %2, main version %3)")
                    .arg(where)
                    .arg(reply[0])
                    .arg(reply[1]);
  link.CloseAll();
  return false;
}

bool CliSession::ConnectTcpDevice(const QString& host, quint16 port) {
  return ConnectTcpAs(QStringLiteral("%1:%2").arg(host).arg(port), host, port);
}

bool CliSession::ConnectSerialDevice(const QString& path) {
  return ConnectSerialAs(path, path);
}

bool CliSession::ConnectTcpAs(const QString& device, const QString& host, quint16 port) {
  const QString where = QStringLiteral("%1:%2").arg(host).arg(port);
  watch.SetDevice(device);
  watch.Note(QStringLiteral("connect"), QStringLiteral("tcp ") + where);
  ReportingChannelOpener opener;
  ConnectionOptions options;
  options.tcpPort = port;
  link.CloseAll();
  if (!ConnectTcp(link, host, options, opener)) {
    m_failure = opener.Failures().value(0, QStringLiteral("cannot connect to %1").arg(where));
    return Finish(false);
  }
  return Finish(IdentifyAttached(where));
}

bool CliSession::ConnectSerialAs(const QString& device, const QString& path) {
  watch.SetDevice(device);
  watch.Note(QStringLiteral("connect"), QStringLiteral("serial ") + path);
  ReportingChannelOpener opener;
  link.CloseAll();
  if (!ConnectSerial(link, path, opener)) {
    m_failure = opener.Failures().value(0, QStringLiteral("cannot open %1").arg(path));
    return Finish(false);
  }
  return Finish(IdentifyAttached(path));
}

bool CliSession::ConnectTarget(const Target& target) {
  m_failure.clear();
  // Traced by identifier (with the address when it is shared), else by address.
  const QString device = target.identifier.isEmpty() ? target.Where() : target.Label();
  const bool connected = target.IsSerial() ? ConnectSerialAs(device, target.serialPath)
                                           : ConnectTcpAs(device, target.host, target.port);
  // Two devices sharing an identifier keep their backups apart by address.
  if (connected) identity.Name = target.shared ? target.Label() : target.identifier;
  return connected;
}

bool CliSession::Connect(const LinkRequest& request) {
  const Targets targets = ResolveTargets(*this, request);
  m_notes = targets.notes;
  m_failureCode = targets.code;
  m_failure = targets.failure;
  if (!m_failure.isEmpty()) {
    watch.SetDevice(request.device);
    watch.Note(QStringLiteral("failed"), m_failure);
    return false;
  }
  m_chosen = targets.list.value(0);
  m_failureCode = kExitNoDevice;
  return ConnectTarget(m_chosen);
}

bool CliSession::Finish(bool connected) {
  if (connected)
    watch.Note(QStringLiteral("connected"),
               QStringLiteral("%1 (type code %2)").arg(ModelName()).arg(identity.DeviceTypeCode));
  else
    watch.Note(QStringLiteral("failed"), m_failure);
  link.LinkError = false;
  if (connected) shape = RecordShape::ForType(identity.DeviceTypeCode);
  return connected;
}

}  // namespace ostrivane::cli
