// What every command does before and after it talks to a device: local paths checked first,
// connecting with a reason when it fails, and the printed result.
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>

#include "cli/Cli.h"
#include "cli/CliCommands.h"

namespace ostrivane::cli {

int CheckWritableFolder(CommandIo& io, const QString& folder) {
  const QFileInfo info(folder.isEmpty() ? QStringLiteral(".") : folder);
  if (!info.exists())
    return io.Fail(kExitLocal, QStringLiteral("the folder %1 does not exist.").arg(folder));
  if (!info.isDir()) return io.Fail(kExitLocal, QStringLiteral("%1 is not a folder.").arg(folder));
  if (!info.isWritable())
    return io.Fail(kExitLocal,
                   QStringLiteral("cannot write into %1: permission denied.").arg(folder));
  return kExitOk;
}

int CheckWritableFile(CommandIo& io, const QString& path) {
  if (path == QStringLiteral("-")) return kExitOk;
  const QFileInfo info(path);
  if (info.isDir()) return io.Fail(kExitLocal, QStringLiteral("%1 is a folder.").arg(path));
  if (info.exists() && !info.isWritable())
    return io.Fail(kExitLocal, QStringLiteral("cannot write %1: permission denied.").arg(path));
  return CheckWritableFolder(io, info.absolutePath());
}

int CheckReadableFile(CommandIo& io, const QString& path) {
  if (path == QStringLiteral("-")) return kExitOk;
  const QFileInfo info(path);
  if (!info.exists())
    return io.Fail(kExitLocal, QStringLiteral("cannot read %1: no such file.").arg(path));
  if (info.isDir()) return io.Fail(kExitLocal, QStringLiteral("%1 is a folder.").arg(path));
  if (!info.isReadable())
    return io.Fail(kExitLocal, QStringLiteral("cannot read %1: permission denied.").arg(path));
  return kExitOk;
}

void PrintResult(CommandIo& io, const QString& sentence, const QJsonObject& json) {
  if (io.args.Has(QStringLiteral("--json")))
    io.out << QString::fromUtf8(QJsonDocument(json).toJson(QJsonDocument::Indented));
  else if (!io.args.Has(QStringLiteral("--quiet")))
    io.out << sentence << '\n';
}

int CheckBackupFolder(CommandIo& io) {
  if (io.args.Has(QStringLiteral("--no-backup"))) return kExitOk;
  const QString data = io.args.Has(QStringLiteral("--data"))
                           ? io.args.Value(QStringLiteral("--data"))
                           : QDir::currentPath();
  const QString backups = QDir(data).filePath(QStringLiteral("backups"));
  if (!QFileInfo::exists(backups)) {
    if (!QFileInfo(data).isDir()) return kExitOk;  // the connection step says so
    return CheckWritableFolder(io, data);
  }
  if (!QFileInfo(backups).isDir())
    return io.Fail(kExitLocal, QStringLiteral("no backup can be made: %1 is not a folder "
                                              "(--no-backup writes without one).")
                                   .arg(QDir::toNativeSeparators(backups)));
  return CheckWritableFolder(io, backups);
}

int ConnectForCommand(CommandIo& io, CliSession& session) {
  LinkRequest request;
  if (!io.args.ToLinkRequest(request))
    return io.Fail(kExitUsage, io.args.error + QStringLiteral("."));
  const QString data = io.args.Has(QStringLiteral("--data"))
                           ? io.args.Value(QStringLiteral("--data"))
                           : QDir::currentPath();
  if (!QFileInfo(data).isDir())
    return io.Fail(kExitLocal, QStringLiteral("the data folder %1 does not exist.").arg(data));
  session.settings.LoadApplicationData(data);
  // The window's language preference is not the command line's: scripts read English.
  session.settings.SetLanguageIndex(0);
  const bool connected = session.Connect(request);
  for (const QString& note : session.Notes()) io.err << "ostrivane-cli: " << note << ".\n";
  if (!connected && session.FailureCode() == kExitUsage)
    // A list of candidates ends the message as it stands.
    return io.Fail(kExitUsage, session.Failure().contains(u'\n')
                                   ? session.Failure()
                                   : session.Failure() + QStringLiteral("."));
  if (!connected)
    return io.Fail(kExitNoDevice, QStringLiteral("no device found: %1.").arg(session.Failure()));
  if (request.selector == TargetSelector::Unnamed && !io.args.Has(QStringLiteral("--quiet")))
    io.err << "using " << session.Chosen().Describe() << Qt::endl;
  return kExitOk;
}

}  // namespace ostrivane::cli
