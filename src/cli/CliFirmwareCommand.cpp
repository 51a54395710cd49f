// firmware check|upgrade: what HardwareCheck would install, and installing it.
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include "cli/Cli.h"
#include "cli/CliCommands.h"
#include "operations/FirmwareImageStore.h"
#include "operations/FirmwareUpgrade.h"
#include "operations/ModelTable.h"

namespace ostrivane::cli {

namespace {

// The newest image of one kind, without loading (or deleting) anything.
QJsonObject DescribeCandidate(const QString& folder, const QString& name, int deviceVersion,
                              bool newerWins) {
  QJsonObject json{{QStringLiteral("Image"), name},
                   {QStringLiteral("DeviceVersion"), deviceVersion},
                   {QStringLiteral("WouldInstall"), false}};
  const FirmwareImageChoice choice = ChooseFirmwareImageFile(folder, name);
  if (choice.version == 0) return json;
  const QString expected = ParseFirmwareFileName(QFileInfo(choice.path).fileName()).digest;
  const bool digestOk =
      choice.version == kOneShotImageVersion || FileMd5Hex(choice.path) == expected;
  json.insert(QStringLiteral("FolderVersion"), choice.version);
  json.insert(QStringLiteral("File"), QFileInfo(choice.path).fileName());
  json.insert(QStringLiteral("DigestOk"), digestOk);
  json.insert(QStringLiteral("WouldInstall"), digestOk && newerWins);
  return json;
}

void PrintCandidate(CommandIo& io, const QString& kind, const QJsonObject& c) {
  io.out << kind << ": " << c.value(QStringLiteral("Image")).toString() << ", device version "
         << c.value(QStringLiteral("DeviceVersion")).toInt() << " — ";
  if (!c.contains(QStringLiteral("File"))) {
    io.out << "no image\n";
    return;
  }
  io.out << "image version " << c.value(QStringLiteral("FolderVersion")).toInt() << " ("
         << c.value(QStringLiteral("File")).toString() << ")";
  if (!c.value(QStringLiteral("DigestOk")).toBool())
    io.out << ", digest does not match: not installable\n";
  else
    io.out << (c.value(QStringLiteral("WouldInstall")).toBool() ? ", would be installed\n"
                                                                : ", up to date\n");
}

// What HardwareCheck would find: the main image and, on models with one, the secondary image.
QJsonObject CheckFolder(CliSession& session, const QString& folder, bool force) {
  const DeviceIdentity& id = session.identity;
  const QString model = session.ModelName();
  const FirmwareImageChoice main = ChooseFirmwareImageFile(folder, model);
  const bool mainNewer =
      main.version > id.Version.main || force || (id.DeviceTypeCode == 142 && id.Version.main == 7);
  QJsonObject json{
      {QStringLiteral("Folder"), QDir::toNativeSeparators(folder)},
      {QStringLiteral("Main"), DescribeCandidate(folder, model, id.Version.main, mainNewer)}};
  if (UpgradeProfile(id.DeviceTypeCode).value_or(FirmwareUpgradeProfile{}).secondaryStartArea) {
    const QString family = FirmwareFamilyName(id.DeviceTypeCode);
    const FirmwareImageChoice second = ChooseFirmwareImageFile(folder, family);
    json.insert(
        QStringLiteral("Secondary"),
        DescribeCandidate(folder, family, id.Version.secondary,
                          second.version > id.Version.secondary || id.Version.secondary == 255));
  }
  return json;
}

}  // namespace

int RunFirmware(CommandIo& io) {
  if (io.args.positional.size() != 1 || (io.args.positional.first() != QStringLiteral("check") &&
                                         io.args.positional.first() != QStringLiteral("upgrade")))
    return io.Fail(kExitUsage, QStringLiteral("firmware needs \"check\" or \"upgrade\"."));
  const bool upgrade = io.args.positional.first() == QStringLiteral("upgrade");
  if (io.args.Has(QStringLiteral("--folder")) &&
      !QFileInfo(io.args.Value(QStringLiteral("--folder"))).isDir())
    return io.Fail(kExitLocal, QStringLiteral("the firmware folder %1 does not exist.")
                                   .arg(io.args.Value(QStringLiteral("--folder"))));
  if (upgrade) {
    if (const int code = CheckBackupFolder(io)) return code;
  }
  CliSession session(io.err, io.args.Has(QStringLiteral("--quiet")), io.trace);
  if (const int code = ConnectForCommand(io, session)) return code;
  if (io.args.Has(QStringLiteral("--folder"))) {
    QString folder = io.args.Value(QStringLiteral("--folder"));
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    session.settings.SetFirmwareFolder(folder);
  }
  const bool force = io.args.Has(QStringLiteral("--force"));
  const QString folder = session.settings.FirmwareFolder();
  const QJsonObject found = CheckFolder(session, folder, force);
  if (!upgrade) {
    if (io.args.Has(QStringLiteral("--json"))) {
      io.out << QString::fromUtf8(QJsonDocument(found).toJson(QJsonDocument::Indented));
      return kExitOk;
    }
    PrintCandidate(io, QStringLiteral("main"), found.value(QStringLiteral("Main")).toObject());
    if (found.contains(QStringLiteral("Secondary")))
      PrintCandidate(io, QStringLiteral("secondary"),
                     found.value(QStringLiteral("Secondary")).toObject());
    return kExitOk;
  }
  // "Up to date" would be a lie when the folder holds nothing for this device.
  if (!found.value(QStringLiteral("Main")).toObject().contains(QStringLiteral("File")) &&
      !found.value(QStringLiteral("Secondary")).toObject().contains(QStringLiteral("File")))
    return io.Fail(kExitLocal, QStringLiteral("no firmware image for %1 found in %2.")
                                   .arg(session.ModelName(), QDir::toNativeSeparators(folder)));
  FirmwareCheckResult result;
  if (const QString why = RunUpgrade(io, session, result); !why.isEmpty())
    return io.Fail(kExitFailed, why + u'.');
  io.out << (result.written ? "firmware written; the device is restarting\n"
                            : "firmware up to date; nothing written\n");
  return kExitOk;
}

QString RunUpgrade(CommandIo& io, CliSession& session, FirmwareCheckResult& result) {
  OperationContext ctx = session.Context();
  session.flags.FirmwareReloadRequest = io.args.Has(QStringLiteral("--force"));
  session.flags.BackupsDisabled = io.args.Has(QStringLiteral("--no-backup"));
  result = RunHardwareCheck(ctx);
  session.status.Finish();
  if (!result.backupPath.isEmpty())
    io.out << "backup saved: " << QDir::toNativeSeparators(result.backupPath) << Qt::endl;
  if (!result.failure.isEmpty()) return result.failure;
  if (session.link.LinkError && !result.written)
    return QStringLiteral("the device stopped answering during the upgrade");
  return {};
}

}  // namespace ostrivane::cli
