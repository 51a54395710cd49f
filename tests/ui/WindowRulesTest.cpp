// Rules of the window that need no device: display scale, title, tab labels, prompt filters.
#include <gtest/gtest.h>

#include "link/DeviceIdentity.h"
#include "operations/DeviceStatus.h"
#include "ui/DisplayScale.h"
#include "ui/OstrivaneDlg.h"
#include "ui/QtPrompts.h"
#include "ui/pages/MultiplexPage.h"
#include "ui/pages/PanelPage.h"
#include "ui/pages/ServicePage.h"

namespace ostrivane {
namespace {

TEST(DisplayScaleTest, Ratio_SnapsToTheLayoutSteps) {
  EXPECT_DOUBLE_EQ(DisplayScaleStepFor(1.6), 1.8);
  EXPECT_DOUBLE_EQ(DisplayScaleStepFor(2.0), 1.8);
  EXPECT_DOUBLE_EQ(DisplayScaleStepFor(1.59), 1.5);
  EXPECT_DOUBLE_EQ(DisplayScaleStepFor(1.45), 1.5);
  EXPECT_DOUBLE_EQ(DisplayScaleStepFor(1.449), 1.25);
  EXPECT_DOUBLE_EQ(DisplayScaleStepFor(1.16), 1.25);
  // Below the first step the ratio is used as it is.
  EXPECT_DOUBLE_EQ(DisplayScaleStepFor(1.1), 1.1);
  EXPECT_DOUBLE_EQ(DisplayScaleStepFor(1.0), 1.0);
}

TEST(WindowTitleTest, SetupAndHardware_AppearOnlyWhenKnown) {
  EXPECT_EQ(WindowTitle(0, nullptr), QStringLiteral("Ostrivane 1.0"));
  EXPECT_EQ(WindowTitle(3, nullptr), QStringLiteral("Ostrivane 1.0 (setup 3)"));

  DeviceIdentity standard{131, {20, 0, 10}};
  EXPECT_EQ(WindowTitle(0, &standard), QStringLiteral("Ostrivane 1.0 (H131[83]-20.10)"));
  DeviceIdentity network{192, {15, 7, 4}};
  EXPECT_EQ(WindowTitle(2, &network), QStringLiteral("Ostrivane 1.0 (setup 2) (H192[C0]-15.4)"));
  // Decimal-version models show main/10 and main%10 whatever the secondary byte says.
  DeviceIdentity legacy{121, {37, 0, 99}};
  EXPECT_EQ(WindowTitle(0, &legacy), QStringLiteral("Ostrivane 1.0 (H121[79]-3.7)"));
}

TEST(ServiceTabLabelsTest, Inputs_LabelTheirTabAndLaterSilentOnes) {
  DeviceStatus status;
  EXPECT_EQ(ServiceTabLabels(status, 4), QStringList({"M1A", "M1B", "M2A", "M2B"}));
  EXPECT_EQ(ServiceTabLabels(status, 1), QStringList({"M1A"}));

  status.Inputs[0] = {1, 1080, 0, 50, 0, 0};
  status.Inputs[2] = {1, 720, 1, 60, 1, 0};
  // A service without a signal repeats the format of the last earlier one that had a signal.
  EXPECT_EQ(ServiceTabLabels(status, 4), QStringList({"M1A 1080i50 PCM", "M1B 1080i50 PCM",
                                                      "M2A 720P60 AC3", "M2B 720P60 AC3"}));
  // More services than status slots never reads past the status.
  EXPECT_EQ(ServiceTabLabels(status, 9).size(), 4);
}

TEST(ModulatorTabLabelsTest, OutputWithoutMeasurement_ShowsInit) {
  EXPECT_EQ(ModulatorTabLabels(2, nullptr, QStringLiteral("Init...")), QStringList({"M1", "M2"}));
  DeviceStatus status;
  status.Bitrates[0].BitrateCapacity = 31668000;
  EXPECT_EQ(ModulatorTabLabels(2, &status, QStringLiteral("Init...")),
            QStringList({"M1", "M2 (Init...)"}));
}

TEST(SpokenNameTest, LabelText_LosesItsColon) {
  EXPECT_EQ(PanelPage::SpokenName(QStringLiteral("Freq. (kHz) :")), QStringLiteral("Freq. (kHz)"));
  EXPECT_EQ(PanelPage::SpokenName(QStringLiteral("MAC Address  :")), QStringLiteral("MAC Address"));
  EXPECT_EQ(PanelPage::SpokenName(QStringLiteral("Kb/s")), QStringLiteral("Kb/s"));
}

TEST(QtPromptsTest, FileFilter_CombinesDescriptionAndPattern) {
  FileDialogRequest request;
  request.filterDescription = QStringLiteral("Config.");
  request.filterPattern = QStringLiteral("*.itc");
  EXPECT_EQ(QtPrompts::FilterText(request), QStringLiteral("Config. (*.itc)"));
  request.filterPattern.clear();
  EXPECT_TRUE(QtPrompts::FilterText(request).isEmpty());
}

}  // namespace
}  // namespace ostrivane
