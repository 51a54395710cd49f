#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "OpsTestSupport.h"
#include "link/Commands.h"
#include "operations/StatusPoll.h"
#include "operations/Transfer.h"
#include "texts/TextTable.h"

namespace ostrivane {
namespace {

using opstest::Harness;
using opstest::SimHarness;
using Commands = std::vector<std::uint8_t>;

// A session as the panel has it after opening: data folder ready, first record read.
struct Session : SimHarness {
  explicit Session(std::uint8_t type) : SimHarness(Options(type)) {
    settings.LoadApplicationData(folder.path(), folder.path());
    EXPECT_TRUE(ReadDeviceConfig(ctx));
    device.ClearRequests();
  }
  QByteArray WriteLogo(const QString& name, qsizetype size) {
    QDir().mkpath(settings.LogoFolder());
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 13 + 5) & 0xFF);
    QFile file(settings.LogoFolder() + name);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return bytes;
  }
  void RequestFactoryDefault(const QString& logo) {
    config.LogoName = logo;
    panel.LogoFieldText = logo;
    panel.SendCountdown = 1;
    panel.FactoryDefaultRequest = 1;
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
  EXPECT_EQ(s.panel.SendCountdown, 0);
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
  EXPECT_EQ(s.panel.SendCountdown, 0);

  // The closing pass is not timer driven: it sends but never polls.
  s.device.ClearRequests();
  s.panel.SendCountdown = 1;
  PanelTick(s.ctx, false);
  EXPECT_EQ(s.DeviceCommands(), (Commands{cmd::WriteConfig, cmd::ReadConfig}));
  s.device.ClearRequests();
  PanelTick(s.ctx, false);
  EXPECT_TRUE(s.DeviceCommands().empty());
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
  EXPECT_EQ(s.displays.scheduleRefreshes, 2);
}

TEST(ReadDeviceConfig, ReplyLongerThanARecord_IsRefused) {
  Harness h(131);
  h.responder = [](const opstest::Request&) { return opstest::Accept(QByteArray(1025, 'V')); };
  h.config.Reference = QStringLiteral("unchanged");
  EXPECT_FALSE(ReadDeviceConfig(h.ctx));
  EXPECT_EQ(h.config.Reference, "unchanged");
  EXPECT_EQ(h.prompts.beeps.size(), 1u);
  EXPECT_EQ(h.displays.scheduleRefreshes, 0);
}

TEST(SendDeviceConfig, RecordTooLargeToEncode_ShowsErrorAndStillReadsBack) {
  Session s(131);
  s.config.Reference = QString(1200, QLatin1Char('x'));
  s.panel.SendCountdown = 1;
  s.panel.FourKChanged = 1;
  PanelTick(s.ctx, true);
  EXPECT_EQ(s.DeviceCommands(), (Commands{cmd::ReadConfig, cmd::Restart}));
  ASSERT_EQ(s.status.texts.size(), 1u);
  EXPECT_EQ(s.status.texts[0].text, LocalText(text::ConfigurationError, 0));
  EXPECT_EQ(s.status.texts[0].durationMs, 2000);
  EXPECT_NE(s.config.Reference.size(), 1200);  // the device's record came back
}

TEST(SendDeviceConfig, FourKChange_RestartsAfterTheReadBack) {
  Session s(176);
  s.panel.MarkForSending();
  s.panel.FourKChanged = 1;
  for (int i = 0; i < 10; ++i) PanelTick(s.ctx, true);
  const Commands all = s.DeviceCommands();
  EXPECT_EQ(Commands(all.end() - 3, all.end()),
            (Commands{cmd::WriteConfig, cmd::ReadConfig, cmd::Restart}));
  EXPECT_EQ(s.panel.FourKChanged, 0);
  EXPECT_EQ(s.device.Counters().restarts, 1);
}

TEST(StoreFactoryDefault, Type121_CardCommandsLogoUploadAndTwoRestarts) {
  Session s(121);
  const QByteArray logo = s.WriteLogo(QStringLiteral("brand.dg1"), 1000);
  s.RequestFactoryDefault(QStringLiteral("brand.dg1"));
  PanelTick(s.ctx, true);
  EXPECT_EQ(s.device.CommandLines(),
            (QStringList{"cp /UNIT121/current16.cfg /UNIT121/default16.cfg",
                         "mount /dev/mmcblk0p1 /mnt", "umount /mnt", "sync"}));
  EXPECT_EQ(s.device.StoredFile(QStringLiteral("/mnt/logo.dg1")), logo);
  // Open, three blocks of at most 400 bytes, close.
  const auto files = s.DeviceRequests(cmd::FileTransfer);
  ASSERT_EQ(files.size(), 5u);
  EXPECT_EQ(files[3].payload.size(), 1 + 200);
  EXPECT_EQ(files[4].payload, QByteArray::fromHex("02"));
  EXPECT_EQ(s.device.Counters().restarts, 2);
  EXPECT_EQ(s.DeviceCommands().back(), cmd::Restart);
  EXPECT_EQ(s.panel.FactoryDefaultRequest, 0);
}

TEST(StoreFactoryDefault, Type121WithoutLogoFile_SkipsOnlyTheUpload) {
  Session s(121);
  s.RequestFactoryDefault(QStringLiteral("missing.dg1"));
  PanelTick(s.ctx, true);
  EXPECT_TRUE(s.DeviceRequests(cmd::FileTransfer).empty());
  EXPECT_EQ(s.device.CommandLines().size(), 4);
  EXPECT_EQ(s.device.Counters().restarts, 2);
}

TEST(StoreFactoryDefault, Type192_OnlyTheFactoryCommand) {
  Session s(192);
  s.WriteLogo(QStringLiteral("brand.dg1"), 300);
  s.RequestFactoryDefault(QStringLiteral("brand.dg1"));
  PanelTick(s.ctx, true);
  EXPECT_EQ(s.DeviceCommands(), (Commands{cmd::WriteConfig, cmd::ReadConfig, cmd::FactoryDefault}));
}

TEST(StoreFactoryDefault, FlashTypes_LogoWrittenToTheirArea) {
  const std::pair<std::uint8_t, std::uint16_t> cases[] = {
      {128, 989}, {131, 926}, {158, 1021}, {159, 1021}, {176, 1021}, {178, 1021}, {140, 750}};
  for (const auto& [type, area] : cases) {
    SCOPED_TRACE(type);
    Session s(type);
    const QByteArray logo = s.WriteLogo(QStringLiteral("brand.dg1"), 1100);
    s.RequestFactoryDefault(QStringLiteral("brand.dg1"));
    PanelTick(s.ctx, true);
    EXPECT_EQ(s.device.Counters().factoryDefaults, 1);
    const auto flashes = s.device.FlashTransfers();
    ASSERT_EQ(flashes.size(), 1);
    EXPECT_EQ(flashes[0].area, area);
    EXPECT_EQ(flashes[0].data, logo);
    EXPECT_TRUE(flashes[0].ended);
    const auto pieces = s.DeviceRequests(cmd::Flash);
    ASSERT_EQ(pieces.size(), 5u);  // begin, 512, 512, 76, end
    EXPECT_EQ(pieces[3].payload.size(), 1 + 76);
  }
}

TEST(StoreFactoryDefault, LogoNameWithPath_IsNotRead) {
  Session s(131);
  s.WriteLogo(QStringLiteral("brand.dg1"), 100);
  s.RequestFactoryDefault(QStringLiteral("../logos/brand.dg1"));
  StoreFactoryDefault(s.ctx);
  EXPECT_EQ(s.device.Counters().factoryDefaults, 1);
  EXPECT_TRUE(s.DeviceRequests(cmd::Flash).empty());
}

TEST(StoreFactoryDefault, LinkDropsDuringLogo_LinkErrorAndModelIntact) {
  Session s(131);
  const DeviceConfig before = s.config;
  s.WriteLogo(QStringLiteral("brand.dg1"), 3000);
  s.RequestFactoryDefault(QStringLiteral("brand.dg1"));
  sim::SimFaults drop;
  drop.dropLinkAfterRequests = 5;  // 0x50, 0x70, 0x90, begin, first piece; then gone
  s.device.SetFaults(drop);
  PanelTick(s.ctx, true);
  EXPECT_TRUE(s.link.LinkError);
  EXPECT_FALSE(s.link.IsConnected());
  EXPECT_EQ(s.DeviceRequests(cmd::Flash).size(), 3u);  // the dropped one arrived, no end
  EXPECT_FALSE(s.device.FlashTransfers().value(0).ended);
  EXPECT_EQ(s.config.Services[0].ServiceName, before.Services[0].ServiceName);
  EXPECT_EQ(s.config.Modulators[0].FrequencyKhz, before.Modulators[0].FrequencyKhz);
  EXPECT_EQ(s.panel.FactoryDefaultRequest, 0);
}

TEST(PollStatus, UnchangedStatus_RefreshesUsbPageOnlyOnChange) {
  Session s(178);
  PanelTick(s.ctx, true);
  PanelTick(s.ctx, true);
  EXPECT_EQ(s.displays.usbRefreshes, 1);
  EXPECT_EQ(s.displays.tabLabelRefreshes, 2);
  EXPECT_EQ(s.displays.bitrateRefreshes, 2);
  EXPECT_EQ(s.displays.clockTexts.size(), 1u);

  s.device.SetUsbMedium(true, {QStringLiteral("new.ts")});
  PanelTick(s.ctx, true);
  EXPECT_EQ(s.displays.usbRefreshes, 2);
  EXPECT_EQ(s.deviceStatus.previous.UsbFileList, "new.ts");

  // A slot beyond the model's services still counts for the comparison.
  s.deviceStatus.previous.Inputs[3].InputLines = 720;
  PanelTick(s.ctx, true);
  EXPECT_EQ(s.displays.usbRefreshes, 3);
}

TEST(PollStatus, ClockFieldAndMeter_FollowTypeAndTime) {
  Session s(131);
  s.device.SetDeviceClock(QDateTime(QDate(2024, 3, 5), QTime(9, 5, 0)));
  PollStatus(s.ctx);
  EXPECT_EQ(s.displays.clockTexts, (std::vector<QString>{"09:05"}));
  EXPECT_EQ(s.displays.bitrateRefreshes, 0);

  sim::SimFaults silent;
  silent.silence = true;
  s.device.SetFaults(silent);
  s.deviceStatus.current.UsbMode = 9;
  PollStatus(s.ctx);
  EXPECT_EQ(s.deviceStatus.current.UsbMode, 9);
  EXPECT_EQ(s.displays.tabLabelRefreshes, 1);
}

}  // namespace
}  // namespace ostrivane
