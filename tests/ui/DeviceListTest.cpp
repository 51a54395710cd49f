// The window with several modulators on the network: the list, the pick, the remembered choice.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>
#include <vector>

#include "UiTestSupport.h"
#include "link/Commands.h"
#include "ui/DeviceList.h"

namespace ostrivane::uitest {
namespace {

const QString kEntryA = QStringLiteral("RACK-A, 127.0.0.2, UNIT131 20.10");
const QString kEntryB = QStringLiteral("RACK-B, 127.0.0.3, UNIT192 20.10");

// Modulators of one rack: one port number, each on its own loopback address and identifier.
class Rack {
 public:
  explicit Rack(int count) {
    const std::uint8_t types[] = {131, 192, 140};
    std::uint16_t port = 0;
    for (int i = 0; i < count; ++i) {
      SimSetup setup;
      setup.type = types[i];
      setup.address = QStringLiteral("127.0.0.%1").arg(i + 2);
      setup.tcpPort = port;
      setup.identifier = QStringLiteral("RACK-") + QChar(u'A' + i);
      m_devices.push_back(std::make_unique<SimDevice>(setup));
      port = m_devices.back()->TcpPort();
    }
  }
  bool Started() const {
    return std::all_of(m_devices.begin(), m_devices.end(),
                       [](const auto& d) { return d->Started(); });
  }
  bool Announce(quint16 discoveryPort) {
    return std::all_of(m_devices.begin(), m_devices.end(),
                       [&](const auto& d) { return d->Announce(discoveryPort); });
  }
  std::uint16_t Port() const { return m_devices.front()->TcpPort(); }
  SimDevice& operator[](int i) { return *m_devices[static_cast<std::size_t>(i)]; }

 private:
  std::vector<std::unique_ptr<SimDevice>> m_devices;
};

QListWidget& Entries(UiHarness& ui) {
  return *ui.Dialog().DeviceList().findChild<QListWidget*>(QStringLiteral("deviceEntries"));
}

// The list follows the discovery table, whose order is the order the announcements were first
// heard in: the simulators announce concurrently, so the entries are compared without order.
bool WaitListed(UiHarness& ui, QStringList entries, int timeoutMs = 8000) {
  entries.sort();
  const bool listed = WaitUntil(
      [&] {
        QStringList shown = ui.Dialog().DeviceList().EntryTexts();
        shown.sort();
        return ui.Dialog().DeviceListShown() && shown == entries;
      },
      timeoutMs);
  if (!listed) {
    ADD_FAILURE() << "listed: " << ui.Dialog().DeviceList().EntryTexts().join(" | ").toStdString()
                  << (ui.Dialog().DeviceListShown() ? "" : " (list not shown)");
  }
  return listed;
}

int RowOf(QListWidget& list, const QString& text) {
  for (int row = 0; row < list.count(); ++row) {
    if (list.item(row)->text() == text) return row;
  }
  return -1;
}

QString RememberedFile(UiHarness& ui) {
  QFile file(ui.DataFolder() + QStringLiteral("/last_device.txt"));
  return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
}

// The next widget Tab reaches from this one.
QWidget* NextTabStop(QWidget* from) {
  for (QWidget* w = from->nextInFocusChain(); w != from; w = w->nextInFocusChain()) {
    if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(from->window()) && w->isEnabled()) {
      return w;
    }
  }
  return nullptr;
}

QToolButton& ChangeDeviceButton(UiHarness& ui) {
  return *ui.Info().findChild<QToolButton*>(QStringLiteral("changeDeviceButton"));
}

}  // namespace

TEST(DeviceListTest, OneDevice_ConnectsOnItsOwnAsAlwaysWithoutAList) {
  Rack rack(1);
  ASSERT_TRUE(rack.Started());
  UiHarness ui({.devicePort = rack.Port()});
  ASSERT_TRUE(rack.Announce(ui.App().DiscoveryPort()));
  ASSERT_TRUE(ui.WaitConnected());
  EXPECT_FALSE(ui.Dialog().DeviceListShown());
  EXPECT_FALSE(ChangeDeviceButton(ui).isVisible());
  EXPECT_EQ(ui.Dialog().height(), ui.Setting().height() + ui.Info().height());
  // Nothing is identified on the side: the wire carries the usual connection only.
  EXPECT_EQ(rack[0].Count(cmd::Identify), 1);
  EXPECT_EQ(rack[0].Count(cmd::ReadConfig), 1);
  EXPECT_TRUE(RememberedFile(ui).isEmpty());  // nothing was chosen
}

