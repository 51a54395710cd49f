// The USB player and the logo overlay of the USB page: player buttons, lamps and lists from the
// device status, the overlay position boxes and offsets, and the file fields.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "DevicePagesTestSupport.h"
#include "link/Commands.h"
#include "ui/pages/UsbPage.h"

namespace ostrivane::uitest {
namespace {

TEST(UsbPlayerTest, PlayerButtonsAndStatus_DriveTheDeviceAndTheLamps) {
  DeviceWindow window({});
  ASSERT_TRUE(window.connected);
  window.ShowPage(UsbPage::kIndex);
  window.device.SetUsbMedium(true, {QStringLiteral("Concert.ts"), QStringLiteral("News.ts")});
  window.device.SetServiceStatus(0, {1, 1080, 0, 50, 0, 2});
  window.device.SetUsbMode(4);
  auto* mode = window.Control<QLabel>(usbcontrol::ModeLabel);
  ASSERT_TRUE(WaitUntil([&] { return mode->text() == QStringLiteral("AP"); }, 2000));
  EXPECT_TRUE(window.Control(usbcontrol::PlayLabel)->isEnabled());
  EXPECT_FALSE(window.Control(usbcontrol::RecordLabel)->isEnabled());
  EXPECT_TRUE(window.Control(usbcontrol::HdmiLabel)->isEnabled());
  auto* files = window.Control<QComboBox>(usbcontrol::UsbFiles);
  ASSERT_EQ(files->count(), 2);
  files->setCurrentIndex(1);
  Q_EMIT files->activated(1);
  EXPECT_EQ(window.Control<QLineEdit>(usbcontrol::FileName)->text(), QStringLiteral("News.ts"));
  EXPECT_EQ(window.Ctx().panel.UsbFileNameText, QStringLiteral("News.ts"));
  EXPECT_EQ(window.Ctx().panel.SendCountdown, PanelState::kSendDelayTicks);
  window.Ctx().panel.SendCountdown = 0;

  // No edit pending: the stop command goes out at the next tick on its own.
  QTest::mouseClick(window.Control(usbcontrol::Stop), Qt::LeftButton);
  ASSERT_TRUE(WaitUntil([&] { return !window.Payloads(cmd::PlayerControl).isEmpty(); }, 1000));
  EXPECT_EQ(window.Payloads(cmd::PlayerControl), QList<QByteArray>{QByteArray::fromHex("03")});
  EXPECT_TRUE(window.Payloads(cmd::WriteConfig).isEmpty());

  // Recording darkens the HDMI lamp; the refilled list keeps the file field's choice.
  window.device.SetServiceStatus(0, {1, 1080, 0, 50, 0, 1});
  window.device.SetUsbMedium(true, {QStringLiteral("News.ts"), QStringLiteral("Other.ts")});
  ASSERT_TRUE(WaitUntil([&] { return files->itemText(1) == QStringLiteral("Other.ts"); }, 2000));
  EXPECT_EQ(files->currentIndex(), 0);
  EXPECT_TRUE(window.Control(usbcontrol::RecordLabel)->isEnabled());
  EXPECT_FALSE(window.Control(usbcontrol::HdmiLabel)->isEnabled());

  // On this model an overlay list also counts as a medium, so both go.
  window.device.SetUsbMedium(false, {});
  window.device.SetOverlayFiles(false, {});
  ASSERT_TRUE(WaitUntil([&] { return files->count() == 0; }, 2000));
  for (int id : {usbcontrol::UsbFiles, usbcontrol::FileName, usbcontrol::Play, usbcontrol::Stop}) {
    EXPECT_FALSE(window.Control(id)->isEnabled()) << id;
  }
}

int CheckedPosition(SinglePageBench<UsbPage>& bench) {
  int checked = 0;
  for (int p = 1; p <= 9; ++p) {
    if (bench.Control<QCheckBox>(usbcontrol::FirstPositionBox + p - 1)->isChecked()) {
      checked = checked == 0 ? p : -1;
    }
  }
  return checked;
}

TEST(UsbPlayerTest, Overlay_PositionBoxesAndOffsetsFromModel192Version15) {
  SinglePageBench<UsbPage> bench(192, 15);
  bench.config.OverlayPosition = 12;  // from a record: no box stands for it
  bench.Show();
  EXPECT_EQ(CheckedPosition(bench), 0);
  for (const int position : {5, 9, 9}) {
    QTest::mouseClick(bench.Control(usbcontrol::FirstPositionBox + position - 1), Qt::LeftButton);
  }
  EXPECT_EQ(bench.config.OverlayPosition, 0) << "the second click on a box clears it";
  EXPECT_EQ(CheckedPosition(bench), 0);
  QTest::mouseClick(bench.Control(usbcontrol::FirstPositionBox + 1), Qt::LeftButton);
  EXPECT_EQ(CheckedPosition(bench), 2);
  EXPECT_EQ(bench.panel.SendCountdown, PanelState::kSendDelayTicks);

  auto* x = bench.Control<QLineEdit>(usbcontrol::OverlayX);
  bench.Control<QLineEdit>(usbcontrol::OverlayY)->setText(QStringLiteral("12"));
  for (const char* typed : {"1001", "-5", "abc", "", "4294967297"}) {
    x->setText(QStringLiteral("1000"));
    ASSERT_EQ(bench.config.OverlayX, 1000);
    x->setText(QString::fromLatin1(typed));
    EXPECT_EQ(bench.config.OverlayX, 0) << typed;
    EXPECT_EQ(bench.config.OverlayY, 12);
  }

  SinglePageBench<UsbPage> older(192, 14);
  older.Show();
  for (int id : {usbcontrol::OverlayFile, usbcontrol::OverlayX, usbcontrol::OverlayY}) {
    EXPECT_FALSE(older.Control(id)->isEnabled()) << id;
  }
  EXPECT_FALSE(older.Control(usbcontrol::FirstPositionBox)->isVisibleTo(&older.window));
  EXPECT_TRUE(bench.Control(usbcontrol::FirstPositionBox)->isVisibleTo(&bench.window));
}

TEST(UsbPlayerTest, FileFields_FollowTheDecodedTextsAndTypingIsAnEdit) {
  SinglePageBench<UsbPage> bench(192, 15);
  bench.Show();
  bench.panel.UsbFileNameText = QStringLiteral("Decoded.ts");
  bench.panel.OverlayFileText = QStringLiteral("logo.bmp");
  bench.page->RefreshScheduleList();
  EXPECT_EQ(bench.Control<QLineEdit>(usbcontrol::FileName)->text(), QStringLiteral("Decoded.ts"));
  auto* overlay = bench.Control<QComboBox>(usbcontrol::OverlayFile);
  EXPECT_EQ(overlay->currentText(), QStringLiteral("logo.bmp"));
  // Refilling the list from the device keeps the field's text; neither is an edit.
  bench.deviceStatus.current.OverlayFiles = {QStringLiteral("a.bmp"), QStringLiteral("b.bmp")};
  bench.page->ShowUsbStatus();
  EXPECT_EQ(overlay->currentText(), QStringLiteral("logo.bmp"));
  EXPECT_EQ(bench.panel.SendCountdown, 0);

  overlay->lineEdit()->clear();
  QTest::keyClicks(overlay->lineEdit(), QStringLiteral("typed-overlay-name-longer-than-32-chars"));
  EXPECT_EQ(bench.config.OverlayFile, QStringLiteral("typed-overlay-name-longer-than-3"));
  EXPECT_EQ(bench.panel.SendCountdown, PanelState::kSendDelayTicks);
}

}  // namespace
}  // namespace ostrivane::uitest
