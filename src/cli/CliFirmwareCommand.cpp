// firmware check|upgrade: what HardwareCheck would install, and installing it.
#include <QDir>
#include <QFileInfo>

#include "cli/Cli.h"
#include "cli/CliCommands.h"
#include "operations/FirmwareImageStore.h"
#include "operations/FirmwareUpgrade.h"
#include "operations/ModelTable.h"

namespace ostrivane::cli {

namespace {

// One line about the newest image of one kind, without loading (or deleting) anything.
void DescribeCandidate(CommandIo& io, const QString& kind, const QString& folder,
                       const QString& name, int deviceVersion, bool newerWins) {
  const FirmwareImageChoice choice = ChooseFirmwareImageFile(folder, name);
  io.out << kind << ": " << name << ", device version " << deviceVersion << " — ";
  if (choice.version == 0) {
    io.out << "no image\n";
    return;
  }
  const QString expected = ParseFirmwareFileName(QFileInfo(choice.path).fileName()).digest;
  const bool digestOk =
      choice.version == kOneShotImageVersion || FileMd5Hex(choice.path) == expected;
  io.out << "image version " << choice.version << " (" << QFileInfo(choice.path).fileName() << ")";
  if (!digestOk)
    io.out << ", digest does not match: not installable\n";
  else
    io.out << (newerWins ? ", would be installed\n" : ", up to date\n");
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
  CliSession session(io.err, io.args.Has(QStringLiteral("--quiet")), io.trace);
  if (const int code = ConnectForCommand(io, session)) return code;
  if (io.args.Has(QStringLiteral("--folder"))) {
    QString folder = io.args.Value(QStringLiteral("--folder"));
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    session.settings.SetFirmwareFolder(folder);
  }
  const bool force = io.args.Has(QStringLiteral("--force"));
  const DeviceIdentity& id = session.identity;
  const QString folder = session.settings.FirmwareFolder();
  if (!upgrade) {
    const QString model = ModelName(id.DeviceTypeCode, session.prompts);
    const FirmwareImageChoice main = ChooseFirmwareImageFile(folder, model);
    const bool mainNewer = main.version > id.Version.main || force ||
                           (id.DeviceTypeCode == 142 && id.Version.main == 7);
    DescribeCandidate(io, QStringLiteral("main"), folder, model, id.Version.main, mainNewer);
    if (UpgradeProfile(id.DeviceTypeCode).value_or(FirmwareUpgradeProfile{}).secondaryStartArea) {
      const QString family = FirmwareFamilyName(id.DeviceTypeCode);
      const FirmwareImageChoice second = ChooseFirmwareImageFile(folder, family);
      DescribeCandidate(io, QStringLiteral("secondary"), folder, family, id.Version.secondary,
                        second.version > id.Version.secondary || id.Version.secondary == 255);
    }
    return kExitOk;
  }
  OperationContext ctx = session.Context();
  session.flags.FirmwareReloadRequest = force;
  session.flags.BackupsDisabled = io.args.Has(QStringLiteral("--no-backup"));
  const FirmwareCheckResult result = RunHardwareCheck(ctx);
  session.status.Finish();
  if (!result.backupPath.isEmpty())
    io.out << "backup saved: " << QDir::toNativeSeparators(result.backupPath) << Qt::endl;
  if (!result.failure.isEmpty()) return io.Fail(kExitFailed, result.failure + u'.');
  if (session.link.LinkError && !result.written)
    return io.Fail(kExitFailed, QStringLiteral("the device stopped answering during the upgrade."));
  io.out << (result.written ? "firmware written; the device is restarting\n"
                            : "firmware up to date; nothing written\n");
  return kExitOk;
}

}  // namespace ostrivane::cli
