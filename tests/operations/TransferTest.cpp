#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "OpsTestSupport.h"
#include "config/ConfigCodec.h"
#include "link/Commands.h"
#include "operations/StatusPoll.h"
#include "operations/Transfer.h"
#include "texts/TextTable.h"

namespace ostrivane {
namespace {

using Commands = std::vector<std::uint8_t>;

// A session as the panel has it after opening: data folder ready, first record read.
struct Session : opstest::SimHarness {
  explicit Session(std::uint8_t type) : SimHarness(Options(type)) {
    settings.LoadApplicationData(folder.path(), folder.path());
    EXPECT_TRUE(ReadDeviceConfig(ctx));
    device.ClearRequests();
  }
  QByteArray FactoryDefaultWithLogo(qsizetype size) {
    QDir().mkpath(settings.LogoFolder());
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 13 + 5) & 0xFF);
    QFile file(settings.LogoFolder() + QStringLiteral("brand.dg1"));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == size);
    config.LogoName = panel.LogoFieldText = QStringLiteral("brand.dg1");
    // These cases are about the storing steps; the backup read before them is tested apart.
    flags.BackupsDisabled = true;
    panel.SendCountdown = 1;
    panel.FactoryDefaultRequest = 1;
    return bytes;
  }
};

TEST(PanelTick, TenTicksAfterLastEdit_SendOnceThenReadBack) {
  Session s(131);
  s.panel.MarkForSending();
  for (int i = 0; i < 5; ++i) PanelTick(s.ctx, true);
  s.panel.MarkForSending();  // a later edit starts the count again
  for (int i = 0; i < 9; ++i) PanelTick(s.ctx, true);
  EXPECT_EQ(s.DeviceCommands(), Commands(14, cmd::ReadStatus));

  s.device.ClearRequests();
  s.status.activity.clear();
  PanelTick(s.ctx, true);
  EXPECT_EQ(s.DeviceCommands(), (Commands{cmd::WriteConfig, cmd::ReadConfig}));
  EXPECT_EQ(s.status.activity, (std::vector<bool>{true, false}));  // write lamp for 0x50 only
  EXPECT_EQ(s.device.ConfigRecord(), s.DeviceRequests(cmd::WriteConfig)[0].payload);
}

TEST(PanelTick, PlayerButtonWhileSendPending_SendsThenCommandsWithoutPoll) {
  Session s(178);
  s.panel.MarkForSending();
  s.panel.PlayerCommand = 2;
  PanelTick(s.ctx, true);
  EXPECT_EQ(s.DeviceCommands(), (Commands{cmd::WriteConfig, cmd::ReadConfig, cmd::PlayerControl}));
  EXPECT_EQ(s.DeviceRequests(cmd::PlayerControl)[0].payload, QByteArray::fromHex("02"));
  EXPECT_EQ(s.panel.PlayerCommand, 0);

  // The closing pass is not timer driven: it sends but never polls.
  s.device.ClearRequests();
  s.panel.SendCountdown = 1;
  PanelTick(s.ctx, false);
  PanelTick(s.ctx, false);
  EXPECT_EQ(s.DeviceCommands(), (Commands{cmd::WriteConfig, cmd::ReadConfig}));
}

TEST(ReadDeviceConfig, DeviceRecordReplacesModel_FailureBeepsAndKeepsIt) {
  Session s(131);
  const QString stored = s.config.Services[0].ServiceName;
  s.config.Services[0].ServiceName = QStringLiteral("edited, not sent");
  EXPECT_TRUE(ReadDeviceConfig(s.ctx));
  EXPECT_EQ(s.config.Services[0].ServiceName, stored);
  EXPECT_EQ(s.displays.scheduleRefreshes, 2);

  sim::SimFaults silent;
  silent.silence = true;
  s.device.SetFaults(silent);
  s.config.Services[0].ServiceName = QStringLiteral("kept");
  EXPECT_FALSE(ReadDeviceConfig(s.ctx));
  EXPECT_EQ(s.config.Services[0].ServiceName, "kept");
  EXPECT_EQ(s.prompts.beeps, (std::vector<std::pair<int, int>>{{800, 500}}));

  // A reply longer than a record is refused the same way.
  opstest::Harness h(131);
  h.responder = [](const opstest::Request&) { return opstest::Accept(QByteArray(1025, 'V')); };
  EXPECT_FALSE(ReadDeviceConfig(h.ctx));
  EXPECT_EQ(h.prompts.beeps.size(), 1u);
  EXPECT_EQ(h.displays.scheduleRefreshes, 0);
}

TEST(SendDeviceConfig, RecordTooLargeToEncode_ErrorAndNothingSentOrStored) {
  Session s(176);
  s.config.Reference = QString(1200, QLatin1Char('x'));
  s.panel.SendCountdown = 1;
  s.panel.FourKChanged = 1;
  s.panel.FactoryDefaultRequest = 1;
  PanelTick(s.ctx, true);
  EXPECT_TRUE(s.DeviceCommands().empty());
  ASSERT_EQ(s.status.texts.size(), 1u);
  EXPECT_EQ(s.status.texts[0].text, LocalText(text::ConfigurationError, 0));
  EXPECT_EQ(s.status.texts[0].durationMs, 2000);
  // The edited model stays for the user to correct; nothing waits to be stored as the default.
  EXPECT_EQ(s.config.Reference.size(), 1200);
  EXPECT_EQ(s.panel.FactoryDefaultRequest, 0);
  EXPECT_FALSE(SendDeviceConfig(s.ctx));
}

