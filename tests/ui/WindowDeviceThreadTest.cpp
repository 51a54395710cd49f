// The window with its device work on the device thread: a device whose configuration cannot be
// had is never written, and the main firmware transfer cannot be interrupted from the window.
#include <gtest/gtest.h>

#include <QSignalSpy>

#include "UiTestSupport.h"
#include "link/Commands.h"
#include "sim/FirmwareImage.h"

namespace ostrivane::uitest {
namespace {

const QString kConfigurationError = QStringLiteral("Configuration Error");
const QString kDoNotPowerOff = QStringLiteral("WAIT. DO NOT POWER OFF...");

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

TEST(WindowDeviceThreadTest, MainFirmwareTransfer_LocksTheWindowAndClosingIsIgnored) {
  SimDevice sim(131);
  sim::SimFaults slow;
  slow.delay = std::chrono::milliseconds(5);
  slow.onlyCommand = cmd::Flash;
  sim.device.SetFaults(slow);
  UiHarness ui({.devicePort = sim.TcpPort()});
  ASSERT_FALSE(
      sim::WriteFirmwareImage(ui.FirmwareFolder(), QStringLiteral("UNIT131"), 21, 128 * 1024)
          .isEmpty());
  QSignalSpy connections(&ui.Dialog(), &COstrivaneDlg::DeviceConnected);
  ASSERT_TRUE(sim.Announce(ui.App().DiscoveryPort()));

  ASSERT_TRUE(WaitUntil([&] { return ui.Dialog().Locked(); }, 8000));
  EXPECT_FALSE(ui.Setting().isEnabled());
  EXPECT_FALSE(ui.Dialog().close());
  EXPECT_TRUE(ui.Dialog().isVisible());
  EXPECT_EQ(ui.Info().StatusText(), kDoNotPowerOff);
  EXPECT_TRUE(ui.prompts.messages.isEmpty()) << "closing asks nothing";

  // The transfer runs to its end; the restarted device reports the new version and connects.
  ASSERT_TRUE(WaitUntil([&] { return !ui.Dialog().Locked(); }, 30000));
  EXPECT_TRUE(ui.Setting().isEnabled());
  ASSERT_TRUE(WaitUntil([&] { return connections.count() == 1; }, 10000));
  EXPECT_EQ(ui.Ctx().identity.Version.main, 21);
}

}  // namespace
}  // namespace ostrivane::uitest
