// The MISC. page: enable rules, lists and check boxes, the 4K choice that restarts the device
// after the next send, and the EDID repair button in both modes and several languages.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>

#include "DevicePagesTestSupport.h"
#include "link/Commands.h"
#include "texts/TextTable.h"
#include "ui/pages/MiscPage.h"

namespace ostrivane::uitest {
namespace {

const int kEncoderOptions[] = {misccontrol::H264Profile, misccontrol::AllowVbr,
                               misccontrol::StrictCbr, misccontrol::PcmVolume};

TEST(MiscPageTest, EnableRules_FollowModelAndCapabilities) {
  SinglePageBench<MiscPage> legacy(121, 20);
  legacy.Show();
  for (int id : kEncoderOptions) EXPECT_TRUE(legacy.Control(id)->isEnabled()) << id;
  EXPECT_FALSE(legacy.Control(misccontrol::FourK)->isEnabled());
  EXPECT_FALSE(legacy.Control(misccontrol::IrLabel)->isEnabled());
  EXPECT_FALSE(legacy.Control(misccontrol::Edid)->isEnabled());
  EXPECT_EQ(legacy.Control<QLabel>(misccontrol::VolumeLabel)->text(), "HDMI-PCM Volume :");
  EXPECT_EQ(legacy.Control<QCheckBox>(misccontrol::AllowVbr)->text(), "Allow VBR");

  SinglePageBench<MiscPage> standard(140, 20);
  standard.config.Capability4K = 1;
  standard.config.CapabilityInfrared = 1;
  standard.Show();
  for (int id : kEncoderOptions) EXPECT_FALSE(standard.Control(id)->isEnabled()) << id;
  for (int id : {misccontrol::VolumeLabel, misccontrol::ProfileLabel, misccontrol::FourK,
                 misccontrol::IrCarrier, misccontrol::Edid}) {
    EXPECT_TRUE(standard.Control(id)->isEnabled()) << id;
  }
}

TEST(MiscPageTest, ReadBack_KeepsAValueNoItemStandsFor) {
  SinglePageBench<MiscPage> bench(121, 20);
  bench.config.IrCarrier = 7;  // from a record
  bench.config.H264Profile = 1;
  bench.config.StrictCbr = 1;
  bench.Show();
  EXPECT_EQ(bench.Control<QComboBox>(misccontrol::H264Profile)->currentText(), " HIGH");
  EXPECT_EQ(bench.Control<QComboBox>(misccontrol::IrCarrier)->currentIndex(), -1);
  QTest::mouseClick(bench.Control(misccontrol::AllowVbr), Qt::LeftButton);
  EXPECT_EQ(bench.config.AllowVbr, 1);
  EXPECT_EQ(bench.config.StrictCbr, 1);
  EXPECT_EQ(bench.config.IrCarrier, 7) << "an empty list choice must not overwrite the field";
  EXPECT_EQ(bench.panel.SendCountdown, PanelState::kSendDelayTicks);
  EXPECT_EQ(bench.panel.FourKChanged, 0);
}

TEST(MiscPageTest, FourKChoice_IsSentThenRestartsTheDevice) {
  DeviceWindow window({});  // model 192 offers 4K
  ASSERT_TRUE(window.connected);
  window.ShowPage(MiscPage::kIndex);
  auto* fourK = window.Control<QComboBox>(misccontrol::FourK);
  ASSERT_TRUE(fourK->isEnabled());
  fourK->setCurrentIndex(1);
  Q_EMIT fourK->activated(1);
  EXPECT_EQ(window.Ctx().panel.FourKChanged, 1);
  EXPECT_EQ(window.Ctx().panel.SendCountdown, PanelState::kSendDelayTicks);
  ASSERT_TRUE(WaitUntil([&] { return window.Payloads(cmd::Restart).size() == 1; }, 4000));
  EXPECT_EQ(window.Payloads(cmd::WriteConfig).size(), 1);
  EXPECT_EQ(window.StoredConfig().FourKMode, 1);
}

TEST(MiscPageTest, EdidButton_AsksTwiceInEnglishForItalianAndPolishToo) {
  SinglePageBench<MiscPage> bench(140, 20);
  bench.Show();
  bench.prompts.answers = {PromptAnswer::Cancel, PromptAnswer::Ok, PromptAnswer::Cancel};
  QTest::mouseClick(bench.Control(misccontrol::Edid), Qt::LeftButton);
  EXPECT_EQ(bench.prompts.messages.size(), 1) << "no second question after Cancel";
  QTest::mouseClick(bench.Control(misccontrol::Edid), Qt::LeftButton);
  ASSERT_EQ(bench.prompts.messages.size(), 3);
  EXPECT_FALSE(bench.flags.EdidRequest);
  const MessageBoxRequest& first = bench.prompts.messages[0];
  EXPECT_TRUE(first.text.startsWith("Do you confirm repairing the EDID table ?\nThis function"));
  EXPECT_EQ(first.buttons, PromptButtons::OkCancel);
  EXPECT_EQ(first.icon, PromptIcon::Exclamation);
  EXPECT_TRUE(first.cancelIsDefault);
  EXPECT_EQ(bench.prompts.messages[2].text,
            "Please remove the HDMI cable from the modulator and then confirm.");
  QTest::mouseClick(bench.Control(misccontrol::Edid), Qt::LeftButton);
  EXPECT_TRUE(bench.flags.EdidRequest);

  for (const int language : {2, 4}) {
    SinglePageBench<MiscPage> translated(140, 20, false, false, language);
    translated.Show();
    QTest::mouseClick(translated.Control(misccontrol::Edid), Qt::LeftButton);
    ASSERT_EQ(translated.prompts.messages.size(), 2);
    EXPECT_EQ(translated.prompts.messages[0].text, LocalText(36, 0)) << language;
    EXPECT_EQ(translated.prompts.messages[1].text,
              "Please remove HDMI cable from modulator and then confirm.");
  }
}

TEST(MiscPageTest, EdidButtonInManufacturerMode_ProgramsAtOnceAndStaysConnected) {
  WindowSetup setup;
  setup.type = 140;
  setup.manufacturer = true;
  DeviceWindow window(setup);
  ASSERT_TRUE(window.connected);
  window.ShowPage(MiscPage::kIndex);
  QTest::mouseClick(window.Control(misccontrol::Edid), Qt::LeftButton);
  ASSERT_TRUE(window.WaitDeviceIdle());
  EXPECT_EQ(window.device.Counters().edidProgrammings, 1);
  EXPECT_TRUE(window.prompts.messages.isEmpty());
  QTest::qWait(300);
  EXPECT_TRUE(window.Connected());
  EXPECT_TRUE(window.Panel().isVisible());
}

}  // namespace
}  // namespace ostrivane::uitest
