// The play/record schedule of the USB page: row texts, refusals, start order, removing several
// rows, and the schedule reaching the device.
#include <gtest/gtest.h>

#include <QDateEdit>
#include <QLineEdit>
#include <QTimeEdit>
#include <QToolButton>

#include "DevicePagesTestSupport.h"
#include "link/Commands.h"
#include "ui/pages/UsbPage.h"
#include "ui/pages/UsbSchedule.h"

namespace ostrivane::uitest {
namespace {

constexpr int kFrench = 1;

TEST(ScheduleTextTest, Columns_FollowTheListFormats) {
  ScheduleEntry entry{
      2024 * 65536 + 5 * 256 + 1, 2025 * 65536 + 12 * 256 + 31, 8 * 60 + 5, 23 * 60 + 59, 0x41, 1,
      QStringLiteral("Night.ts")};
  EXPECT_EQ(ScheduleRowTexts(entry, 0), QStringList({"", "2024/05/01", "8:05", "2025/12/31",
                                                     "23:59", "M-----S", "Rec", "Night.ts"}));
  EXPECT_EQ(ScheduleWeekText(0x41, kFrench), QStringLiteral("L-----D"));
  entry.Action = 0;
  EXPECT_EQ(ScheduleRowTexts(entry, 0)[6], QStringLiteral("Play"));
}

// The USB page of a model 192 in French, with a file name and every weekday pressed.
struct ScheduleBench {
  ScheduleBench() {
    bench.Show();
    bench.Control<QLineEdit>(usbcontrol::FileName)->setText(QStringLiteral("Show.ts"));
  }
  QToolButton* Button(int id) { return bench.Control<QToolButton>(id); }
  ScheduleList* List() { return bench.Control<ScheduleList>(usbcontrol::Schedule); }
  void Add(int button, QDate startDate, QTime start, QDate stopDate, QTime stop) {
    bench.Control<QDateEdit>(usbcontrol::StartDate)->setDate(startDate);
    bench.Control<QTimeEdit>(usbcontrol::StartTime)->setTime(start);
    bench.Control<QDateEdit>(usbcontrol::StopDate)->setDate(stopDate);
    bench.Control<QTimeEdit>(usbcontrol::StopTime)->setTime(stop);
    bench.panel.SendCountdown = 0;
    QTest::mouseClick(Button(button), Qt::LeftButton);
  }
  QString Start(int row) {
    return List()->item(row, 1)->text() + " " + List()->item(row, 2)->text();
  }

