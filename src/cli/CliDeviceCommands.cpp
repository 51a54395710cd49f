// Commands that talk to a connected device.
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

#include "cli/Cli.h"
#include "cli/CliCommands.h"
#include "cli/CliFleet.h"
#include "cli/CliOutput.h"
#include "cli/Terminal.h"
#include "link/Connection.h"
#include "operations/DeviceActions.h"
#include "operations/DeviceFiles.h"
#include "operations/ModelTable.h"

namespace ostrivane::cli {

namespace {

void PrintJson(CommandIo& io, const QJsonObject& object) {
  io.out << QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented));
}

bool Quiet(CommandIo& io) {
  return io.args.Has(QStringLiteral("--quiet"));
}

// A device that answered with a refusal did not do it, even though the link held.
bool Refused(CliSession& session) {
  return session.link.LinkError || session.link.ReplyStatus == LinkStatus::Refused;
}

}  // namespace

QJsonObject IdentityJson(CliSession& session) {
  const DeviceIdentity& id = session.identity;
  const Channel* channel = session.link.CurrentChannel();
  return QJsonObject{{QStringLiteral("DeviceTypeCode"), id.DeviceTypeCode},
                     {QStringLiteral("ModelName"), ModelName(id.DeviceTypeCode, session.prompts)},
                     {QStringLiteral("Main"), id.Version.main},
                     {QStringLiteral("Spare"), id.Version.spare},
                     {QStringLiteral("Secondary"), id.Version.secondary},
                     {QStringLiteral("Version"), FormatTitleVersion(id)},
                     {QStringLiteral("Link"), channel ? channel->Describe() : QString()}};
}

int RunFind(CommandIo& io) {
  LinkRequest request;
  if (!io.args.ToLinkRequest(request))
    return io.Fail(kExitUsage, io.args.error + QStringLiteral("."));
  request.selector = TargetSelector::All;
  CliSession session(io.err, true, io.trace);
  const Targets found = ResolveTargets(session, request);
  QList<Target> devices;
  QStringList ports;
  for (const Target& t : found.list) {
    if (t.IsSerial())
      ports << t.serialPath;
    else
      devices << t;
  }
  for (const QString& note : found.notes) io.err << "ostrivane-cli: " << note << ".\n";
  if (io.args.Has(QStringLiteral("--json"))) {
    PrintJson(io, FoundJson(io, found.list));
  } else {
    io.out << "Network devices:" << (devices.isEmpty() ? " none\n" : "\n");
    for (const Target& d : devices)
      io.out << "  " << d.identifier << "  " << d.host
             << (d.shared ? "  (identifier not unique)\n" : "\n");
    io.out << "USB serial ports:" << (ports.isEmpty() ? " none\n" : "\n");
    for (const QString& port : ports) io.out << "  " << port << '\n';
  }
  return devices.isEmpty() && ports.isEmpty() ? kExitNoDevice : kExitOk;
}

int RunIdentify(CommandIo& io) {
  CliSession session(io.err, true, io.trace);
  if (const int code = ConnectForCommand(io, session)) return code;
  const QJsonObject id = IdentityJson(session);
  if (io.args.Has(QStringLiteral("--json"))) {
    PrintJson(io, id);
  } else {
    io.out << "Model:    " << id.value(QStringLiteral("ModelName")).toString() << " (type code "
           << session.identity.DeviceTypeCode << ")\n"
           << "Firmware: " << id.value(QStringLiteral("Version")).toString() << " (main "
           << session.identity.Version.main << ", spare " << session.identity.Version.spare
           << ", secondary " << session.identity.Version.secondary << ")\n"
           << "Link:     " << id.value(QStringLiteral("Link")).toString() << '\n';
  }
  return kExitOk;
}

int RunStatus(CommandIo& io) {
  if (io.args.Has(QStringLiteral("--format")))
    return io.Fail(kExitUsage, QStringLiteral("--format goes with --devices FILE or --all."));
  const bool watch = io.args.Has(QStringLiteral("--watch"));
  if (!watch &&
      (io.args.Has(QStringLiteral("--interval")) || io.args.Has(QStringLiteral("--count"))))
    return io.Fail(kExitUsage, QStringLiteral("--interval and --count go with --watch."));
  CliSession session(io.err, true, io.trace);
  if (watch) return WatchStatus(io, session);
  if (const int code = ConnectForCommand(io, session)) return code;
  QJsonObject json;
  if (!ReadStatusJson(session, json))
    return io.Fail(kExitFailed, QStringLiteral("the device did not return its status."));
  if (io.args.Has(QStringLiteral("--json")))
    PrintJson(io, json);
  else
    PrintStatusText(io.out, json);
  return kExitOk;
}

