// The window with its device work on the device thread: a device whose configuration cannot be
// had is never written, and a close lets the transfers that write the device run to their end.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QToolButton>

#include "UiTestSupport.h"
#include "link/Commands.h"
#include "sim/FirmwareImage.h"

namespace ostrivane::uitest {
namespace {

const QString kConfigurationError = QStringLiteral("Configuration Error");
const QString kFinishingFirmware =
    QStringLiteral("Finishing the firmware upgrade before closing...");

TEST(WindowDeviceThreadTest, RefusedFirstRead_NothingIsWrittenAndTheWindowKeepsSearching) {
  SimDevice sim(131);
  sim::SimFaults refuseRead;
  refuseRead.refuse = true;
  refuseRead.onlyCommand = cmd::ReadConfig;
  sim.device.SetFaults(refuseRead);
  UiHarness ui({.advanced = true, .devicePort = sim.TcpPort()});
  ASSERT_TRUE(sim.Announce(ui.App().DiscoveryPort()));

  ASSERT_TRUE(WaitUntil([&] { return ui.Info().StatusText() == kConfigurationError; }, 8000));
  EXPECT_FALSE(ui.Dialog().Connected());
  EXPECT_FALSE(ui.Setting().isVisible());
  EXPECT_EQ(ui.Dialog().height(), ui.Info().height());
  EXPECT_EQ(ui.Ctx().panel.PanelActive, 0);
  // The next search step tries again.
  ASSERT_TRUE(WaitUntil([&] { return sim.Count(cmd::ReadConfig) >= 2; }, 8000));
  EXPECT_EQ(sim.Count(cmd::WriteConfig), 0);

  // Once the device answers, the panel opens on its own record and still writes nothing unasked.
  sim.device.SetFaults(sim::SimFaults{});
  ASSERT_TRUE(ui.WaitConnected());
  EXPECT_TRUE(ui.Setting().isVisible());
  EXPECT_EQ(sim.Count(cmd::WriteConfig), 0);
}

TEST(WindowDeviceThreadTest,
     CloseDuringTheMainFirmwareTransfer_TheTransferEndsThenTheWindowCloses) {
  SimDevice sim(131);
  sim::SimFaults slow;
  slow.delay = std::chrono::milliseconds(5);
  slow.onlyCommand = cmd::Flash;
  sim.device.SetFaults(slow);
  UiHarness ui({.devicePort = sim.TcpPort()});
  ASSERT_FALSE(
      sim::WriteFirmwareImage(ui.FirmwareFolder(), QStringLiteral("UNIT131"), 21, 128 * 1024)
          .isEmpty());
  ASSERT_TRUE(sim.Announce(ui.App().DiscoveryPort()));

  ASSERT_TRUE(WaitUntil([&] { return ui.Dialog().Locked(); }, 8000));
  EXPECT_FALSE(ui.Setting().isEnabled());
  EXPECT_FALSE(ui.Dialog().close());
  EXPECT_TRUE(ui.Dialog().isVisible());
  EXPECT_EQ(ui.Info().StatusText(), kFinishingFirmware);
  EXPECT_TRUE(ui.prompts.messages.isEmpty()) << "closing asks nothing";

  // The transfer runs to its end, the device restarts on the new image, and the close asked for
  // is carried out.
  ASSERT_TRUE(WaitUntil([&] { return !ui.Dialog().isVisible(); }, 30000));
  EXPECT_EQ(sim.device.Versions().main, 21);
  EXPECT_EQ(sim.device.Counters().restarts, 1);
  EXPECT_EQ(sim.Count(cmd::WriteConfig), 0);
}

TEST(WindowDeviceThreadTest, CloseDuringALogDownload_EveryLogIsReadWholeAndClosedOnTheDevice) {
  SimDevice sim(131);
  UiHarness ui({.advanced = true, .devicePort = sim.TcpPort()});
  ASSERT_TRUE(sim.Announce(ui.App().DiscoveryPort()));
  ASSERT_TRUE(ui.WaitConnected());
  sim::SimFaults slow;
  slow.delay = std::chrono::milliseconds(40);
  slow.onlyCommand = cmd::FileTransfer;
  sim.device.SetFaults(slow);

  QTest::mouseClick(FindControl<QToolButton>(ui.Info(), control::LogButton), Qt::LeftButton);
  ASSERT_TRUE(WaitUntil([&] { return sim.Count(cmd::FileTransfer) >= 2; }, 5000));
  ui.Dialog().close();
  ASSERT_TRUE(WaitUntil([&] { return !ui.Dialog().isVisible(); }, 15000));

  const QStringList logs =
      QDir(ui.DesktopFolder()).entryList({QStringLiteral("LOG_*.txt")}, QDir::Files);
  ASSERT_EQ(logs.size(), 1);
  EXPECT_EQ(QFileInfo(QDir(ui.DesktopFolder()).filePath(logs[0])).size(), 8000);
  int closes = 0;
  for (const sim::SimRequest& request : sim.device.Requests()) {
    closes += request.command == cmd::FileTransfer &&
              request.payload == QByteArray(1, static_cast<char>(sub::FileClose));
  }
  EXPECT_EQ(closes, 2) << "each log file is closed on the device";
}

// The backup an upgrade needs cannot be written (its folder is taken by a file): the installer is
// asked, once, and the answer decides.
TEST(WindowDeviceThreadTest, UpgradeWhoseBackupFails_TheInstallerChoosesUpgradeOrConnection) {
  for (const PromptAnswer answer : {PromptAnswer::Ok, PromptAnswer::Cancel}) {
    const bool upgrade = answer == PromptAnswer::Ok;
    SCOPED_TRACE(upgrade ? "upgrade anyway" : "connect without upgrading");
    SimDevice sim(131);
    UiHarness ui({.devicePort = sim.TcpPort()});
    QFile blocker(QDir::cleanPath(ui.Ctx().settings.BackupFolder()));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    ASSERT_FALSE(
        sim::WriteFirmwareImage(ui.FirmwareFolder(), QStringLiteral("UNIT131"), 21, 16 * 1024)
            .isEmpty());
    ui.prompts.answers = {answer};
    ASSERT_TRUE(sim.Announce(ui.App().DiscoveryPort()));

    ASSERT_TRUE(ui.WaitConnected(30000));
    ASSERT_FALSE(ui.prompts.messages.isEmpty());
    const MessageBoxRequest& asked = ui.prompts.messages.front();
    EXPECT_TRUE(asked.text.startsWith(QStringLiteral("Back up failed: ")))
        << asked.text.toStdString();
    EXPECT_EQ(asked.okText, QStringLiteral("Upgrade anyway"));
    EXPECT_EQ(asked.cancelText, QStringLiteral("Connect without upgrading"));
    EXPECT_EQ(ui.prompts.messages.size(), 1) << "asked once";
    EXPECT_EQ(sim.device.Versions().main, upgrade ? 21 : 20);
    EXPECT_EQ(ui.Ctx().identity.Version.main, upgrade ? 21 : 20);
  }
}

}  // namespace
}  // namespace ostrivane::uitest