  SinglePageBench<UsbPage> bench{192, 20, false, false, kFrench};
};

TEST(UsbScheduleTest, Add_RefusesBadEntriesWithABeepAndKeepsStartOrderUpToTen) {
  ScheduleBench s;
  const QDate first(2024, 5, 1), second(2024, 5, 2);
  s.Add(usbcontrol::AddPlay, first, QTime(8, 0), first, QTime(7, 59));
  s.Add(usbcontrol::AddRecord, first, QTime(8, 0), first.addDays(-1), QTime(9, 0));
  s.bench.Control<QLineEdit>(usbcontrol::FileName)->clear();
  s.Add(usbcontrol::AddPlay, first, QTime(8, 0), first, QTime(9, 0));
  s.bench.Control<QLineEdit>(usbcontrol::FileName)->setText(QStringLiteral("Show.ts"));
  QString letters;
  for (int d = 0; d < 7; ++d) {
    letters += s.Button(usbcontrol::FirstWeekday + d)->text();
    s.Button(usbcontrol::FirstWeekday + d)->setChecked(false);
  }
  EXPECT_EQ(letters, QStringLiteral("LMMJVSD"));
  s.Add(usbcontrol::AddPlay, first, QTime(8, 0), first, QTime(9, 0));
  EXPECT_EQ(s.bench.prompts.beeps, (QList<QPair<int, int>>(4, {800, 200})));
  EXPECT_EQ(s.bench.config.ScheduleCount, 0);
  EXPECT_EQ(s.bench.panel.SendCountdown, 0);

  s.Button(usbcontrol::FirstWeekday)->setChecked(true);
  s.Button(usbcontrol::FirstWeekday + 6)->setChecked(true);
  s.Add(usbcontrol::AddPlay, second, QTime(8, 0), second, QTime(8, 0));  // stop = start: fine
  s.Add(usbcontrol::AddRecord, first, QTime(9, 0), second, QTime(10, 0));
  s.Add(usbcontrol::AddPlay, first, QTime(7, 0), first, QTime(7, 30));
  s.Add(usbcontrol::AddRecord, first, QTime(7, 0), first, QTime(7, 45));  // after its twin
  ASSERT_EQ(s.List()->rowCount(), 4);
  EXPECT_EQ(s.Start(0), QStringLiteral("2024/05/01 7:00"));
  EXPECT_EQ(s.List()->item(1, 4)->text(), QStringLiteral("7:45"));
  EXPECT_EQ(s.Start(2), QStringLiteral("2024/05/01 9:00"));
  EXPECT_EQ(s.Start(3), QStringLiteral("2024/05/02 8:00"));
  EXPECT_EQ(s.List()->item(3, 5)->text(), QStringLiteral("L-----D"));
  EXPECT_EQ(s.List()->item(1, 6)->foreground().color(), QColor(128, 0, 0));
  EXPECT_EQ(s.List()->item(0, 7)->foreground().color(), QColor(0, 0, 128));
  EXPECT_EQ(s.bench.config.Schedule[2].StartDate, 2024 * 65536 + 5 * 256 + 1);
  EXPECT_EQ(s.bench.config.Schedule[2].StopMinute, 600);
  EXPECT_EQ(s.bench.config.Schedule[2].WeekdayMask, 0x41);
  EXPECT_EQ(s.bench.panel.SendCountdown, PanelState::kSendDelayTicks);
  EXPECT_EQ(s.bench.prompts.beeps.size(), 4);

  while (s.bench.config.ScheduleCount < 10) {
    s.Add(usbcontrol::AddPlay, second, QTime(12, 0), second, QTime(13, 0));
  }
  EXPECT_FALSE(s.Button(usbcontrol::AddPlay)->isEnabled());
  s.Add(usbcontrol::AddRecord, second, QTime(12, 0), second, QTime(13, 0));
  EXPECT_EQ(s.bench.prompts.beeps.size(), 5);
  // Another edit on the page does not give a full schedule its play button back.
  s.bench.Control<QLineEdit>(usbcontrol::OverlayX)->setText(QStringLiteral("5"));
  EXPECT_FALSE(s.Button(usbcontrol::AddPlay)->isEnabled());
  // A count from a record never indexes past the ten slots.
  s.bench.config.ScheduleCount = 12;
  s.bench.page->RefreshScheduleList();
  EXPECT_EQ(s.List()->rowCount(), 10);
}

TEST(UsbScheduleTest, Remove_TakesEverySelectedRowOnceAndLeavesNoStraySelection) {
  ScheduleBench s;
  const QDate day(2024, 1, 1);
  for (int hour = 1; hour <= 5; ++hour)
    s.Add(usbcontrol::AddPlay, day, QTime(hour, 0), day, QTime(hour, 30));
  QToolButton* remove = s.Button(usbcontrol::Remove);
  EXPECT_FALSE(remove->isEnabled());
  s.List()->selectRow(1);
  s.List()->setRangeSelected(QTableWidgetSelectionRange(2, 0, 3, 7), true);
  ASSERT_TRUE(remove->isEnabled());
  s.bench.panel.SendCountdown = 0;
  QTest::mouseClick(remove, Qt::LeftButton);
  ASSERT_EQ(s.bench.config.ScheduleCount, 2);
  EXPECT_EQ(s.Start(0) + " / " + s.Start(1), QStringLiteral("2024/01/01 1:00 / 2024/01/01 5:00"));
  EXPECT_EQ(s.bench.panel.SendCountdown, PanelState::kSendDelayTicks);
  // Rows are dropped at the top: the selection must not slide onto entries nobody chose.
  EXPECT_TRUE(s.List()->selectedItems().isEmpty());
  EXPECT_FALSE(remove->isEnabled());
}

TEST(UsbScheduleTest, EntriesAddedAndRemoved_ReachTheDeviceInOneSend) {
  DeviceWindow window({});
  ASSERT_TRUE(window.connected);
  window.ShowPage(UsbPage::kIndex);
  auto* file = window.Control<QLineEdit>(usbcontrol::FileName);
  file->setText(QStringLiteral("Match"));
  window.Control<QDateEdit>(usbcontrol::StartDate)->setDate(QDate(2024, 6, 1));
  window.Control<QDateEdit>(usbcontrol::StopDate)->setDate(QDate(2024, 6, 30));
  QTest::mouseClick(window.Control(usbcontrol::AddRecord), Qt::LeftButton);
  QTest::mouseClick(window.Control(usbcontrol::AddPlay), Qt::LeftButton);
  window.Control<ScheduleList>(usbcontrol::Schedule)->selectRow(0);
  QTest::mouseClick(window.Control(usbcontrol::Remove), Qt::LeftButton);
  ASSERT_TRUE(WaitUntil([&] { return !window.Payloads(cmd::WriteConfig).isEmpty(); }, 4000));
  QTest::qWait(300);
  EXPECT_EQ(window.Payloads(cmd::WriteConfig).size(), 1);
  const DeviceConfig stored = window.StoredConfig();
  ASSERT_EQ(stored.ScheduleCount, 1);
  const ScheduleEntry expected{
      2024 * 65536 + 6 * 256 + 1, 2024 * 65536 + 6 * 256 + 30, 0, 23 * 60 + 59, 0x7F, 0,
      QStringLiteral("Match")};
  EXPECT_EQ(stored.Schedule[0], expected);
  // The read-back shows the name the device keeps.
  EXPECT_EQ(file->text(), stored.UsbFileName);
}

}  // namespace
}  // namespace ostrivane::uitest
