// The clock dialog: what it shows for the device clock, what OK and Cancel keep, and the clock
// command the panel sends after it (only for a changed time).
#include <gtest/gtest.h>

#include <QApplication>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QTimer>
#include <functional>

#include "DevicePagesTestSupport.h"
#include "link/Commands.h"
#include "ui/CRTC.h"
#include "ui/pages/UsbPage.h"

namespace ostrivane::uitest {
namespace {

const QDateTime kComputerNow(QDate(2023, 2, 3), QTime(4, 5, 6));

TEST(CrtcDialogTest, Ok_KeepsPickedDateAndTimeWithSecondZeroOnlyWhenChanged) {
  CRTC unchanged({2016, 2, 29, 23, 59, 41}, kComputerNow, nullptr);
  EXPECT_TRUE(unchanged.windowTitle().isEmpty());
  EXPECT_EQ(unchanged.TimePicker()->time(), QTime(23, 59));
  unchanged.accept();
  EXPECT_FALSE(unchanged.Changed());
  EXPECT_EQ(unchanged.Clock(), (DeviceClockTime{2016, 2, 29, 23, 59, 41}));

  CRTC dateOnly({2024, 5, 1, 8, 30, 15}, kComputerNow, nullptr);
  dateOnly.DatePicker()->setDate(QDate(2024, 5, 3));
  dateOnly.accept();
  EXPECT_TRUE(dateOnly.Changed());
  EXPECT_EQ(dateOnly.Clock(), (DeviceClockTime{2024, 5, 3, 8, 30, 0}));

  CRTC cancelled({2024, 5, 1, 8, 30, 15}, kComputerNow, nullptr);
  cancelled.TimePicker()->setTime(QTime(21, 7));
  cancelled.reject();
  EXPECT_FALSE(cancelled.Changed());
}

TEST(CrtcDialogTest, ClockOutsideTheCalendar_OpensOnTheComputerTime) {
  for (const DeviceClockTime& clock : {DeviceClockTime{0, 0, 0, 0, 0, 0},
                                       {1899, 12, 31, 0, 0, 0},
                                       {2024, 2, 30, 0, 0, 0},
                                       {2024, 1, 1, 24, 0, 0}}) {
    CRTC dialog(clock, kComputerNow, nullptr);
    EXPECT_EQ(dialog.DatePicker()->date(), kComputerNow.date()) << clock.year;
    EXPECT_EQ(dialog.TimePicker()->time(), QTime(4, 5));
    dialog.accept();  // OK sets the device to the time shown
    EXPECT_EQ(dialog.Clock(), (DeviceClockTime{2023, 2, 3, 4, 5, 0}));
  }
}

// Runs act on the clock dialog once it is open; tells whether it opened.
std::shared_ptr<bool> OnClockDialog(std::function<void(CRTC&)> act) {
  auto opened = std::make_shared<bool>(false);
  auto tries = std::make_shared<int>(0);
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [=] {
    auto* dialog = qobject_cast<CRTC*>(QApplication::activeModalWidget());
    if (dialog == nullptr && ++*tries < 200) return;
    timer->stop();
    timer->deleteLater();
    if (dialog == nullptr) return;
    *opened = true;
    act(*dialog);
  });
  timer->start(10);
  return opened;
}

void Press(CRTC& dialog, int id) {
  QTest::mouseClick(FindControl<QPushButton>(dialog, id), Qt::LeftButton);
}

QList<QByteArray> ClockCommands(const DeviceWindow& window) {
  QList<QByteArray> sent;
  for (const QByteArray& payload : window.Payloads(cmd::System)) {
    if (payload.startsWith('\0')) sent.append(payload);
  }
  return sent;
}

TEST(CrtcDialogTest, ClockField_OpensTheDialogAndSendsOnlyAChangedTime) {
  DeviceWindow window({});
  ASSERT_TRUE(window.connected);
  window.device.SetDeviceClock(QDateTime(QDate(2024, 5, 1), QTime(8, 30, 0)));
  window.ShowPage(UsbPage::kIndex);
  auto* field = window.Control<QLineEdit>(usbcontrol::ClockField);
  ASSERT_TRUE(WaitUntil([&] { return field->text() == QStringLiteral("08:30"); }, 2000));

  auto opened = OnClockDialog([](CRTC& d) { Press(d, clockcontrol::Ok); });
  QTest::mouseClick(field, Qt::LeftButton);
  EXPECT_TRUE(WaitUntil([&] { return *opened; }, 3000));
  opened = OnClockDialog([](CRTC& d) {
    d.TimePicker()->setTime(QTime(9, 45));
    Press(d, clockcontrol::Cancel);
  });
  QTest::mouseClick(window.Control(usbcontrol::ClockPicture), Qt::LeftButton);
  EXPECT_TRUE(WaitUntil([&] { return *opened; }, 3000));
  QTest::qWait(300);
  EXPECT_TRUE(ClockCommands(window).isEmpty());

  opened = OnClockDialog([](CRTC& d) {
    d.DatePicker()->setDate(QDate(2024, 5, 3));
    Press(d, clockcontrol::Ok);
  });
  QTest::keyClick(field, Qt::Key_Return);
  EXPECT_TRUE(WaitUntil([&] { return *opened; }, 3000));
  ASSERT_TRUE(window.WaitDeviceIdle());
  // Clock command table: 0x00, year 2024 low byte first, month, day, hour, minute, second 0.
  EXPECT_EQ(ClockCommands(window), QList<QByteArray>{QByteArray::fromHex("00e8070503081e00")});
  EXPECT_EQ(window.device.Counters().clockSets, 1);
  QTest::keyClicks(field, QStringLiteral("12"));
  EXPECT_EQ(field->text().size(), 5) << "the field itself is never edited";
}

}  // namespace
}  // namespace ostrivane::uitest