TEST(DeviceListTest, TwoDevices_ListedAndNothingConnectedUntilEnterPicksOne) {
  Rack rack(2);
  ASSERT_TRUE(rack.Started());
  UiHarness ui({.devicePort = rack.Port()});
  ASSERT_TRUE(rack.Announce(ui.App().DiscoveryPort()));
  // Each entry is identified once in the background, then reads with model and version.
  ASSERT_TRUE(WaitListed(ui, {kEntryA, kEntryB}));
  EXPECT_EQ(ui.Dialog().height(), ui.Dialog().DeviceList().height() + ui.Info().height());

  QTest::qWait(1500);  // several search steps, well past the announcement period
  EXPECT_FALSE(ui.Dialog().Connected());
  for (int i : {0, 1}) {
    EXPECT_EQ(rack[i].Count(cmd::Identify), 1) << i;
    EXPECT_EQ(rack[i].Count(cmd::ReadConfig), 0) << i;
  }

  // What a screen reader speaks, and the keyboard path.
  QListWidget& list = Entries(ui);
  auto* connectButton =
      ui.Dialog().DeviceList().findChild<QPushButton*>(QStringLiteral("connectButton"));
  ASSERT_NE(connectButton, nullptr);
  EXPECT_EQ(list.accessibleName(), QStringLiteral("Modulators on the network"));
  EXPECT_EQ(connectButton->accessibleName(), QStringLiteral("Connect"));
  const int rowB = RowOf(list, kEntryB);
  ASSERT_GE(rowB, 0);
  EXPECT_EQ(list.item(rowB)->data(Qt::AccessibleTextRole).toString(), kEntryB);
  EXPECT_EQ(NextTabStop(&list), connectButton);
  QAccessibleInterface* entry = QAccessible::queryAccessibleInterface(&list)->child(rowB);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->text(QAccessible::Name), kEntryB);

  list.setCurrentRow(rowB);
  QTest::keyClick(&list, Qt::Key_Return);
  ASSERT_TRUE(ui.WaitConnected());
  EXPECT_EQ(ui.Dialog().windowTitle(), QStringLiteral("Ostrivane 1.0 (H192[C0]-20.10)"));
  EXPECT_FALSE(ui.Dialog().DeviceListShown());
  EXPECT_FALSE(ui.Dialog().DeviceList().isVisible());
  EXPECT_TRUE(ChangeDeviceButton(ui).isVisible());
  EXPECT_EQ(rack[1].Count(cmd::ReadConfig), 1);
  EXPECT_EQ(rack[0].Count(cmd::ReadConfig), 0);
  EXPECT_EQ(RememberedFile(ui), QStringLiteral("RACK-B\n"));
}

TEST(DeviceListTest, FullTable_TheListSaysDevicesWereLeftOut) {
  CDeviceList list(0);
  const QVector<DiscoveredDevice> announced = {
      {QStringLiteral("RACK-A"), QStringLiteral("127.0.0.2")}};
  list.ShowDevices(announced, {});
  EXPECT_FALSE(list.SaysDevicesLeftOut());
  list.ShowDevices(announced, {}, 3);
  EXPECT_TRUE(list.SaysDevicesLeftOut());
  auto* note = list.findChild<QLabel*>(QStringLiteral("devicesLeftOut"));
  ASSERT_NE(note, nullptr);
  EXPECT_EQ(note->text(), QStringLiteral("List full: some modulators are not shown"));
}

TEST(DeviceListTest, ChosenDeviceLostAndAnnouncedAgain_ReconnectsToTheSameOne) {
  Rack rack(2);
  ASSERT_TRUE(rack.Started());
  UiHarness ui({.devicePort = rack.Port()});
  ASSERT_TRUE(rack.Announce(ui.App().DiscoveryPort()));
  ASSERT_TRUE(WaitListed(ui, {kEntryA, kEntryB}));
  QListWidget& list = Entries(ui);
  list.setCurrentRow(RowOf(list, kEntryB));
  QTest::mouseClick(
      ui.Dialog().DeviceList().findChild<QPushButton*>(QStringLiteral("connectButton")),
      Qt::LeftButton);
  ASSERT_TRUE(ui.WaitConnected());

  QSignalSpy resumed(&ui.Dialog(), &COstrivaneDlg::SearchResumed);
  rack[1].StopAnnouncing();
  rack[1].GoSilent();
  ASSERT_TRUE(WaitUntil([&] { return !resumed.isEmpty(); }, 8000));
  EXPECT_TRUE(ui.Dialog().DeviceListShown());  // the installer may pick another meanwhile
  QTest::qWait(1500);
  EXPECT_FALSE(ui.Dialog().Connected());
  EXPECT_EQ(rack[0].Count(cmd::ReadConfig), 0) << "the other device is never taken instead";

  rack[1].Answer();
  ASSERT_TRUE(rack[1].Announce(ui.App().DiscoveryPort()));
  ASSERT_TRUE(ui.WaitConnected());
  EXPECT_EQ(ui.Dialog().windowTitle(), QStringLiteral("Ostrivane 1.0 (H192[C0]-20.10)"));
  EXPECT_EQ(rack[0].Count(cmd::ReadConfig), 0);
}