int RunLogs(CommandIo& io) {
  QString folder = io.args.Value(QStringLiteral("--out"));
  if (io.args.Has(QStringLiteral("--out"))) {
    if (const int code = CheckWritableFolder(io, folder)) return code;
  }
  CliSession session(io.err, Quiet(io), io.trace);
  session.prompts.SetQuiet(Quiet(io));
  if (const int code = ConnectForCommand(io, session)) return code;
  if (!io.args.Has(QStringLiteral("--out"))) {
    if (const int code = CheckWritableFolder(io, session.settings.DefaultSaveFolder())) return code;
  }
  OperationContext ctx = session.Context();
  if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
  const QString path = DownloadLogs(ctx, QDateTime::currentDateTime(), folder);
  session.status.Finish();
  if (session.link.LinkError)
    return io.Fail(kExitFailed,
                   QStringLiteral("the device stopped answering during the download."));
  // The window reports "Logs saved into" whatever arrived; a script needs to know nothing did.
  if (QFileInfo(path).size() <= 0)
    return io.Fail(kExitFailed, QStringLiteral("the device sent no log data (%1).").arg(path));
  PrintResult(io, path, QJsonObject{{QStringLiteral("File"), path}});
  return kExitOk;
}

int RunClockSet(CommandIo& io) {
  QDateTime at = QDateTime::currentDateTime();
  if (io.args.Has(QStringLiteral("--at"))) {
    at = QDateTime::fromString(io.args.Value(QStringLiteral("--at")),
                               QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!at.isValid())
      return io.Fail(kExitUsage, QStringLiteral("--at expects \"YYYY-MM-DD HH:MM:SS\"."));
  }
  CliSession session(io.err, true, io.trace);
  if (const int code = ConnectForCommand(io, session)) return code;
  const QDate d = at.date();
  const QTime t = at.time();
  if (!SendDeviceClock(session.link, static_cast<std::uint16_t>(d.year()),
                       static_cast<std::uint8_t>(d.month()), static_cast<std::uint8_t>(d.day()),
                       static_cast<std::uint8_t>(t.hour()), static_cast<std::uint8_t>(t.minute()),
                       static_cast<std::uint8_t>(t.second())))
    return io.Fail(kExitFailed, QStringLiteral("the device did not accept the clock."));
  const QString text = at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
  PrintResult(io, QStringLiteral("device clock set to %1").arg(text),
              QJsonObject{{QStringLiteral("DeviceClock"), text}});
  return kExitOk;
}

int RunSnapshot(CommandIo& io) {
  const QString path = WithBitmapExtension(io.args.positional.first());
  if (const int code = CheckWritableFile(io, path)) return code;
  CliSession session(io.err, true, io.trace);
  if (const int code = ConnectForCommand(io, session)) return code;
  OperationContext ctx = session.Context();
  if (!CaptureSnapshotTo(ctx, path))
    return io.Fail(kExitFailed,
                   QStringLiteral("the snapshot could not be taken or saved to %1.").arg(path));
  PrintResult(io, path, QJsonObject{{QStringLiteral("File"), path}});
  return kExitOk;
}

int RunEdid(CommandIo& io) {
  const bool confirmed = io.args.Has(QStringLiteral("--yes"));
  // Nobody could answer the questions: the command never pretends to wait for them.
  if (!confirmed && !cli::IsTerminal(stdin))
    return io.Fail(kExitUsage, QStringLiteral("edid rewrites the device's EDID table: pass --yes "
                                              "to confirm (standard input is not a terminal)."));
  CliSession session(io.err, true, io.trace);
  if (!confirmed) session.prompts.AskOnTerminal(stdin);
  if (const int code = ConnectForCommand(io, session)) return code;
  OperationContext ctx = session.Context();
  RequestEdidRepair(ctx);
  const bool asked = !session.settings.ManufacturerMode();
  if (asked && !session.flags.EdidRequest) {
    PrintResult(io, QStringLiteral("EDID left unchanged (not confirmed)"),
                QJsonObject{{QStringLiteral("EdidProgrammed"), false}});
    return kExitOk;
  }
  if (session.flags.EdidRequest) ProgramEdid(ctx);
  if (Refused(session))
    return io.Fail(kExitFailed, QStringLiteral("the device did not program its EDID table."));
  PrintResult(io, QStringLiteral("EDID table programmed"),
              QJsonObject{{QStringLiteral("EdidProgrammed"), true}});
  return kExitOk;
}

int RunReset(CommandIo& io) {
  CliSession session(io.err, true, io.trace);
  if (const int code = ConnectForCommand(io, session)) return code;
  OperationContext ctx = session.Context();
  ResetDevice(ctx);
  if (Refused(session))
    return io.Fail(kExitFailed, QStringLiteral("the device did not accept the restart request."));
  PrintResult(io, QStringLiteral("the device is restarting"),
              QJsonObject{{QStringLiteral("Restarting"), true}});
  return kExitOk;
}

}  // namespace ostrivane::cli
