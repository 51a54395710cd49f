// backup --all: the configuration of every announced and every USB serial device, one after the
// other, as the raw record and its JSON form.
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "cli/Cli.h"
#include "cli/CliCommands.h"
#include "config/ConfigCodec.h"
#include "config/ConfigJson.h"
#include "files/ConfigurationFiles.h"
#include "link/Connection.h"
#include "operations/ModelTable.h"

namespace ostrivane::cli {

namespace {

struct Candidate {
  QString label;  // announced identifier, or the port's name
  QString address;
  QString serialPath;
};

// "/dev/ttyACM0" -> "ttyACM0", "/dev/pts/7" -> "pts-7": a name that is also a file name.
QString PortLabel(const QString& path) {
  QString label = path;
  if (label.startsWith(QStringLiteral("/dev/"))) label = label.mid(5);
  label.replace(QLatin1Char('/'), QLatin1Char('-'));
  label.replace(QLatin1Char('\\'), QLatin1Char('-'));
  return label;
}

bool WriteFile(const QString& path, const QByteArray& bytes, QString& why) {
  QFile file(path);
  if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size())
    return true;
  why = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
  return false;
}

// Reads one device and writes its two files; an empty result means success.
QString BackUpOne(CommandIo& io, const Candidate& candidate, const LinkRequest& request,
                  const QString& folder, QJsonObject& report) {
  CliSession session(io.err, true, io.trace);
  const bool connected = candidate.serialPath.isEmpty()
                             ? session.ConnectTcpDevice(candidate.address, request.tcpPort)
                             : session.ConnectSerialDevice(candidate.serialPath);
  if (!connected) return session.Failure();
  const QString model = ModelName(session.identity.DeviceTypeCode, session.prompts);
  report.insert(QStringLiteral("ModelName"), model);
  QByteArray record;
  if (QString why = session.FetchRecord(record); !why.isEmpty()) return why;
  DeviceConfig config;
  PanelState panel;
  DecodeConfigImage(record, session.Context().Layout(), config, panel);  // checked by the fetch
  const QString base = QDir(folder).filePath(
      QStringLiteral("%1_%2_%3")
          .arg(candidate.label, model,
               QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_HHmmss"))));
  const QString recordPath =
      base + ConfigurationFiles::ExtensionFor(session.identity.DeviceTypeCode);
  QString why;
  if (!WriteFile(recordPath, record, why) ||
      !WriteFile(base + QStringLiteral(".json"), ConfigToJson(config), why))
    return why;
  report.insert(QStringLiteral("Record"), recordPath);
  report.insert(QStringLiteral("Json"), base + QStringLiteral(".json"));
  return {};
}

QList<Candidate> FindCandidates(CommandIo& io, const LinkRequest& request) {
  CliSession listener(io.err, true, io.trace);
  listener.Listen(request);
  QList<Candidate> candidates;
  for (const DiscoveredDevice& d : listener.discovery.Copy())
    candidates.append({d.identifier, d.address, {}});
  ConnectionOptions options;
  options.extraSerialPaths = request.serialPaths;
  for (const QString& path : ListSerialPorts(options))
    candidates.append({PortLabel(path), {}, path});
  return candidates;
}

}  // namespace

int RunBackup(CommandIo& io) {
  if (!io.args.Has(QStringLiteral("--all")))
    return io.Fail(kExitUsage, QStringLiteral("backup needs --all (every device it finds)."));
  LinkRequest request;
  if (!io.args.ToLinkRequest(request))
    return io.Fail(kExitUsage, io.args.error + QStringLiteral("."));
  if (!request.tcpHost.isEmpty() || !request.device.isEmpty())
    return io.Fail(kExitUsage, QStringLiteral("backup --all finds its devices itself: no --tcp "
                                              "or --device."));
  QString folder = io.args.Value(QStringLiteral("--into"));
  if (folder.isEmpty()) {
    const QString data = io.args.Has(QStringLiteral("--data"))
                             ? io.args.Value(QStringLiteral("--data"))
                             : QDir::currentPath();
    folder = QDir(data).filePath(QStringLiteral("backups"));
    QDir().mkpath(folder);
  }
  if (const int code = CheckWritableFolder(io, folder)) return code;
  const QList<Candidate> candidates = FindCandidates(io, request);
  if (candidates.isEmpty())
    return io.Fail(kExitNoDevice, QStringLiteral("no device found: nothing announced within %1 s "
                                                 "and no USB serial port.")
                                      .arg(request.listenSeconds));
  QJsonArray reports;
  int failed = 0;
  for (const Candidate& candidate : candidates) {
    QJsonObject report{{QStringLiteral("Device"), candidate.label}};
    const QString failure = BackUpOne(io, candidate, request, folder, report);
    if (!failure.isEmpty()) {
      ++failed;
      report.insert(QStringLiteral("Error"), failure);
      io.err << "ostrivane-cli: " << candidate.label << ": " << failure << ".\n";
    } else if (!io.args.Has(QStringLiteral("--json"))) {
      io.out << candidate.label << ": " << report.value(QStringLiteral("Record")).toString()
             << '\n';
    }
    reports.append(report);
  }
  if (io.args.Has(QStringLiteral("--json")))
    io.out << QString::fromUtf8(QJsonDocument(reports).toJson(QJsonDocument::Indented));
  return failed > 0 ? kExitFailed : kExitOk;
}

}  // namespace ostrivane::cli
