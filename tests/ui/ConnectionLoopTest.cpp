// The window against a simulated modulator: searching, connecting, polling, falling back.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>

#include "UiTestSupport.h"
#include "link/Commands.h"

namespace ostrivane::uitest {
namespace {

const QString kWaiting = QStringLiteral("Waiting connection...");
const QString kConnected = QStringLiteral("Hardware connected");

TEST(ConnectionLoopTest, NoDevice_SearchesInASmallWindowAndClosingSendsNothing) {
  SimDevice unannounced;
  UiHarness ui({.advanced = true});
  ASSERT_TRUE(WaitUntil([&] { return ui.Info().StatusText() == kWaiting; }, 2000));
  EXPECT_FALSE(ui.Setting().isVisible());
  EXPECT_EQ(ui.Dialog().height(), ui.Info().height());
  EXPECT_EQ(ui.Dialog().windowTitle(), QStringLiteral("Ostrivane 1.0"));
  EXPECT_FALSE(FindControl(ui.Info(), control::LogButton)->isEnabled());
  // The empty progress bar of a search step.
  EXPECT_EQ(ui.Info().ProgressRange(), 1u);

  // Still searching a second later.
  QTest::qWait(1200);
  EXPECT_FALSE(ui.Dialog().Connected());
  ui.Dialog().close();
  QTest::qWait(200);
  EXPECT_TRUE(unannounced.device.Requests().isEmpty());
}

TEST(ConnectionLoopTest, AnnouncedDevice_ConnectsPollsAndDownloadsLogs) {
  SimDevice sim(131);
  UiHarness ui({.advanced = true, .devicePort = sim.TcpPort()});
  ASSERT_NE(ui.App().DiscoveryPort(), 0);
  ASSERT_TRUE(sim.Announce(ui.App().DiscoveryPort()));
  const int searchingHeight = ui.Dialog().height();
  ASSERT_TRUE(ui.WaitConnected());

  EXPECT_EQ(ui.Dialog().windowTitle(), QStringLiteral("Ostrivane 1.0 (H131[83]-20.10)"));
  EXPECT_EQ(ui.Info().StatusText(), kConnected);
  EXPECT_TRUE(ui.Setting().isVisible());
  EXPECT_EQ(ui.Setting().CurrentPage(), 0);
  EXPECT_GT(ui.Dialog().height(), searchingHeight);
  EXPECT_EQ(ui.Dialog().height(), ui.Setting().height() + ui.Info().height());
  EXPECT_EQ(ui.Ctx().panel.PanelActive, 1);
  EXPECT_EQ(sim.Count(cmd::ReadConfig), 1);

  // About five polls a second, each 200 ms after the end of the previous tick.
  QTest::qWait(300);
  const int before = sim.Count(cmd::ReadStatus);
  QTest::qWait(1000);
  const int polls = sim.Count(cmd::ReadStatus) - before;
  EXPECT_GE(polls, 2);
  EXPECT_LE(polls, 7);
  EXPECT_EQ(sim.Count(cmd::WriteConfig), 0) << "nothing was edited";
  // The search, watch and panel periods (the two-second send among them) never fire early.
  for (const char* name : {"searchTimer", "watchTimer", "panelTimer"}) {
    const auto* timer = ui.Dialog().findChild<QTimer*>(QString::fromLatin1(name));
    ASSERT_NE(timer, nullptr) << name;
    EXPECT_EQ(timer->timerType(), Qt::PreciseTimer) << name;
  }

  auto* logButton = FindControl<QToolButton>(ui.Info(), control::LogButton);
  ASSERT_TRUE(logButton->isEnabled());
  QTest::mouseClick(logButton, Qt::LeftButton);
  // The download runs on the device thread; its report comes back to the window.
  ASSERT_TRUE(WaitUntil([&] { return !ui.prompts.messages.isEmpty(); }, 5000));
  const QString message = ui.prompts.messages.last().text;
  EXPECT_TRUE(message.startsWith(QStringLiteral("Logs saved into "))) << message.toStdString();
  const QStringList logs =
      QDir(ui.DesktopFolder()).entryList({QStringLiteral("LOG_*.txt")}, QDir::Files);
  ASSERT_EQ(logs.size(), 1);
  // Both device logs (5000 and 3000 bytes by default) end up in the one file.
  EXPECT_EQ(QFileInfo(QDir(ui.DesktopFolder()).filePath(logs[0])).size(), 8000);
}

TEST(ConnectionLoopTest, SerialDeviceInManufacturerMode_OpensOnManufacturerPage) {
  SimDevice sim(176, true);
  ASSERT_FALSE(sim.PtyPath().isEmpty());
  UiHarness ui({.manufacturer = true, .serialPaths = {sim.PtyPath()}});
  ASSERT_TRUE(ui.WaitConnected());

  EXPECT_EQ(ui.Dialog().windowTitle(), QStringLiteral("Ostrivane 1.0 (H176[B0]-20.10)"));
  EXPECT_EQ(ui.Setting().CurrentPage(), 4);
  EXPECT_TRUE(ui.Setting().Page(4)->isVisible());
  EXPECT_FALSE(ui.Setting().Page(0)->isVisible());
  // Two outputs and four services on this model.
  EXPECT_EQ(FindControl<QTabBar>(ui.Setting(), control::ModulatorTabs)->count(), 2);
  EXPECT_EQ(FindControl<QTabBar>(ui.Setting(), control::ServiceTabs)->count(), 4);
  // This model is told that the panel opened.
  EXPECT_TRUE(sim.Received(cmd::System, QByteArray::fromHex("03")));
  // The snapshot exists on this model and works in manufacturer mode.
  auto* snapshot = FindControl<QPushButton>(ui.Setting(), control::SnapshotButton);
  EXPECT_TRUE(snapshot->isVisible());
  EXPECT_TRUE(snapshot->isEnabled());
}

TEST(ConnectionLoopTest, SilentDevice_FallsBackToSearchingAndShrinks) {
  SimDevice sim(131);
  UiHarness ui({.devicePort = sim.TcpPort()});
  ASSERT_TRUE(sim.Announce(ui.App().DiscoveryPort()));
  ASSERT_TRUE(ui.WaitConnected());
  QSignalSpy fallBacks(&ui.Dialog(), &COstrivaneDlg::SearchResumed);
  QTest::qWait(400);  // past the first poll: a later one finds the device gone

  sim.GoSilent();
  ASSERT_TRUE(WaitUntil([&] { return fallBacks.count() > 0; }, 8000));
  EXPECT_FALSE(ui.Dialog().Connected());
  EXPECT_FALSE(ui.Setting().isVisible());
  EXPECT_EQ(ui.Ctx().panel.PanelActive, 0);
  EXPECT_EQ(ui.Dialog().height(), ui.Info().height());
  EXPECT_EQ(ui.Dialog().windowTitle(), QStringLiteral("Ostrivane 1.0"));
  EXPECT_TRUE(WaitUntil([&] { return ui.Info().StatusText() == kWaiting; }, 3000));
  EXPECT_FALSE(FindControl(ui.Info(), control::LogButton)->isEnabled());
}

TEST(ConnectionLoopTest, FirmwareReload_FallsBackThenReconnects) {
  SimDevice sim(131);
  UiHarness ui({.manufacturer = true, .devicePort = sim.TcpPort()});
  ASSERT_TRUE(sim.Announce(ui.App().DiscoveryPort()));
  ASSERT_TRUE(ui.WaitConnected());
  QSignalSpy fallBacks(&ui.Dialog(), &COstrivaneDlg::SearchResumed);
  QSignalSpy connections(&ui.Dialog(), &COstrivaneDlg::DeviceConnected);

  auto* reload = FindControl<QPushButton>(ui.Setting(), control::FirmwareReloadButton);
  ASSERT_TRUE(reload->isEnabled());
  QTest::mouseClick(reload, Qt::LeftButton);
  ASSERT_TRUE(WaitUntil([&] { return fallBacks.count() == 1; }, 3000));
  // The panel's last send on the way out.
  EXPECT_EQ(sim.Count(cmd::WriteConfig), 1);
  // Without firmware images nothing is written, and the device is found again.
  ASSERT_TRUE(WaitUntil([&] { return connections.count() == 1; }, 5000));
  EXPECT_FALSE(ui.Ctx().flags.FirmwareReloadRequest);
  EXPECT_TRUE(ui.Setting().isVisible());
}

TEST(ConnectionLoopTest, ConfirmedEdidRepair_ProgramsOnceOverTheOpenLinkThenReconnects) {
  SimDevice sim(142);  // a model with the repair button
  UiHarness ui({.devicePort = sim.TcpPort()});
  ASSERT_TRUE(sim.Announce(ui.App().DiscoveryPort()));
  ASSERT_TRUE(ui.WaitConnected());
  QSignalSpy fallBacks(&ui.Dialog(), &COstrivaneDlg::SearchResumed);
  QSignalSpy connections(&ui.Dialog(), &COstrivaneDlg::DeviceConnected);
  ui.Setting().SelectPage(3);

  // Cancelled at the second question: nothing happens.
  ui.prompts.answers = {PromptAnswer::Ok, PromptAnswer::Cancel};
  auto* repair = FindControl<QToolButton>(ui.Setting(), control::EdidButton);
  ASSERT_TRUE(repair->isEnabled());
  QTest::mouseClick(repair, Qt::LeftButton);
  ASSERT_TRUE(WaitUntil([&] { return ui.prompts.messages.size() == 2; }, 3000));
  QTest::qWait(300);
  EXPECT_EQ(fallBacks.count(), 0);

  ui.prompts.answers = {PromptAnswer::Ok, PromptAnswer::Ok};
  QTest::mouseClick(repair, Qt::LeftButton);
  ASSERT_TRUE(WaitUntil([&] { return fallBacks.count() == 1; }, 3000));
  ASSERT_TRUE(WaitUntil([&] { return connections.count() == 1; }, 5000));
  EXPECT_EQ(sim.device.Counters().edidProgrammings, 1);
  EXPECT_FALSE(ui.Ctx().flags.EdidRequest);
  QTest::qWait(300);
  EXPECT_EQ(sim.device.Counters().edidProgrammings, 1);
}

TEST(ConnectionLoopTest, ClosingWhileConnected_SendsTheRecordOnlyWhenEditsAreUnsent) {
  for (const bool edited : {false, true}) {
    SCOPED_TRACE(edited ? "edited" : "nothing edited");
    SimDevice sim(131);
    UiHarness ui({.devicePort = sim.TcpPort()});
    ASSERT_TRUE(sim.Announce(ui.App().DiscoveryPort()));
    ASSERT_TRUE(ui.WaitConnected());
    ASSERT_TRUE(ui.WaitDeviceIdle());
    ASSERT_EQ(sim.Count(cmd::WriteConfig), 0);
    if (edited) {
      ui.Ctx().config.NetworkId = 4321;
      ui.Ctx().panel.MarkForSending();
    }

    ui.Dialog().close();
    ASSERT_TRUE(WaitUntil([&] { return !ui.Dialog().isVisible(); }, 8000));
    EXPECT_EQ(sim.Count(cmd::WriteConfig), edited ? 1 : 0);
    EXPECT_EQ(ui.Ctx().panel.PanelActive, 0);
    const int requests = static_cast<int>(sim.device.Requests().size());
    QTest::qWait(500);
    EXPECT_EQ(sim.device.Requests().size(), requests) << "the closed window went on talking";
  }
}

TEST(ConnectionLoopTest, ClosingWithASilentDevice_TheWindowKeepsAnsweringAndClosesAlone) {
  SimDevice sim(131);
  UiHarness ui({.devicePort = sim.TcpPort()});
  ASSERT_TRUE(sim.Announce(ui.App().DiscoveryPort()));
  ASSERT_TRUE(ui.WaitConnected());
  const int polls = sim.Count(cmd::ReadStatus);
  sim.GoSilent();
  // A poll is waiting for its reply when the close comes.
  ASSERT_TRUE(WaitUntil([&] { return sim.Count(cmd::ReadStatus) > polls; }, 8000));

  EXPECT_FALSE(ui.Dialog().close()) << "the close must not wait for the device";
  EXPECT_TRUE(ui.Dialog().Closing());
  EXPECT_FALSE(ui.Dialog().close());
  EXPECT_EQ(ui.Info().StatusText(),
            QStringLiteral("Already closing: please wait until the device work has finished."));
  ASSERT_TRUE(WaitUntil([&] { return !ui.Dialog().isVisible(); }, 8000));
  EXPECT_EQ(sim.Count(cmd::WriteConfig), 0);
}

TEST(ConnectionLoopTest, ClosingWithAnEditADeviceNoLongerTakes_TheRecordIsKeptInTheDataFolder) {
  SimDevice sim(131);
  UiHarness ui({.devicePort = sim.TcpPort()});
  ASSERT_TRUE(sim.Announce(ui.App().DiscoveryPort()));
  ASSERT_TRUE(ui.WaitConnected());
  ASSERT_TRUE(ui.WaitDeviceIdle());
  sim.GoSilent();
  ui.Ctx().config.NetworkId = 4321;
  ui.Ctx().panel.MarkForSending();

  ui.Dialog().close();
  EXPECT_EQ(ui.Info().StatusText(), QStringLiteral("Sending the last changes before closing..."));
  ASSERT_TRUE(WaitUntil([&] { return !ui.Dialog().isVisible(); }, 15000));
  const QDir data(ui.DataFolder());
  const QStringList kept = data.entryList({QStringLiteral("unsent_*.itc")}, QDir::Files);
  ASSERT_EQ(kept.size(), 1);
  QFile log(data.filePath(QStringLiteral("activity.log")));
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  EXPECT_TRUE(QString::fromUtf8(log.readAll()).contains(kept[0]));
}

}  // namespace
}  // namespace ostrivane::uitest