TEST(SendDeviceConfig, ReferenceStartingWithMultiOutputMark_RefusedWithReason) {
  Session s(131);
  s.config.Reference = QStringLiteral("VEVE-01");
  QByteArray record;
  QString refusal;
  DeviceConfig copy = s.config;
  EXPECT_FALSE(EncodeConfigImage(copy, s.panel, s.ctx.Layout(), record, &refusal));
  EXPECT_TRUE(record.isEmpty());
  EXPECT_TRUE(refusal.contains("VEVE")) << refusal.toStdString();
  const QByteArray before = s.device.ConfigRecord();
  s.panel.MarkForSending();
  s.panel.SendCountdown = 1;
  PanelTick(s.ctx, true);
  EXPECT_EQ(s.device.ConfigRecord(), before);
  EXPECT_TRUE(s.DeviceRequests(cmd::WriteConfig).empty());

  // The multi-output layout does not begin with the reference: the same text is fine there.
  Session multi(178);
  multi.config.Reference = QStringLiteral("VEVE-01");
  DeviceConfig multiCopy = multi.config;
  EXPECT_TRUE(EncodeConfigImage(multiCopy, multi.panel, multi.ctx.Layout(), record));
}

TEST(SendDeviceConfig, WriteRefusedOrUnanswered_NoDefaultStoredNoRestartAndFailure) {
  for (const bool silent : {false, true}) {
    SCOPED_TRACE(silent);
    Session s(158);
    sim::SimFaults fault;
    fault.refuse = !silent;
    fault.silence = silent;
    fault.onlyCommand = cmd::WriteConfig;
    s.device.SetFaults(fault);
    s.flags.BackupsDisabled = true;
    s.panel.FactoryDefaultRequest = 1;
    s.panel.FourKChanged = 1;
    EXPECT_FALSE(SendDeviceConfig(s.ctx));
    EXPECT_EQ(s.device.Counters().factoryDefaults, 0);
    EXPECT_EQ(s.device.Counters().restarts, 0);
    EXPECT_EQ(s.panel.FactoryDefaultRequest, 0);
    EXPECT_EQ(s.panel.FourKChanged, 0);
  }
}

TEST(ReadDeviceConfig, FirstReadFails_ModelNeverSentOverTheDevice) {
  struct Case {
    const char* name;
    sim::SimFaults faults;
    QByteArray deviceRecord;
    ConfigReadOutcome outcome;
  };
  sim::SimFaults refuse;
  refuse.refuse = true;
  refuse.onlyCommand = cmd::ReadConfig;
  sim::SimFaults silence;
  silence.silence = true;
  silence.onlyCommand = cmd::ReadConfig;
  const Case cases[] = {
      {"refused", refuse, {}, ConfigReadOutcome::Refused},
      {"silent", silence, {}, ConfigReadOutcome::NoReply},
      {"multi-output record",
       {},
       QByteArray("VEVE\x83", 5) + QByteArray(80, 'a'),
       ConfigReadOutcome::Undecodable},
      {"too short", {}, QByteArray("AB"), ConfigReadOutcome::Undecodable},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    opstest::SimHarness h(opstest::SimHarness::Options(131));
    h.settings.LoadApplicationData(h.folder.path(), h.folder.path());
    // The model of the device before this one, still in memory.
    h.config.Services[0].ServiceName = QStringLiteral("previous device");
    h.panel.DeviceRecordRead = true;
    if (!c.deviceRecord.isEmpty()) h.device.SetConfigRecord(c.deviceRecord);
    const QByteArray held = h.device.ConfigRecord();
    h.device.SetFaults(c.faults);

    ForgetDeviceRecord(h.ctx);
    EXPECT_EQ(ReadDeviceConfigOutcome(h.ctx), c.outcome);
    EXPECT_FALSE(h.prompts.beeps.empty());
    EXPECT_EQ(h.config.Services[0].ServiceName, "previous device");
    // Closing the panel and any edit would send: nothing goes out, nothing is stored.
    h.device.SetFaults({});
    h.panel.SendCountdown = 1;
    h.panel.FactoryDefaultRequest = 1;
    h.panel.FourKChanged = 1;
    PanelTick(h.ctx, false);
    EXPECT_FALSE(SendDeviceConfig(h.ctx));
    EXPECT_TRUE(h.DeviceRequests(cmd::WriteConfig).empty());
    EXPECT_EQ(h.device.Counters().factoryDefaults, 0);
    EXPECT_EQ(h.device.Counters().restarts, 0);
    EXPECT_EQ(h.device.ConfigRecord(), held);
  }
  EXPECT_EQ(ConfigReadFailureText(ConfigReadOutcome::Undecodable, 0),
            LocalText(text::ConfigurationError, 0));
  EXPECT_TRUE(ConfigReadFailureText(ConfigReadOutcome::NoReply, 0).isEmpty());
}