TEST(DeviceListTest, RememberedDevice_ConnectsAtStartUpWithoutAskingOrWaiting) {
  Rack rack(2);
  ASSERT_TRUE(rack.Started());
  // A lone device would wait far longer than this test runs: only the remembered one connects.
  UiHarness ui({.devicePort = rack.Port(), .announcementPeriodMs = 600000, .lastDevice = "RACK-B"});
  ASSERT_TRUE(rack.Announce(ui.App().DiscoveryPort()));
  ASSERT_TRUE(ui.WaitConnected());
  EXPECT_EQ(ui.Dialog().windowTitle(), QStringLiteral("Ostrivane 1.0 (H192[C0]-20.10)"));
  EXPECT_EQ(rack[1].Count(cmd::ReadConfig), 1);
  EXPECT_EQ(rack[0].Count(cmd::ReadConfig), 0);
  EXPECT_TRUE(ui.prompts.messages.isEmpty());
}

TEST(DeviceListTest, ChangeDevice_ClosesThePanelWithItsLastSendAndWaitsForANewPick) {
  Rack rack(2);
  ASSERT_TRUE(rack.Started());
  UiHarness ui({.devicePort = rack.Port(), .lastDevice = "RACK-A"});
  ASSERT_TRUE(rack.Announce(ui.App().DiscoveryPort()));
  ASSERT_TRUE(ui.WaitConnected());
  ASSERT_TRUE(WaitUntil([&] { return ChangeDeviceButton(ui).isVisible(); }, 5000));
  EXPECT_EQ(ChangeDeviceButton(ui).accessibleName(), QStringLiteral("Change device"));

  const int writes = rack[0].Count(cmd::WriteConfig);
  QTest::mouseClick(&ChangeDeviceButton(ui), Qt::LeftButton);
  ASSERT_TRUE(WaitListed(ui, {kEntryA, kEntryB}));
  ASSERT_TRUE(ui.WaitDeviceIdle());
  EXPECT_EQ(rack[0].Count(cmd::WriteConfig), writes + 1);
  // Neither the device just left (the remembered one) nor the other is taken on its own.
  const int readsA = rack[0].Count(cmd::ReadConfig);
  QTest::qWait(1500);
  EXPECT_FALSE(ui.Dialog().Connected());
  EXPECT_EQ(rack[0].Count(cmd::ReadConfig), readsA);
  EXPECT_EQ(rack[1].Count(cmd::ReadConfig), 0);

  QListWidget& list = Entries(ui);
  const QRect rect = list.visualItemRect(list.item(RowOf(list, kEntryB)));
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, rect.center());
  QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, rect.center());
  ASSERT_TRUE(ui.WaitConnected());
  EXPECT_EQ(rack[1].Count(cmd::ReadConfig), 1);
  EXPECT_EQ(RememberedFile(ui), QStringLiteral("RACK-B\n"));
}

TEST(DeviceListTest, SilentEntry_AgesOutOfTheListAfterTenSeconds) {
  ShiftedClock discoveryClock;
  Rack rack(2);
  ASSERT_TRUE(rack.Started());
  UiHarness ui({.devicePort = rack.Port(), .discoveryClock = &discoveryClock});
  ASSERT_TRUE(rack.Announce(ui.App().DiscoveryPort()));
  ASSERT_TRUE(WaitListed(ui, {kEntryA, kEntryB}));

  // Silent for the shift plus the real time the list takes to follow (a few seconds at most on a
  // loaded machine): still well inside the ten seconds.
  rack[0].StopAnnouncing();
  discoveryClock.Advance(std::chrono::milliseconds(6000));
  QTest::qWait(2 * COstrivaneDlg::kDeviceListRefreshMs);
  EXPECT_TRUE(WaitListed(ui, {kEntryA, kEntryB}, 0));

  // Past ten silent seconds; the other device keeps announcing and stays.
  discoveryClock.Advance(std::chrono::milliseconds(4500));
  EXPECT_TRUE(WaitListed(ui, {kEntryB}, 5000));
  // One device left in a rack: still a pick, not a connection of its own.
  QTest::qWait(1000);
  EXPECT_FALSE(ui.Dialog().Connected());
}

}  // namespace ostrivane::uitest
