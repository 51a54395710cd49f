// The MANUFACTURER page: MAC bytes, reference and country, the enable rules by model, version and
// mode, the logo list, and the Play/Rec USB capability that recolours the USB tab.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "DevicePagesTestSupport.h"
#include "ui/pages/ManufacturerPage.h"
#include "ui/pages/UsbPage.h"

namespace ostrivane::uitest {
namespace {

using manufacturercontrol::MacBytes;

TEST(ManufacturerPageTest, MacReferenceAndCountry_FollowTheirReadRules) {
  SinglePageBench<ManufacturerPage> bench(121, 20, false, true);
  bench.config.MacAddress = {0, 10, 255, 0x5e, 1, 0xab};
  bench.Show();
  QStringList shown;
  for (int id : MacBytes) shown << bench.Control<QLineEdit>(id)->text();
  EXPECT_EQ(shown, QStringList({"00", "0a", "ff", "5e", "01", "ab"}));
  auto* edit = bench.Control<QLineEdit>(MacBytes[3]);
  // Every character counts by the low byte of its code (U+0141 as "A"), anything else as 0.
  const QList<QPair<QString, int>> cases = {{"1G", 16}, {"ff", 255}, {"12345", 0x45},
                                            {"", 0},    {"zz", 0},   {QString(QChar(0x0141)), 10}};
  for (const auto& [typed, stored] : cases) {
    edit->setText(typed);
    EXPECT_EQ(bench.config.MacAddress[3], stored) << typed.toStdString();
  }
  EXPECT_EQ(bench.config.MacAddress[2], 255);

  bench.Control<QLineEdit>(manufacturercontrol::Reference)->setText("A reference of thirty chars");
  EXPECT_EQ(bench.config.Reference, QStringLiteral("A reference of thirt"));
  auto* country = bench.Control<QComboBox>(manufacturercontrol::Country);
  country->setCurrentIndex(5);
  Q_EMIT country->activated(5);
  EXPECT_EQ(bench.config.DefaultCountry, 5);
  EXPECT_EQ(bench.config.CountryMirror, 5);
  EXPECT_EQ(bench.panel.SendCountdown, PanelState::kSendDelayTicks);
}

struct Enabled {
  bool operations, logo, hardware, mac, playRecord, hdcp, infrared, fourK, snapshotShown;
};

Enabled EnabledOn(int type, int version, bool manufacturer, bool advanced) {
  SinglePageBench<ManufacturerPage> bench(
      static_cast<std::uint8_t>(type), static_cast<std::uint8_t>(version), manufacturer, advanced);
  bench.Show();
  const auto on = [&](int id) { return bench.Control(id)->isEnabled(); };
  for (int id : {manufacturercontrol::Reference, manufacturercontrol::Country,
                 control::FactoryDefaultButton}) {
    EXPECT_TRUE(on(id)) << id;
  }
  for (int id : {control::LoadButton, control::FirmwareReloadButton, control::ClockSetButton,
                 control::ResetButton, control::SnapshotButton, manufacturercontrol::LogoLabel}) {
    EXPECT_EQ(on(id), on(control::SaveButton)) << id;
  }
  EXPECT_EQ(on(manufacturercontrol::HardwareLabel), on(manufacturercontrol::HardwareType));
  EXPECT_EQ(on(manufacturercontrol::MacLabel), on(MacBytes[5]));
  return {on(control::SaveButton),
          on(manufacturercontrol::Logo),
          on(manufacturercontrol::HardwareType),
          on(MacBytes[0]),
          on(manufacturercontrol::PlayRecord),
          on(manufacturercontrol::Hdcp),
          on(manufacturercontrol::Infrared),
          on(manufacturercontrol::FourK),
          bench.Control(control::SnapshotButton)->isVisibleTo(&bench.window)};
}

TEST(ManufacturerPageTest, EnableRules_FollowModelVersionAndMode) {
  Enabled e = EnabledOn(131, 40, false, true);
  EXPECT_FALSE(e.operations || e.logo || e.playRecord || e.hardware || e.mac || e.hdcp);
  e = EnabledOn(131, 40, true, false);
  EXPECT_TRUE(e.operations && e.logo && e.playRecord);
  EXPECT_FALSE(e.hdcp || e.snapshotShown);
  e = EnabledOn(192, 20, true, false);
  EXPECT_TRUE(e.mac && e.snapshotShown);
  EXPECT_FALSE(e.logo || e.playRecord || e.hardware);
  e = EnabledOn(121, 20, false, true);
  EXPECT_TRUE(e.hardware && e.mac);
  e = EnabledOn(158, 14, false, true);
  EXPECT_TRUE(e.infrared && e.hdcp);
  EXPECT_FALSE(e.fourK || e.snapshotShown);
  EXPECT_TRUE(EnabledOn(158, 15, false, true).fourK);
  EXPECT_FALSE(EnabledOn(157, 9, true, false).hdcp);
  EXPECT_TRUE(EnabledOn(157, 10, true, false).hdcp);
  EXPECT_FALSE(EnabledOn(140, 29, true, false).hdcp);
  EXPECT_TRUE(EnabledOn(140, 30, true, false).hdcp);
  EXPECT_TRUE(EnabledOn(176, 1, true, false).snapshotShown);
}

TEST(ManufacturerPageTest, LogoListAndPlayRecCapability_OnAManufacturerPanel) {
  WindowSetup setup;
  setup.type = 131;
  setup.manufacturer = true;
  setup.logoEntries = {"zebra.dg1", "Alpha.dg1", "beta.DG1", "notes.txt", "folder.dg1/"};
  DeviceWindow window(setup);
  ASSERT_TRUE(window.connected);
  ASSERT_EQ(window.Panel().CurrentPage(), ManufacturerPage::kIndex);
  auto* logo = window.Control<QComboBox>(manufacturercontrol::Logo);
  QStringList items;
  for (int i = 0; i < logo->count(); ++i) items << logo->itemText(i);
  EXPECT_EQ(items, QStringList({"Alpha.dg1", "beta.DG1", "zebra.dg1"}));
  logo->setCurrentIndex(2);
  Q_EMIT logo->activated(2);
  EXPECT_EQ(window.Ctx().panel.LogoFieldText, QStringLiteral("zebra.dg1"));
  EXPECT_EQ(window.Ctx().panel.SendCountdown, 0) << "choosing a logo is no edit";

  ColouredTabBar& tabs = *window.Panel().PageTabs();
  ASSERT_EQ(tabs.ItemColour(UsbPage::kIndex), ColouredTabBar::kSilver);
  auto* box = window.Control<QCheckBox>(manufacturercontrol::PlayRecord);
  QTest::mouseClick(box, Qt::LeftButton);
  EXPECT_EQ(window.Ctx().config.CapabilityPlayRecord, 1);
  EXPECT_EQ(tabs.ItemColour(UsbPage::kIndex), ColouredTabBar::kLimeGreen);
  EXPECT_EQ(tabs.currentIndex(), ManufacturerPage::kIndex);
  EXPECT_TRUE(window.Panel().Page(ManufacturerPage::kIndex)->isVisible());
  EXPECT_EQ(window.Ctx().panel.SendCountdown, PanelState::kSendDelayTicks);
  window.ShowPage(UsbPage::kIndex);
  EXPECT_TRUE(window.Panel().Page(UsbPage::kIndex)->isVisible());
  window.ShowPage(ManufacturerPage::kIndex);
  QTest::mouseClick(box, Qt::LeftButton);
  EXPECT_EQ(tabs.ItemColour(UsbPage::kIndex), ColouredTabBar::kSilver);
  window.ShowPage(UsbPage::kIndex);
  EXPECT_FALSE(window.Panel().Page(UsbPage::kIndex)->isVisible());
}

}  // namespace
}  // namespace ostrivane::uitest
