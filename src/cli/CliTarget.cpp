// The one way every command finds the devices it works on.
#include "cli/CliTarget.h"

#include <QFileInfo>

#include "cli/Cli.h"
#include "cli/CliSession.h"
#include "link/Connection.h"

namespace ostrivane::cli {

namespace {

Target Announced(const DiscoveredDevice& device, quint16 port) {
  Target target;
  target.identifier = device.identifier;
  target.host = device.address;
  target.port = port;
  return target;
}

Target SerialPort(const QString& path) {
  Target target;
  target.serialPath = path;
  return target;
}

QString ListenedWhere(const LinkRequest& request) {
  return QStringLiteral("%1 s on UDP port %2%3")
      .arg(request.listenSeconds)
      .arg(request.discoveryPort)
      .arg(request.discoveryInterface.isEmpty()
               ? QString()
               : QStringLiteral(" of %1").arg(request.discoveryInterface));
}

// Identifiers announced from more than one address.
QStringList SharedIdentifiers(const QVector<DiscoveredDevice>& devices) {
  QStringList shared;
  for (qsizetype i = 0; i < devices.size(); ++i) {
    for (qsizetype j = i + 1; j < devices.size(); ++j) {
      if (devices[i].identifier == devices[j].identifier && !shared.contains(devices[i].identifier))
        shared << devices[i].identifier;
    }
  }
  return shared;
}

QStringList SharedNotes(const QVector<DiscoveredDevice>& devices) {
  QStringList notes;
  for (const QString& id : SharedIdentifiers(devices)) {
    QStringList addresses;
    for (const DiscoveredDevice& d : devices)
      if (d.identifier == id) addresses << d.address;
    notes << QStringLiteral("the identifier %1 is not unique: announced by %2")
                 .arg(id, addresses.join(QStringLiteral(", ")));
  }
  return notes;
}

QString CandidateList(const QList<Target>& candidates) {
  QString text;
  for (const Target& t : candidates) text += QStringLiteral("\n  ") + t.Describe();
  return text;
}

Targets Failed(int code, const QString& failure) {
  Targets result;
  result.code = code;
  result.failure = failure;
  return result;
}

// --device ID|ADDRESS: an address is taken as soon as it is heard; an identifier once it has been
// heard twice, a whole announcement interval in which a second device using it would have spoken.
Targets ResolveNamed(CliSession& session, const LinkRequest& request) {
  const QString& wanted = request.device;
  session.Listen(request, [&wanted](const QVector<DiscoveredDevice>& heard) {
    for (const DiscoveredDevice& d : heard)
      if (d.address == wanted || (d.identifier == wanted && d.heard >= 2)) return true;
    return false;
  });
  const QVector<DiscoveredDevice> heard = session.discovery.Copy();
  for (const DiscoveredDevice& d : heard)
    if (d.address == wanted) return Targets{{Announced(d, request.tcpPort)}, 0, {}, {}};
  Targets result;
  QStringList addresses;
  for (const DiscoveredDevice& d : heard) {
    if (d.identifier != wanted) continue;
    result.list << Announced(d, request.tcpPort);
    addresses << d.address;
  }
  if (result.list.isEmpty())
    return Failed(
        kExitNoDevice,
        QStringLiteral("device %1 was not heard within %2").arg(wanted, ListenedWhere(request)));
  if (result.list.size() > 1)
    return Failed(kExitUsage, QStringLiteral("the identifier %1 is not unique: announced by %2; "
                                             "name one with --device ADDRESS")
                                  .arg(wanted, addresses.join(QStringLiteral(", "))));
  return result;
}

// Every announced device and every serial port; the ports are asked to identify only when asked
// for, so that a port that is no device does not count as one.
Targets Candidates(CliSession& session, const LinkRequest& request, bool probePorts) {
  session.Listen(request, {});
  const QVector<DiscoveredDevice> heard = session.discovery.Copy();
  Targets result;
  result.notes = SharedNotes(heard);
  const QStringList shared = SharedIdentifiers(heard);
  for (const DiscoveredDevice& d : heard) {
    result.list << Announced(d, request.tcpPort);
    result.list.last().shared = shared.contains(d.identifier);
  }
  ConnectionOptions options;
  options.extraSerialPaths = request.serialPaths;
  for (const QString& path : ListSerialPorts(options)) {
    if (!probePorts) {
      result.list << SerialPort(path);
    } else if (session.ConnectSerialDevice(path)) {
      Target port = SerialPort(path);
      port.model = session.ModelName();
      result.list << port;
      session.link.CloseAll();
    }
  }
  return result;
}

Targets ResolveUnnamed(CliSession& session, const LinkRequest& request) {
  Targets result = Candidates(session, request, true);
  if (result.list.size() > 1) {
    return Failed(kExitUsage, QStringLiteral("%1 devices found and none named; choose one with "
                                             "--device, --tcp or --serial:%2")
                                  .arg(result.list.size())
                                  .arg(CandidateList(result.list)));
  }
  if (!result.list.isEmpty()) return result;
  QStringList causes;
  if (session.discovery.Copy().isEmpty())
    causes << QStringLiteral("no device announced within %1").arg(ListenedWhere(request));
  ConnectionOptions options;
  causes << (ListSerialPorts(options).isEmpty()
                 ? QStringLiteral("no USB serial port found")
                 : QStringLiteral("no USB serial port answered the identify request"));
  return Failed(kExitNoDevice, causes.join(QStringLiteral("; ")));
}

}  // namespace

QString Target::Where() const {
  if (IsSerial()) return serialPath;
  return identifier.isEmpty() ? QStringLiteral("%1:%2").arg(host).arg(port) : host;
}

QString Target::Label() const {
  if (!identifier.isEmpty() && shared) return QStringLiteral("%1-%2").arg(identifier, host);
  if (!identifier.isEmpty()) return identifier;
  if (!IsSerial()) return host;
  // "/dev/ttyACM0" -> "ttyACM0", "/dev/pts/7" -> "pts-7".
  QString label = serialPath;
  if (label.startsWith(QStringLiteral("/dev/"))) label = label.mid(5);
  label.replace(QLatin1Char('/'), QLatin1Char('-'));
  label.replace(QLatin1Char('\\'), QLatin1Char('-'));
  return label;
}

QString Target::Describe() const {
  QString text = identifier.isEmpty() ? Where() : QStringLiteral("%1 at %2").arg(identifier, host);
  if (!model.isEmpty()) text += QStringLiteral(" (%1)").arg(model);
  return text;
}

Targets ResolveTargets(CliSession& session, const LinkRequest& request) {
  switch (request.selector) {
    case TargetSelector::Tcp: {
      Target target;
      target.host = request.tcpHost;
      target.port = request.tcpPort;
      return Targets{{target}, 0, {}, {}};
    }
    case TargetSelector::Serial:
      return Targets{{SerialPort(request.serialPaths.value(0))}, 0, {}, {}};
    case TargetSelector::Device:
      return ResolveNamed(session, request);
    case TargetSelector::All:
      return Candidates(session, request, false);
    case TargetSelector::Unnamed:
      break;
  }
  return ResolveUnnamed(session, request);
}

}  // namespace ostrivane::cli
