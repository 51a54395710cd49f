#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "OpsTestSupport.h"
#include "files/ConfigurationFiles.h"
#include "link/Commands.h"
#include "operations/Backups.h"
#include "operations/FirmwareUpgrade.h"
#include "operations/Transfer.h"
#include "sim/FirmwareImage.h"

namespace ostrivane {
namespace {

using Commands = std::vector<std::uint8_t>;

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct Session : opstest::SimHarness {
  explicit Session(std::uint8_t type, std::uint8_t main = 20) : SimHarness(Options(type, main)) {
    settings.LoadApplicationData(folder.path(), folder.path());
    EXPECT_TRUE(ReadDeviceConfig(ctx));
    device.ClearRequests();
  }
  static sim::SimOptions Options(std::uint8_t type, std::uint8_t main) {
    sim::SimOptions options = SimHarness::Options(type);
    options.mainVersion = main;
    return options;
  }
  QStringList Backups() const {
    return QDir(settings.BackupFolder()).entryList(QDir::Files, QDir::Name);
  }
};

TEST(Backups, LoadOrFactoryDefault_DeviceRecordSavedBeforeTheWrite) {
  for (const std::uint8_t type : std::initializer_list<std::uint8_t>{131, 121}) {
    SCOPED_TRACE(type);
    Session s(type);
    const QByteArray held = s.device.ConfigRecord();
    s.config.Services[0].ServiceName = QStringLiteral("from a file");
    s.panel.SendCountdown = 1;
    s.panel.FactoryDefaultRequest = 1;
    PanelTick(s.ctx, false);

    const Commands sent = s.DeviceCommands();
    ASSERT_GE(sent.size(), 3u);
    EXPECT_EQ(Commands(sent.begin(), sent.begin() + 3),
              (Commands{cmd::ReadConfig, cmd::WriteConfig, cmd::ReadConfig}));
    // Named after the device (here the port it was reached at) and kept with a latest copy.
    const QRegularExpression named(type == 121 ? "^simulated_UNIT121_20260102_0304\\d\\d\\.tmc$"
                                               : "^simulated_UNIT131_20260102_0304\\d\\d\\.itc$");
    ASSERT_EQ(s.Backups().size(), 2);
    const QString name = s.Backups().front();
    EXPECT_TRUE(named.match(name).hasMatch()) << name.toStdString();
    EXPECT_EQ(ReadAll(s.settings.BackupFolder() + name), held);
    EXPECT_EQ(s.Backups().back(),
              type == 121 ? "simulated_UNIT121_latest.tmc" : "simulated_UNIT131_latest.itc");
    EXPECT_EQ(ReadAll(s.settings.BackupFolder() + s.Backups().back()), held);
    EXPECT_EQ(s.status.texts.front().text,
              "Backup saved: " + QDir::toNativeSeparators(s.settings.BackupFolder() + name));

    // LOAD restores the backup as it restores any saved file.
    DeviceConfig restored;
    PanelState panel;
    ConfigurationFiles files(s.settings, s.prompts, s.status);
    EXPECT_EQ(files
                  .LoadConfigurationFrom(s.settings.BackupFolder() + name, restored, panel,
                                         s.ctx.Layout())
                  .outcome,
              LoadOutcome::Loaded);
  }

  // An ordinary edit replaces nothing for good: no backup.
  Session s(131);
  s.panel.SendCountdown = 1;
  PanelTick(s.ctx, false);
  EXPECT_TRUE(s.Backups().isEmpty());
}

TEST(Backups, BackupCannotBeMadeOrRead_NothingWrittenAndWhyIsShown) {
  Session unwritable(131);
  // A file where the folder should be: the folder cannot be made.
  QFile blocker(unwritable.settings.BackupFolder().chopped(1));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  unwritable.panel.SendCountdown = 1;
  unwritable.panel.FactoryDefaultRequest = 1;
  PanelTick(unwritable.ctx, false);
  EXPECT_EQ(unwritable.DeviceCommands(), Commands{cmd::ReadConfig});
  EXPECT_EQ(unwritable.device.Counters().factoryDefaults, 0);
  ASSERT_FALSE(unwritable.status.texts.empty());
  EXPECT_TRUE(unwritable.status.texts.back().text.contains("backup folder"));
  // The window says why in its own language.
  unwritable.settings.SetLanguageIndex(3);
  ShowBackupOutcome(unwritable.ctx, BackupDeviceConfig(unwritable.ctx, QDateTime()));
  EXPECT_TRUE(unwritable.status.texts.back().text.startsWith(
      "Keine Sicherung, nichts geschrieben: der Sicherungsordner"));

  Session refused(131);
  sim::SimFaults fault;
  fault.refuse = true;
  fault.onlyCommand = cmd::ReadConfig;
  refused.device.SetFaults(fault);
  refused.panel.SendCountdown = 1;
  refused.panel.FactoryDefaultRequest = 1;
  EXPECT_FALSE(SendDeviceConfig(refused.ctx));
  EXPECT_TRUE(refused.DeviceRequests(cmd::WriteConfig).empty());
  EXPECT_TRUE(refused.status.texts.back().text.contains("refused"));
}

TEST(Backups, ManyBackups_NewestHundredPerDeviceKeptAndSameSecondNotReplaced) {
  opstest::Harness h(131);
  h.settings.LoadApplicationData(h.folder.path(), h.folder.path());
  const QDateTime start(QDate(2025, 12, 31), QTime(23, 59, 0));
  for (int i = 0; i < 103; ++i) {
    ASSERT_TRUE(
        WriteBackupFile(h.settings, "ROOF1", 131, QByteArray::number(i), start.addSecs(i)).ok);
  }
  // Another device of the same model, another model and the user's own files are not counted
  // or touched.
  ASSERT_TRUE(WriteBackupFile(h.settings, "ROOF2", 131, "twin", start).ok);
  ASSERT_TRUE(WriteBackupFile(h.settings, "ROOF1", 158, "other", start).ok);
  QFile own(h.settings.BackupFolder() + "ROOF1_UNIT131_notes.itc");
  ASSERT_TRUE(own.open(QIODevice::WriteOnly));
  own.close();

  const QStringList names = QDir(h.settings.BackupFolder()).entryList(QDir::Files, QDir::Name);
  EXPECT_EQ(names.size(), 100 + 1 + 2 + 2 + 1);  // with the three latest copies
  EXPECT_FALSE(names.contains("ROOF1_UNIT131_20251231_235902.itc"));
  EXPECT_TRUE(names.contains("ROOF1_UNIT131_20251231_235903.itc"));
  EXPECT_TRUE(names.contains("ROOF1_UNIT131_20260101_000042.itc"));
  EXPECT_TRUE(names.contains("ROOF2_UNIT131_20251231_235900.itc"));
  EXPECT_TRUE(names.contains("ROOF1_UNIT158_20251231_235900.itc"));
  EXPECT_EQ(ReadAll(h.settings.BackupFolder() + "ROOF1_UNIT131_latest.itc"), "102");
  EXPECT_EQ(ReadAll(h.settings.BackupFolder() + "ROOF2_UNIT131_latest.itc"), "twin");

  const BackupResult again = WriteBackupFile(h.settings, "ROOF1", 131, "later", start.addSecs(102));
  ASSERT_TRUE(again.ok);
  EXPECT_TRUE(again.path.endsWith("ROOF1_UNIT131_20260101_000042_2.itc"));
  EXPECT_EQ(ReadAll(h.settings.BackupFolder() + "ROOF1_UNIT131_20260101_000042.itc"), "102");
  EXPECT_EQ(ReadAll(h.settings.BackupFolder() + "ROOF1_UNIT131_latest.itc"), "later");
}

TEST(Backups, FirmwareUpgrade_BackupBeforeFirstFlashRequestOnlyWhenWriting) {
  Session s(131, 20);
  s.settings.SetFirmwareFolder(s.folder.path() + QStringLiteral("/fw/"));
  QDir().mkpath(s.settings.FirmwareFolder());
  ASSERT_FALSE(sim::WriteFirmwareImage(s.settings.FirmwareFolder(), "UNIT131", 20, 600).isEmpty());
  FirmwareCheckResult same = RunHardwareCheck(s.ctx);
  EXPECT_FALSE(same.written);
  EXPECT_TRUE(s.device.Requests().isEmpty());

  ASSERT_FALSE(sim::WriteFirmwareImage(s.settings.FirmwareFolder(), "UNIT131", 21, 600).isEmpty());
  const FirmwareCheckResult newer = RunHardwareCheck(s.ctx);
  EXPECT_TRUE(newer.written);
  EXPECT_TRUE(newer.failure.isEmpty());
  EXPECT_EQ(s.device.Requests().front().command, cmd::ReadConfig);
  EXPECT_EQ(s.device.Requests().at(1).command, cmd::Flash);
  EXPECT_TRUE(QFileInfo(newer.backupPath).fileName().startsWith("simulated_UNIT131_20260102_0304"));
  EXPECT_EQ(ReadAll(newer.backupPath), s.device.ConfigRecord());
}

TEST(Backups, FirmwareUpgradeWithoutBackup_NothingFlashedAndWhySaid) {
  Session s(131, 20);
  s.settings.SetFirmwareFolder(s.folder.path() + QStringLiteral("/fw/"));
  QDir().mkpath(s.settings.FirmwareFolder());
  ASSERT_FALSE(sim::WriteFirmwareImage(s.settings.FirmwareFolder(), "UNIT131", 21, 600).isEmpty());
  s.device.SetConfigRecord(QByteArray("VEVE\x83", 5) + QByteArray(80, 'a'));
  const FirmwareCheckResult result = RunHardwareCheck(s.ctx);
  EXPECT_FALSE(result.written);
  EXPECT_TRUE(result.failure.contains("does not decode")) << result.failure.toStdString();
  EXPECT_EQ(s.DeviceCommands(), Commands{cmd::ReadConfig});

  // The user may skip the backup on purpose.
  s.flags.BackupsDisabled = true;
  EXPECT_TRUE(RunHardwareCheck(s.ctx).written);
}

}  // namespace
}  // namespace ostrivane
