// The status bar on its own: progress rules, lamp and text timers, colours, log button modes.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QSignalSpy>
#include <QToolButton>

#include "UiTestSupport.h"
#include "files/ApplicationData.h"

namespace ostrivane::uitest {
namespace {

struct StatusBar {
  explicit StatusBar(bool advanced) {
    settings.SetModes(false, advanced);
    info = std::make_unique<CInfo>(settings, nullptr);
    info->show();
  }
  QProgressBar* Progress() { return FindControl<QProgressBar>(*info, control::Progress); }

  ApplicationData settings;
  std::unique_ptr<CInfo> info;
};

TEST(StatusBarTest, SetProgress_FollowsTheRangeRule) {
  StatusBar bar(false);
  QProgressBar* progress = bar.Progress();
  ASSERT_NE(progress, nullptr);
  EXPECT_TRUE(progress->isHidden());

  bar.info->SetProgress(1, 0);  // shown, empty
  EXPECT_FALSE(progress->isHidden());
  EXPECT_EQ(progress->maximum(), 1);
  EXPECT_EQ(progress->value(), 0);

  bar.info->SetProgress(5000, 2048);
  EXPECT_EQ(progress->maximum(), 5000);
  EXPECT_EQ(progress->value(), 2048);
  bar.info->SetProgress(5000, 4096);  // same range: only the position moves
  EXPECT_EQ(progress->maximum(), 5000);
  EXPECT_EQ(progress->value(), 4096);

  bar.info->SetProgress(0, 77);  // hides and forgets the range
  EXPECT_TRUE(progress->isHidden());
  EXPECT_EQ(bar.info->ProgressRange(), 0u);
  bar.info->SetProgress(5000, 10);  // the same range again counts as new: shown once more
  EXPECT_FALSE(progress->isHidden());
  EXPECT_EQ(progress->value(), 10);

  // Ranges beyond what the bar can hold are clamped, never wrapped to negative numbers.
  bar.info->SetProgress(0xFFFFFFFFu, 0xFFFFFFFFu);
  EXPECT_GT(progress->maximum(), 0);
  EXPECT_EQ(progress->value(), progress->maximum());
}

TEST(StatusBarTest, Lamps_WriteLampOutlastsActivityLamp) {
  StatusBar bar(false);
  bar.info->FlashActivity(false);
  EXPECT_TRUE(bar.info->ActivityLit());
  EXPECT_FALSE(bar.info->WriteLit());
  ASSERT_TRUE(WaitUntil([&] { return !bar.info->ActivityLit(); }, 1000));

  // The order in which the two lamps go out, recorded from their timers: a busy machine may
  // deliver both expiries in one pass of the event loop, but never out of order.
  QStringList order;
  QObject::connect(&bar.info->ActivityLampTimer(), &QTimer::timeout, [&] { order << "activity"; });
  QObject::connect(&bar.info->WriteLampTimer(), &QTimer::timeout, [&] { order << "write"; });
  bar.info->FlashActivity(true);
  EXPECT_TRUE(bar.info->ActivityLit());
  EXPECT_TRUE(bar.info->WriteLit());
  EXPECT_EQ(bar.info->ActivityLampTimer().interval(), CInfo::kActivityLampMs);
  EXPECT_EQ(bar.info->WriteLampTimer().interval(), CInfo::kWriteLampMs);
  ASSERT_TRUE(WaitUntil([&] { return !bar.info->WriteLit(); }, 2000));
  EXPECT_FALSE(bar.info->ActivityLit());
  EXPECT_EQ(order, QStringList({"activity", "write"}));
}

TEST(StatusBarTest, StatusText_ClearsAfterItsDurationAndANewTextRestartsTheTimer) {
  StatusBar bar(false);
  bar.info->ShowStatusText(QStringLiteral("first"), 150, false);
  EXPECT_EQ(bar.info->StatusText(), QStringLiteral("first"));
  QTest::qWait(100);
  bar.info->ShowStatusText(QStringLiteral("second"), 1000, false);
  QTest::qWait(200);  // the first text's timer would have expired by now
  EXPECT_EQ(bar.info->StatusText(), QStringLiteral("second"));
  EXPECT_TRUE(WaitUntil([&] { return bar.info->StatusText().isEmpty(); }, 2000));

  // With wait the caller is blocked for the whole duration, the text already painted.
  QElapsedTimer clock;
  clock.start();
  bar.info->ShowStatusText(QStringLiteral("Rebooting..."), 120, true);
  EXPECT_GE(clock.elapsed(), 120);
  EXPECT_EQ(bar.info->StatusText(), QStringLiteral("Rebooting..."));
}

TEST(StatusBarTest, WarningIcon_TurnsTheTextRed) {
  StatusBar bar(false);
  EXPECT_EQ(bar.info->TextColour(), CInfo::kNormalTextColour);
  bar.info->ShowWarningIcon(true);
  EXPECT_TRUE(bar.info->WarningShown());
  EXPECT_EQ(bar.info->TextColour(), QColor(255, 0, 0));
  bar.info->ShowWarningIcon(false);
  EXPECT_FALSE(bar.info->WarningShown());
  EXPECT_EQ(bar.info->TextColour(), QColor(96, 96, 96));
}

TEST(StatusBarTest, LogButton_OnlyInAdvancedModeAndOnlyWhenEnabled) {
  StatusBar plain(false);
  auto* button = FindControl<QToolButton>(*plain.info, control::LogButton);
  auto* icon = FindControl<QLabel>(*plain.info, control::ApplicationIcon);
  ASSERT_NE(button, nullptr);
  ASSERT_NE(icon, nullptr);
  EXPECT_TRUE(button->isHidden());
  EXPECT_FALSE(icon->isHidden());

  StatusBar advanced(true);
  button = FindControl<QToolButton>(*advanced.info, control::LogButton);
  icon = FindControl<QLabel>(*advanced.info, control::ApplicationIcon);
  EXPECT_FALSE(button->isHidden());
  EXPECT_TRUE(icon->isHidden());
  EXPECT_FALSE(button->isEnabled());
  QSignalSpy clicks(advanced.info.get(), &CInfo::LogRequested);
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(clicks.count(), 0);
  advanced.info->EnableLogButton(true);
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(clicks.count(), 1);
}

}  // namespace
}  // namespace ostrivane::uitest
