// backup --all: the configuration of every announced and every USB serial device, several at a
// time, as the raw record and its JSON form.
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "cli/Cli.h"
#include "cli/CliCommands.h"
#include "cli/CliJobs.h"
#include "config/ConfigCodec.h"
#include "config/ConfigJson.h"
#include "files/ConfigurationFiles.h"
#include "link/Connection.h"
#include "operations/ModelTable.h"

namespace ostrivane::cli {

namespace {

bool WriteFile(const QString& path, const QByteArray& bytes, QString& why) {
  QFile file(path);
  if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size())
    return true;
  why = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
  return false;
}

// Reads one device and writes its two files; an empty result means success. Runs on a job's own
// thread with a session (and link) of its own.
QString BackUpOne(CommandIo& io, const Target& target, const QString& folder, QJsonObject& report) {
  QString said;
  QTextStream err(&said);
  CliSession session(err, true, io.trace);
  if (!session.ConnectTarget(target)) return session.Failure();
  const QString model = session.ModelName();
  report.insert(QStringLiteral("ModelName"), model);
  QByteArray record;
  if (QString why = session.FetchRecord(record); !why.isEmpty()) return why;
  DeviceConfig config;
  PanelState panel;
  const LayoutContext layout = session.Context().Layout();
  DecodeConfigImage(record, layout, config, panel, EmptyApplication::KeepEmpty);  // fetched
  const QString base = QDir(folder).filePath(
      QStringLiteral("%1_%2_%3")
          .arg(target.Label(), model,
               QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_HHmmss"))));
  const QString recordPath =
      base + ConfigurationFiles::ExtensionFor(session.identity.DeviceTypeCode);
  QString why;
  if (!WriteFile(recordPath, record, why) ||
      !WriteFile(base + QStringLiteral(".json"), ConfigToJson(config, layout), why))
    return why;
  report.insert(QStringLiteral("Record"), recordPath);
  report.insert(QStringLiteral("Json"), base + QStringLiteral(".json"));
  return {};
}

}  // namespace

int RunBackup(CommandIo& io) {
  // One named device (a fleet member's job) or every device found.
  const bool named = io.args.Has(QStringLiteral("--tcp")) ||
                     io.args.Has(QStringLiteral("--serial")) ||
                     io.args.Has(QStringLiteral("--device"));
  if (!io.args.Has(QStringLiteral("--all")) && !named)
    return io.Fail(kExitUsage, QStringLiteral("backup needs --all (every device it finds)."));
  LinkRequest request;
  if (!io.args.ToLinkRequest(request))
    return io.Fail(kExitUsage, io.args.error + QStringLiteral("."));
  QString folder = io.args.Value(QStringLiteral("--into"));
  if (folder.isEmpty()) {
    const QString data = io.args.Has(QStringLiteral("--data"))
                             ? io.args.Value(QStringLiteral("--data"))
                             : QDir::currentPath();
    folder = QDir(data).filePath(QStringLiteral("backups"));
    QDir().mkpath(folder);
  }
  if (const int code = CheckWritableFolder(io, folder)) return code;
  CliSession listener(io.err, true, io.trace);
  const Targets targets = ResolveTargets(listener, request);
  for (const QString& note : targets.notes) io.err << "ostrivane-cli: " << note << ".\n";
  const QList<Target>& candidates = targets.list;
  if (candidates.isEmpty())
    return io.Fail(kExitNoDevice, QStringLiteral("no device found: nothing announced within %1 s "
                                                 "and no USB serial port.")
                                      .arg(request.listenSeconds));
  // Silent devices cost a whole time limit each: they are waited for side by side.
  QVector<QJsonObject> done(candidates.size());
  QStringList failures(candidates.size());
  int jobs = kDefaultParallelJobs;
  if (!io.args.IntValue(QStringLiteral("--jobs"), 1, 256, jobs))
    return io.Fail(kExitUsage, io.args.error + QStringLiteral("."));
  RunJobs(static_cast<int>(candidates.size()), jobs, [&](int i) {
    done[i] = QJsonObject{{QStringLiteral("Device"), candidates[i].Label()},
                          {QStringLiteral("Address"), candidates[i].Where()}};
    failures[i] = BackUpOne(io, candidates[i], folder, done[i]);
  });
  QJsonArray reports;
  int failed = 0;
  for (qsizetype i = 0; i < candidates.size(); ++i) {
    QJsonObject& report = done[i];
    const QString label = candidates[i].Label();
    if (!failures[i].isEmpty()) {
      ++failed;
      report.insert(QStringLiteral("Error"), failures[i]);
      io.err << "ostrivane-cli: " << label << ": " << failures[i] << ".\n";
    } else if (!io.args.Has(QStringLiteral("--json"))) {
      io.out << label << ": " << report.value(QStringLiteral("Record")).toString() << '\n';
    }
    reports.append(report);
  }
  if (io.args.Has(QStringLiteral("--json")))
    io.out << QString::fromUtf8(QJsonDocument(reports).toJson(QJsonDocument::Indented));
  return failed > 0 ? kExitFailed : kExitOk;
}

}  // namespace ostrivane::cli
