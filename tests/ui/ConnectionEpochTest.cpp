// Dialogs and questions belong to the connection they were opened for: the device is polled while
// they are open, and an answer that comes after the connection changed reaches no device.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDateEdit>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>

#include "UiTestSupport.h"
#include "files/ConfigurationFiles.h"
#include "link/Commands.h"
#include "texts/TextTable.h"
#include "ui/ActivityPanel.h"
#include "ui/CRTC.h"
#include "ui/ColouredTabBar.h"
#include "ui/DeviceList.h"
#include "ui/pages/UsbPage.h"

namespace ostrivane::uitest {
namespace {

const QString kConnectionChanged = LocalText(text::ConnectionChanged, 0);

bool Noted(UiHarness& ui, const QString& text) {
  return !ui.Dialog().Activity().Lines().filter(text).isEmpty();
}

// Link lost, then the same device answers again: a new connection.
void Reconnect(UiHarness& ui, SimDevice& sim) {
  QSignalSpy resumed(&ui.Dialog(), &COstrivaneDlg::SearchResumed);
  sim.GoSilent();
  ASSERT_TRUE(WaitUntil([&] { return !resumed.isEmpty(); }, 8000));
  sim.Answer();
  ASSERT_TRUE(ui.WaitConnected());
}

TEST(ConnectionEpochTest, ClockDialogOpenAcrossAReconnect_IsClosedAndSetsNoClock) {
  SimDevice sim(192);
  UiHarness ui({.devicePort = sim.TcpPort()});
  ASSERT_TRUE(sim.Announce(ui.App().DiscoveryPort()));
  ASSERT_TRUE(ui.WaitConnected());
  ui.Setting().PageTabs()->setCurrentIndex(UsbPage::kIndex);
  auto* field = FindControl<QLineEdit>(ui.Setting(), usbcontrol::ClockField);
  ASSERT_TRUE(WaitUntil([&] { return field->isEnabled() && !field->text().isEmpty(); }, 3000));

  QTest::mouseClick(field, Qt::LeftButton);
  QPointer<CRTC> dialog;
  ASSERT_TRUE(WaitUntil(
      [&] { return (dialog = qobject_cast<CRTC*>(QApplication::activeModalWidget())); }, 2000));
  dialog->DatePicker()->setDate(dialog->DatePicker()->date().addDays(2));
  // Window-modal, answered later: the device is still watched while it is open.
  const int polls = sim.Count(cmd::ReadStatus);
  ASSERT_TRUE(WaitUntil([&] { return sim.Count(cmd::ReadStatus) >= polls + 3; }, 3000));

  Reconnect(ui, sim);
  EXPECT_TRUE(dialog.isNull() || !dialog->isVisible()) << "closed with its connection";
  EXPECT_TRUE(Noted(ui, kConnectionChanged));
  ASSERT_TRUE(ui.WaitDeviceIdle());
  EXPECT_EQ(sim.device.Counters().clockSets, 0);
}

TEST(ConnectionEpochTest, LogsBoxAndEdidQuestionOpen_TheDeviceIsPolledAndALateYesProgramsNothing) {
  SimDevice sim(142);  // a model with the repair button
  UiHarness ui({.advanced = true, .devicePort = sim.TcpPort()});
  ASSERT_TRUE(sim.Announce(ui.App().DiscoveryPort()));
  ASSERT_TRUE(ui.WaitConnected());
  ui.prompts.hold = true;
  QTest::mouseClick(FindControl<QToolButton>(ui.Info(), control::LogButton), Qt::LeftButton);
  ASSERT_TRUE(WaitUntil([&] { return ui.prompts.heldMessages.size() == 1; }, 5000));
  EXPECT_TRUE(ui.prompts.messages.last().text.startsWith(QStringLiteral("Logs saved into ")));
  ui.Setting().SelectPage(3);
  QTest::mouseClick(FindControl<QToolButton>(ui.Setting(), control::EdidButton), Qt::LeftButton);
  ASSERT_EQ(ui.prompts.heldMessages.size(), 2u);

  const int polls = sim.Count(cmd::ReadStatus);
  EXPECT_TRUE(WaitUntil([&] { return sim.Count(cmd::ReadStatus) >= polls + 3; }, 3000));

  Reconnect(ui, sim);
  std::function<void(PromptAnswer)> confirm = ui.prompts.heldMessages.back();
  ui.prompts.hold = false;  // the second question is answered OK at once
  confirm(PromptAnswer::Ok);
  EXPECT_FALSE(ui.Ctx().flags.EdidRequest);
  EXPECT_TRUE(Noted(ui, kConnectionChanged));
  QTest::qWait(300);
  EXPECT_EQ(sim.device.Counters().edidProgrammings, 0);
}

TEST(ConnectionEpochTest, LoadDialogAndEditLeftByALostA_NeitherReachesBConnectedSince) {
  SimSetup setupA{
      .type = 131, .address = QStringLiteral("127.0.0.2"), .identifier = QStringLiteral("EPOCH-A")};
  SimDevice a(setupA);
  SimSetup setupB = setupA;
  setupB.address = QStringLiteral("127.0.0.3");
  setupB.tcpPort = a.TcpPort();
  setupB.identifier = QStringLiteral("EPOCH-B");
  SimDevice b(setupB);
  ASSERT_TRUE(a.Started() && b.Started());
  UiHarness ui({.manufacturer = true, .devicePort = a.TcpPort(), .lastDevice = "EPOCH-A"});
  ASSERT_TRUE(a.Announce(ui.App().DiscoveryPort()) && b.Announce(ui.App().DiscoveryPort()));
  ASSERT_TRUE(ui.WaitConnected());
  ASSERT_EQ(a.Count(cmd::ReadConfig), 1);
  ASSERT_TRUE(QDir(ui.DataFolder()).mkpath(QStringLiteral("config")));
  const QString file = ui.DataFolder() + QStringLiteral("/config/a.itc");
  NullPrompts quiet;
  NullStatusSink status;
  ASSERT_EQ(ConfigurationFiles(ui.Ctx().settings, quiet, status)
                .SaveConfigurationTo(file, ui.Ctx().config, ui.Ctx().panel, ui.Ctx().Layout()),
            SaveOutcome::Saved);

  ui.prompts.hold = true;
  QTest::mouseClick(FindControl<QPushButton>(ui.Setting(), control::LoadButton), Qt::LeftButton);
  ASSERT_TRUE(ui.prompts.heldFile);
  ui.Ctx().config.NetworkName = QStringLiteral("For A");
  ui.Ctx().panel.MarkForSending();
  // A is lost with the edit unsent; the installer picks B meanwhile.
  QSignalSpy resumed(&ui.Dialog(), &COstrivaneDlg::SearchResumed);
  a.StopAnnouncing();
  a.GoSilent();
  ASSERT_TRUE(WaitUntil([&] { return !resumed.isEmpty(); }, 8000));
  auto* list = ui.Dialog().DeviceList().findChild<QListWidget*>(QStringLiteral("deviceEntries"));
  ASSERT_TRUE(WaitUntil(
      [&] { return !list->findItems(QStringLiteral("EPOCH-B"), Qt::MatchStartsWith).isEmpty(); },
      8000));
  list->setCurrentItem(list->findItems(QStringLiteral("EPOCH-B"), Qt::MatchStartsWith).front());
  QTest::mouseClick(
      ui.Dialog().DeviceList().findChild<QPushButton*>(QStringLiteral("connectButton")),
      Qt::LeftButton);
  ASSERT_TRUE(ui.WaitConnected());
  ASSERT_EQ(b.Count(cmd::ReadConfig), 1);

  ui.prompts.heldFile(file);
  EXPECT_EQ(ui.Info().StatusText(), kConnectionChanged);
  QTest::qWait(600);  // several panel ticks
  ASSERT_TRUE(ui.WaitDeviceIdle());
  EXPECT_EQ(b.Count(cmd::WriteConfig), 0);
  EXPECT_EQ(b.Count(cmd::FactoryDefault), 0);
  EXPECT_TRUE(ui.prompts.messages.isEmpty()) << "A's edit is not offered to B";
  EXPECT_NE(ui.Ctx().config.NetworkName, QStringLiteral("For A"));
}

TEST(ConnectionEpochTest, EditPendingWhenTheLinkIsLost_SentThenReportedThenOfferedOnReconnect) {
  SimDevice sim(131);
  UiHarness ui({.devicePort = sim.TcpPort()});
  ASSERT_TRUE(sim.Announce(ui.App().DiscoveryPort()));
  ASSERT_TRUE(ui.WaitConnected());
  const QString before = ui.Ctx().config.NetworkName;
  ui.Ctx().config.NetworkName = QStringLiteral("Kept edit");
  ui.Ctx().panel.MarkForSending();
  ui.Setting().NoteEdit();
  ui.prompts.hold = true;
  Reconnect(ui, sim);

  // The last send was tried before the loss was reported.
  const QStringList lines = ui.Dialog().Activity().Lines();
  const auto at = [&](int entry) {
    const QString text = LocalText(entry, 0).section(QLatin1Char('%'), 0, 0);
    for (int i = 0; i < lines.size(); ++i) {
      if (lines[i].contains(text)) return i;
    }
    return -1;
  };
  ASSERT_GE(at(text::NotApplied), 0) << lines.join(u'\n').toStdString();
  EXPECT_LT(at(text::NotApplied), at(text::LinkLost)) << lines.join(u'\n').toStdString();

  // Back on the same device: the edit is offered, with what differs, and sent once accepted.
  ASSERT_EQ(ui.prompts.heldMessages.size(), 1u);
  EXPECT_TRUE(ui.prompts.messages.last().text.contains(
      QStringLiteral("NetworkName: \"%1\" -> \"Kept edit\"").arg(before)))
      << ui.prompts.messages.last().text.toStdString();
  const int writes = sim.Count(cmd::WriteConfig);  // the last send's, unanswered
  QTest::qWait(300);
  EXPECT_EQ(sim.Count(cmd::WriteConfig), writes) << "nothing goes out unasked";
  ui.prompts.heldMessages.front()(PromptAnswer::Ok);
  ASSERT_TRUE(WaitUntil([&] { return ui.Setting().Write().state == WriteState::Sent; }, 3000));
  EXPECT_EQ(sim.Count(cmd::WriteConfig), writes + 1);
  EXPECT_EQ(ui.Ctx().config.NetworkName, QStringLiteral("Kept edit"));
}

}  // namespace
}  // namespace ostrivane::uitest
