// The USB, MISC. and MANUFACTURER pages and the clock dialog as laid out: every numbered control
// lies inside its window at no less than its minimum size and covers no other. With
// OSTRIVANE_SCREENSHOT_DIR set (and OSTRIVANE_SCREENSHOT_SUFFIX, e.g. "@2x"), pictures are saved.
#include <gtest/gtest.h>

#include <QDateEdit>
#include <QTimeEdit>
#include <QToolButton>

#include "DevicePagesTestSupport.h"
#include "ui/CRTC.h"
#include "ui/pages/UsbPage.h"

namespace ostrivane::uitest {
namespace {

QRect RectIn(QWidget& root, const QWidget* widget) {
  return QRect(widget->mapTo(&root, QPoint(0, 0)), widget->size());
}

void ExpectTidy(QWidget& root, const QString& name) {
  QList<QWidget*> controls;
  for (QWidget* widget : root.findChildren<QWidget*>()) {
    if (widget->property(control::kProperty).isValid() && widget->isVisibleTo(&root)) {
      controls.append(widget);
    }
  }
  for (QWidget* widget : controls) {
    const int id = widget->property(control::kProperty).toInt();
    EXPECT_TRUE(root.rect().contains(RectIn(root, widget))) << name.toStdString() << " " << id;
    EXPECT_TRUE(widget->width() >= widget->minimumSizeHint().width() &&
                widget->height() >= widget->minimumSizeHint().height())
        << name.toStdString() << " squeezes " << id;
    for (QWidget* other : controls) {
      if (other == widget || widget->isAncestorOf(other) || other->isAncestorOf(widget)) continue;
      EXPECT_FALSE(RectIn(root, widget).intersects(RectIn(root, other)))
          << name.toStdString() << " " << id << " covers "
          << other->property(control::kProperty).toInt();
    }
  }
  const QString folder = qEnvironmentVariable("OSTRIVANE_SCREENSHOT_DIR");
  if (folder.isEmpty()) return;
  const QString file = name + qEnvironmentVariable("OSTRIVANE_SCREENSHOT_SUFFIX") + ".png";
  EXPECT_TRUE(root.window()->grab().save(QDir(folder).filePath(file)));
}

TEST(PagesLayoutTest, PagesAndClockDialog_FitTheirControlsWithoutOverlap) {
  DeviceWindow window({192, 20, true, true, {"Ostrivane.dg1", "broadcast.dg1"}});
  ASSERT_TRUE(window.connected);
  window.device.SetUsbMode(2);
  window.ShowPage(UsbPage::kIndex);
  // Two entries and an overlay position, so that the rows are laid out (and pictured) too.
  window.Control<QTimeEdit>(usbcontrol::StartTime)->setTime(QTime(20, 30));
  QTest::mouseClick(window.Control(usbcontrol::AddPlay), Qt::LeftButton);
  window.Control<QToolButton>(usbcontrol::FirstWeekday + 5)->setChecked(false);
  window.Control<QToolButton>(usbcontrol::FirstWeekday + 6)->setChecked(false);
  window.Control<QTimeEdit>(usbcontrol::StartTime)->setTime(QTime(6, 0));
  window.Control<QTimeEdit>(usbcontrol::StopTime)->setTime(QTime(8, 0));
  QTest::mouseClick(window.Control(usbcontrol::AddRecord), Qt::LeftButton);
  QTest::mouseClick(window.Control(usbcontrol::FirstPositionBox + 2), Qt::LeftButton);
  QTest::qWait(500);  // a few polls: lamps, lists and the clock field show the device
  const char* const names[] = {"usb", "misc", "manufacturer"};
  for (int page = UsbPage::kIndex; page <= UsbPage::kIndex + 2; ++page) {
    window.ShowPage(page);
    QTest::qWait(50);
    ExpectTidy(*window.Panel().Page(page), QString::fromLatin1(names[page - UsbPage::kIndex]));
  }

  CRTC dialog({2024, 5, 1, 8, 30, 0}, QDateTime::currentDateTime(), nullptr);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  ExpectTidy(dialog, QStringLiteral("clock"));
}

}  // namespace
}  // namespace ostrivane::uitest