TEST(StoreFactoryDefault, Type121_CardCommandsLogoUploadAndTwoRestarts) {
  Session s(121);
  const QByteArray logo = s.FactoryDefaultWithLogo(1000);
  PanelTick(s.ctx, true);
  const QStringList lines{"cp /UNIT121/current16.cfg /UNIT121/default16.cfg",
                          "mount /dev/mmcblk0p1 /mnt", "umount /mnt", "sync"};
  EXPECT_EQ(s.device.CommandLines(), lines);
  EXPECT_EQ(s.device.StoredFile(QStringLiteral("/mnt/logo.dg1")), logo);
  EXPECT_EQ(s.DeviceRequests(cmd::FileTransfer).size(), 5u);  // open, 400, 400, 200, close
  EXPECT_EQ(s.device.Counters().restarts, 2);
  EXPECT_EQ(s.panel.FactoryDefaultRequest, 0);

  // A logo that cannot be used (missing, or named with a path) skips only the upload.
  s.device.ClearRequests();
  s.FactoryDefaultWithLogo(10);
  s.config.LogoName = s.panel.LogoFieldText = QStringLiteral("../logos/brand.dg1");
  PanelTick(s.ctx, true);
  EXPECT_TRUE(s.DeviceRequests(cmd::FileTransfer).empty());
  EXPECT_EQ(s.device.CommandLines().size(), 8);
  EXPECT_EQ(s.device.Counters().restarts, 4);
}

TEST(StoreFactoryDefault, FlashTypes_LogoWrittenToTheirArea) {
  const std::pair<std::uint8_t, std::uint16_t> cases[] = {
      {128, 989}, {131, 926}, {158, 1021}, {159, 1021}, {176, 1021}, {178, 1021}, {140, 750}};
  for (const auto& [type, area] : cases) {
    SCOPED_TRACE(type);
    Session s(type);
    const QByteArray logo = s.FactoryDefaultWithLogo(1100);
    PanelTick(s.ctx, true);
    EXPECT_EQ(s.device.Counters().factoryDefaults, 1);
    const auto flashes = s.device.FlashTransfers();
    ASSERT_EQ(flashes.size(), 1);
    EXPECT_EQ(flashes[0].area, area);
    EXPECT_EQ(flashes[0].data, logo);
    EXPECT_TRUE(flashes[0].ended);
    EXPECT_EQ(s.DeviceRequests(cmd::Flash).size(), 5u);  // begin, 512, 512, 76, end
  }
  Session s(192);
  s.FactoryDefaultWithLogo(300);
  PanelTick(s.ctx, true);
  EXPECT_EQ(s.DeviceCommands(), (Commands{cmd::WriteConfig, cmd::ReadConfig, cmd::FactoryDefault}));
}

TEST(StoreFactoryDefault, LinkDropsDuringLogo_LinkErrorAndModelIntact) {
  Session s(131);
  const DeviceConfig before = s.config;
  s.FactoryDefaultWithLogo(3000);
  sim::SimFaults drop;
  drop.dropLinkAfterRequests = 5;  // 0x50, 0x70, 0x90, begin, first piece; then gone
  s.device.SetFaults(drop);
  PanelTick(s.ctx, true);
  EXPECT_TRUE(s.link.LinkError);
  EXPECT_FALSE(s.link.IsConnected());
  EXPECT_EQ(s.DeviceRequests(cmd::Flash).size(), 3u);  // no end after the failure
  EXPECT_EQ(s.config.Services[0].ServiceName, before.Services[0].ServiceName);
  EXPECT_EQ(s.config.Modulators[0].FrequencyKhz, before.Modulators[0].FrequencyKhz);
}

TEST(PollStatus, DisplaysRefreshOnChangeOnly) {
  Session s(178);
  s.device.SetDeviceClock(QDateTime(QDate(2024, 3, 5), QTime(9, 5, 0)));
  PanelTick(s.ctx, true);
  PanelTick(s.ctx, true);
  EXPECT_EQ(s.displays.usbRefreshes, 1);
  EXPECT_EQ(s.displays.tabLabelRefreshes, 2);
  EXPECT_EQ(s.displays.bitrateRefreshes, 2);
  EXPECT_EQ(s.displays.clockTexts, (std::vector<QString>{"09:05"}));

  s.device.SetUsbMedium(true, {QStringLiteral("new.ts")});
  PanelTick(s.ctx, true);
  EXPECT_EQ(s.displays.usbRefreshes, 2);
  // A slot beyond the model's services still counts for the comparison.
  s.deviceStatus.previous.Inputs[3].InputLines = 720;
  PanelTick(s.ctx, true);
  EXPECT_EQ(s.displays.usbRefreshes, 3);

  Session other(131);
  PollStatus(other.ctx);
  EXPECT_EQ(other.displays.bitrateRefreshes, 0);
}

}  // namespace
}  // namespace ostrivane
