// The settings panel open for a simulated device: page choice, tab colours, keyboard, displays,
// the manufacturer buttons and the accessibility of every numbered control.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QSet>

#include "UiTestSupport.h"
#include "link/Commands.h"
#include "ui/ColouredTabBar.h"

namespace ostrivane::uitest {
namespace {

struct ConnectedPanel {
  explicit ConnectedPanel(HarnessSetup setup, std::uint8_t type = 131) : sim(type) {
    setup.devicePort = sim.TcpPort();
    ui = std::make_unique<UiHarness>(setup);
    announced = sim.Announce(ui->App().DiscoveryPort());
    connected = announced && ui->WaitConnected();
  }
  CSetting& Panel() { return ui->Setting(); }
  ColouredTabBar& PageTabs() { return *Panel().PageTabs(); }

  SimDevice sim;
  std::unique_ptr<UiHarness> ui;
  bool announced = false;
  bool connected = false;
};

TEST(PanelTest, SwitchingTabs_NeverMarksForSending) {
  ConnectedPanel panel({.advanced = true, .manufacturer = true}, 176);
  ASSERT_TRUE(panel.connected);
  PanelState& state = panel.ui->Ctx().panel;
  for (int page : {0, 1, 2, 3, 4, 1, 0}) {
    panel.PageTabs().setCurrentIndex(page);
    EXPECT_EQ(panel.Panel().CurrentPage(), page);
    EXPECT_EQ(state.SendCountdown, 0) << "page " << page;
    EXPECT_EQ(state.UpdatingGuard, 0);
  }
  auto* services = FindControl<QTabBar>(panel.Panel(), control::ServiceTabs);
  auto* outputs = FindControl<QTabBar>(panel.Panel(), control::ModulatorTabs);
  outputs->setCurrentIndex(1);
  EXPECT_EQ(panel.Panel().CurrentModulator(), 1);
  panel.PageTabs().setCurrentIndex(1);
  services->setCurrentIndex(3);
  EXPECT_EQ(panel.Panel().CurrentService(), 3);
  // The other strip keeps its choice while the pages change.
  EXPECT_EQ(outputs->currentIndex(), 1);
  EXPECT_EQ(state.SendCountdown, 0);
  QTest::qWait(2500);
  EXPECT_EQ(panel.sim.Count(cmd::WriteConfig), 0);
}

TEST(PanelTest, PageChoice_FollowsCapabilityAndModes) {
  ConnectedPanel panel({});
  ASSERT_TRUE(panel.connected);
  OperationContext& ctx = panel.ui->Ctx();
  const QStringList labels = {"MULTIPLEX", "SERVICE", "USB (M1A)", "MISC.", "MANUFACTURER"};
  for (int i = 0; i < labels.size(); ++i) EXPECT_EQ(panel.PageTabs().tabText(i), labels[i]);

  ctx.config.CapabilityPlayRecord = 0;
  EXPECT_EQ(panel.PageTabs().ItemColour(2), ColouredTabBar::kSilver);
  panel.PageTabs().setCurrentIndex(2);
  EXPECT_FALSE(panel.Panel().Page(2)->isVisible()) << "USB page shown without the capability";
  ctx.config.CapabilityPlayRecord = 1;
  EXPECT_EQ(panel.PageTabs().ItemColour(2), ColouredTabBar::kLimeGreen);
  panel.PageTabs().setCurrentIndex(3);
  panel.PageTabs().setCurrentIndex(2);
  EXPECT_TRUE(panel.Panel().Page(2)->isVisible());

  // Neither mode: the MANUFACTURER tab stays but its page is empty.
  panel.PageTabs().setCurrentIndex(4);
  EXPECT_EQ(panel.Panel().CurrentPage(), 4);
  EXPECT_FALSE(panel.Panel().Page(4)->isVisible());
  EXPECT_EQ(panel.PageTabs().ItemColour(0), ColouredTabBar::kRoyalBlue);
  EXPECT_EQ(panel.PageTabs().ItemColour(3), ColouredTabBar::kOrange);
  EXPECT_EQ(panel.PageTabs().ItemColour(4), ColouredTabBar::kDarkRed);
}

TEST(PanelTest, EnterAndEscape_ChangeNothing) {
  ConnectedPanel panel({});
  ASSERT_TRUE(panel.connected);
  const int page = panel.Panel().CurrentPage();
  for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
    QTest::keyClick(&panel.Panel(), key);
    QTest::keyClick(panel.Panel().PageTabs(), key);
  }
  EXPECT_TRUE(panel.Panel().isVisible());
  EXPECT_TRUE(panel.ui->Dialog().isVisible());
  EXPECT_EQ(panel.Panel().CurrentPage(), page);
  EXPECT_EQ(panel.ui->Ctx().panel.SendCountdown, 0);
}

TEST(PanelTest, StatusPoll_LabelsServiceTabsAndShowsTheDeviceClock) {
  ConnectedPanel panel({}, 178);
  ASSERT_TRUE(panel.connected);
  QTest::qWait(400);  // past the first poll: the change must come with a later one
  panel.sim.device.SetServiceStatus(0, {1, 1080, 0, 50, 0, 0});
  panel.sim.device.SetServiceStatus(1, {1, 720, 1, 60, 1, 0});
  auto* services = FindControl<QTabBar>(panel.Panel(), control::ServiceTabs);
  ASSERT_TRUE(WaitUntil([&] { return services->tabText(1) == "M1B 720P60 AC3"; }, 2000));
  EXPECT_EQ(services->tabText(0), QStringLiteral("M1A 1080i50 PCM"));

  const QDateTime clock = panel.sim.device.DeviceClock();
  auto* field = FindControl<QLineEdit>(panel.Panel(), control::ClockField);
  ASSERT_TRUE(WaitUntil([&] { return !field->text().isEmpty(); }, 2000));
  EXPECT_TRUE(field->text() == clock.toString(QStringLiteral("HH:mm")) ||
              field->text() == clock.addSecs(60).toString(QStringLiteral("HH:mm")))
      << field->text().toStdString();
}

TEST(PanelTest, AdvancedModeOnly_DisablesManufacturerOperationsButFactoryDefaultWorks) {
  ConnectedPanel panel({.advanced = true});
  ASSERT_TRUE(panel.connected);
  panel.PageTabs().setCurrentIndex(4);
  ASSERT_TRUE(panel.Panel().Page(4)->isVisible());
  for (int id : {control::SaveButton, control::LoadButton, control::ClockSetButton,
                 control::FirmwareReloadButton, control::ResetButton}) {
    EXPECT_FALSE(FindControl(panel.Panel(), id)->isEnabled()) << id;
  }
  // Model 131 has no snapshot.
  EXPECT_FALSE(FindControl(panel.Panel(), control::SnapshotButton)->isVisible());

  auto* factory = FindControl<QPushButton>(panel.Panel(), control::FactoryDefaultButton);
  ASSERT_TRUE(factory->isEnabled());
  QTest::mouseClick(factory, Qt::LeftButton);
  EXPECT_EQ(panel.ui->Ctx().panel.SendCountdown, 1);
  // Sent at the next tick, not two seconds later, and stored as the device's default.
  ASSERT_TRUE(WaitUntil([&] { return panel.sim.device.Counters().factoryDefaults == 1; }, 1000));
  EXPECT_EQ(panel.sim.Count(cmd::WriteConfig), 1);
  EXPECT_EQ(panel.ui->Ctx().panel.FactoryDefaultRequest, 0);
}

// Every numbered control can be found by a screen reader under a name of its own.
void ExpectSpokenNames(QWidget& root, const char* where) {
  QSet<QString> names;
  for (QWidget* widget : root.findChildren<QWidget*>()) {
    if (!widget->property(control::kProperty).isValid()) continue;
    const QString name = widget->accessibleName();
    const int id = widget->property(control::kProperty).toInt();
    if (id == control::StatusText) continue;  // spoken by its changing text
    EXPECT_FALSE(name.isEmpty()) << where << " control " << id;
    EXPECT_FALSE(names.contains(name)) << where << " repeats " << name.toStdString();
    EXPECT_FALSE(widget->objectName().isEmpty()) << where << " control " << id;
    names.insert(name);
  }
}

TEST(PanelTest, NumberedControls_HaveSpokenNamesAndAKeyboardPath) {
  ConnectedPanel panel({.advanced = true, .manufacturer = true}, 192);
  ASSERT_TRUE(panel.connected);
  for (int page = 0; page < CSetting::kPageCount; ++page) {
    ExpectSpokenNames(*panel.Panel().Page(page), "page");
  }
  ExpectSpokenNames(panel.ui->Info(), "status bar");
  EXPECT_FALSE(panel.PageTabs().accessibleName().isEmpty());

  // Tab walks the manufacturer buttons left to right.
  panel.PageTabs().setCurrentIndex(4);
  panel.ui->Dialog().activateWindow();
  QWidget* save = FindControl(panel.Panel(), control::SaveButton);
  save->setFocus();
  ASSERT_TRUE(WaitUntil([&] { return save->hasFocus(); }, 1000));
  QTest::keyClick(save, Qt::Key_Tab);
  EXPECT_TRUE(FindControl(panel.Panel(), control::LoadButton)->hasFocus());
  // The keyboard chooses pages too.
  panel.PageTabs().setFocus();
  QTest::keyClick(&panel.PageTabs(), Qt::Key_Left);
  EXPECT_EQ(panel.Panel().CurrentPage(), 3);
}

}  // namespace
}  // namespace ostrivane::uitest
