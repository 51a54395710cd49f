// Edits that reached the model late, twice or not at all: wheel and key steps on the level bar,
// the output tab and its constellation list, the overlay offsets, a repeated 4K choice, text typed
// into the logo list and buttons switched without a click.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QRadioButton>
#include <QSlider>
#include <QWheelEvent>

#include "DevicePagesTestSupport.h"
#include "MultiplexServiceTestSupport.h"
#include "ui/pages/ManufacturerPage.h"
#include "ui/pages/MiscPage.h"
#include "ui/pages/UsbPage.h"

namespace ostrivane::uitest {
namespace {

void Wheel(QWidget* widget, int steps) {
  const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
  QWheelEvent event(at, widget->mapToGlobal(at), QPoint(), QPoint(0, 120 * steps), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(widget, &event);
}

// What voice control or switch access does: the button's toggle action, no click.
void ToggleByAccessibility(QAbstractButton* button) {
  QAccessibleInterface* face = QAccessible::queryAccessibleInterface(button);
  ASSERT_NE(face, nullptr);
  ASSERT_NE(face->actionInterface(), nullptr);
  face->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
}

TEST(PageSlipsTest, LevelWheelOrKeyStep_StoredAtOnce) {
  SinglePageBench<MultiplexPage> bench(121, 20);
  bench.config.Modulators[0].Mode = 1;
  bench.config.Modulators[0].AttenuationDb = 10;
  bench.Show();
  auto* level = bench.Control<QSlider>(mpxcontrol::Level);
  Wheel(level, -1);
  ASSERT_NE(level->value(), 10);
  EXPECT_EQ(bench.config.Modulators[0].AttenuationDb, level->value());
  EXPECT_EQ(bench.panel.SendCountdown, PanelState::kSendDelayTicks);
  QTest::keyClick(level, Qt::Key_PageUp);
  EXPECT_EQ(bench.config.Modulators[0].AttenuationDb, level->value());
}

TEST(PageSlipsTest, OutputTabChange_ShowsTheNewOutputsConstellationList) {
  OpenPanel panel(176);
  ASSERT_TRUE(panel.connected);
  panel.ShowPage(MultiplexPage::kIndex);
  ClickButton(panel.Find<QRadioButton>(mpxcontrol::DvbC));
  ASSERT_EQ(panel.Config().Modulators[0].Mode, 2);
  ASSERT_TRUE(panel.Find(mpxcontrol::CableConstellation)->isVisible());
  panel.Config().Modulators[1].Mode = 1;

  panel.Find<QTabBar>(control::ModulatorTabs)->setCurrentIndex(1);
  EXPECT_TRUE(panel.Find(mpxcontrol::Constellation)->isVisible());
  EXPECT_TRUE(panel.Find(mpxcontrol::Constellation)->isEnabled());
  EXPECT_FALSE(panel.Find(mpxcontrol::CableConstellation)->isVisible());
  panel.Find<QTabBar>(control::ModulatorTabs)->setCurrentIndex(0);
  EXPECT_TRUE(panel.Find(mpxcontrol::CableConstellation)->isVisible());
  EXPECT_FALSE(panel.Find(mpxcontrol::Constellation)->isVisible());
}

TEST(PageSlipsTest, OverlayOffsets_ReadLikeEveryOtherNumberField) {
  SinglePageBench<UsbPage> bench(192, 20);
  bench.config.CapabilityPlayRecord = 1;
  bench.Show();
  auto* x = bench.Control<QLineEdit>(usbcontrol::OverlayX);
  const std::pair<const char*, std::int32_t> typed[] = {{"12abc", 12},  {"+5", 0},   {" 40 ", 40},
                                                        {"1000", 1000}, {"1001", 0}, {"-3", 0}};
  for (const auto& [text, stored] : typed) {
    TypeInto(x, QString::fromLatin1(text));
    EXPECT_EQ(bench.config.OverlayX, stored) << text;
  }
  TypeInto(bench.Control<QLineEdit>(usbcontrol::OverlayY), QStringLiteral("7px"));
  EXPECT_EQ(bench.config.OverlayY, 7);
}

TEST(PageSlipsTest, FourKSameValueChosenAgain_NoRestartPending) {
  SinglePageBench<MiscPage> bench(192, 20);
  bench.config.Capability4K = 1;
  bench.config.FourKMode = 1;
  bench.Show();
  Choose(bench.Control<QComboBox>(misccontrol::FourK), 1);
  EXPECT_EQ(bench.panel.FourKChanged, 0);
  EXPECT_EQ(bench.panel.SendCountdown, 0);
  Choose(bench.Control<QComboBox>(misccontrol::FourK), 0);
  EXPECT_EQ(bench.panel.FourKChanged, 1);
  EXPECT_EQ(bench.config.FourKMode, 0);
}

TEST(PageSlipsTest, EnterInLogoList_TypedNameNeverJoinsTheFiles) {
  SinglePageBench<ManufacturerPage> bench(131, 20, true);
  bench.Show();
  auto* logo = bench.Control<QComboBox>(manufacturercontrol::Logo);
  const int files = logo->count();
  TypeInto(logo, QStringLiteral("typed.dg1"));
  QTest::keyClick(logo->lineEdit(), Qt::Key_Return);
  EXPECT_EQ(logo->count(), files);
  EXPECT_EQ(logo->findText(QStringLiteral("typed.dg1")), -1);
  EXPECT_EQ(bench.panel.LogoFieldText, QStringLiteral("typed.dg1"));
}

TEST(PageSlipsTest, ButtonsSwitchedWithoutAClick_StoredButNotWhileFilling) {
  SinglePageBench<MiscPage> misc(121, 20);
  misc.Show();
  auto* vbr = misc.Control<QCheckBox>(misccontrol::AllowVbr);
  const std::int32_t before = misc.config.AllowVbr;
  ToggleByAccessibility(vbr);
  EXPECT_NE(misc.config.AllowVbr, before);
  EXPECT_EQ(misc.panel.SendCountdown, PanelState::kSendDelayTicks);
  misc.panel.SendCountdown = 0;
  misc.config.AllowVbr = before;
  misc.Show();
  EXPECT_EQ(misc.panel.SendCountdown, 0) << "filling is not an edit";
  EXPECT_EQ(misc.config.AllowVbr, before);

  SinglePageBench<MultiplexPage> mpx(176, 20);
  mpx.config.Modulators[0].Mode = 1;
  mpx.Show();
  ToggleByAccessibility(mpx.Control<QRadioButton>(mpxcontrol::DvbC));
  EXPECT_EQ(mpx.config.Modulators[0].Mode, 2);
  EXPECT_TRUE(mpx.Control(mpxcontrol::CableConstellation)->isVisible());

  SinglePageBench<UsbPage> usb(192, 20);
  usb.config.CapabilityPlayRecord = 1;
  usb.Show();
  ToggleByAccessibility(usb.Control<QCheckBox>(usbcontrol::FirstPositionBox + 4));
  EXPECT_EQ(usb.config.OverlayPosition, 5);
  ToggleByAccessibility(usb.Control<QCheckBox>(usbcontrol::FirstPositionBox));
  EXPECT_EQ(usb.config.OverlayPosition, 1);
  EXPECT_FALSE(usb.Control<QCheckBox>(usbcontrol::FirstPositionBox + 4)->isChecked());
  ToggleByAccessibility(usb.Control<QCheckBox>(usbcontrol::FirstPositionBox));
  EXPECT_EQ(usb.config.OverlayPosition, 0);
}

TEST(PageSlipsTest, ReferenceBeginningWithMultiOutputMark_KeepsThePreviousValue) {
  SinglePageBench<ManufacturerPage> bench(131, 20, true);
  bench.config.Reference = QStringLiteral("HALL-1");
  bench.Show();
  auto* reference = bench.Control<QLineEdit>(manufacturercontrol::Reference);
  reference->setText(QStringLiteral("VEVE-01"));  // pasted
  EXPECT_EQ(bench.config.Reference, QStringLiteral("HALL-1"));
  TypeInto(reference, QStringLiteral("VEVE-01"));  // typed: stops at the last good text
  EXPECT_EQ(bench.config.Reference, QStringLiteral("VEV"));
  TypeInto(reference, QStringLiteral("VEV-01"));
  EXPECT_EQ(bench.config.Reference, QStringLiteral("VEV-01"));

  // Where the record starts with its own mark, the reference may read so.
  SinglePageBench<ManufacturerPage> multi(178, 20, true);
  multi.Show();
  TypeInto(multi.Control<QLineEdit>(manufacturercontrol::Reference), QStringLiteral("VEVE-01"));
  EXPECT_EQ(multi.config.Reference, QStringLiteral("VEVE-01"));
}

}  // namespace
}  // namespace ostrivane::uitest
