#include <gtest/gtest.h>

#include <vector>

#include "operations/Capabilities.h"
#include "operations/ModelTable.h"

namespace ostrivane {
namespace {

class RecordingPrompts final : public Prompts {
 public:
  PromptAnswer ShowMessage(const MessageBoxRequest& request) override {
    messages.push_back(request);
    return PromptAnswer::Ok;
  }
  QString GetSaveFileName(const FileDialogRequest&) override { return {}; }
  QString GetOpenFileName(const FileDialogRequest&) override { return {}; }
  void Beep(int, int) override {}
  std::vector<MessageBoxRequest> messages;
};

TEST(ModelTable, AcceptedCodes_NamedSilentlyUnknownCodesReportedAndEmpty) {
  RecordingPrompts prompts;
  EXPECT_EQ(ModelName(121, prompts), QStringLiteral("UNIT121"));
  EXPECT_EQ(ModelName(154, prompts), QStringLiteral("UNIT154"));
  EXPECT_EQ(ModelName(192, prompts), QStringLiteral("UNIT192"));
  EXPECT_TRUE(prompts.messages.empty());

  for (unsigned unknown : {0u, 129u, 130u, 160u, 177u, 255u}) {
    prompts.messages.clear();
    EXPECT_TRUE(ModelName(unknown, prompts).isEmpty()) << unknown;
    ASSERT_EQ(prompts.messages.size(), 1u) << unknown;
    const MessageBoxRequest& shown = prompts.messages.front();
    EXPECT_EQ(shown.caption, QStringLiteral("ERROR"));
    EXPECT_EQ(shown.text, QStringLiteral("UNDEFINED VALUE"));
    EXPECT_EQ(shown.buttons, PromptButtons::Ok);
    EXPECT_EQ(shown.owner, PromptOwner::None);
  }
}

TEST(ModelTable, FamilyNames_SharedFamilyAndDefault) {
  EXPECT_EQ(FirmwareFamilyName(142), QStringLiteral("FWFAM142"));
  EXPECT_EQ(FirmwareFamilyName(154), QStringLiteral("FWFAM142"));
  EXPECT_EQ(FirmwareFamilyName(157), QStringLiteral("FWFAM157"));
  for (unsigned none : {121u, 132u, 143u, 155u, 158u, 192u, 0u, 255u})
    EXPECT_EQ(FirmwareFamilyName(none), QStringLiteral("FWFAMNONE")) << none;
}

TEST(ModelTable, UpgradeProfiles_FollowTheProfileTableRows) {
  using F = SecondaryVersionFormat;
  const auto p121 = UpgradeProfile(121);
  ASSERT_TRUE(p121);
  EXPECT_FALSE(p121->mainStartArea);
  EXPECT_FALSE(p121->secondaryStartArea);
  EXPECT_FALSE(p121->mainHeader || p121->mainTrailer);
  EXPECT_EQ(p121->mainBlockSize, 2048);

  struct Row {
    unsigned code;
    int mainArea;
    bool header, trailer;
    int secondaryArea, skip, versionArea;  // -1: none
    F format;
  };
  const Row rows[] = {
      {128, 991, false, false, 0, 16, 990, F::Tenths},
      {131, 928, true, true, 0, 16, 927, F::Tenths},
      {132, 752, true, true, 0, 16, 751, F::Tenths},
      {155, 752, true, true, 0, 16, 751, F::Tenths},
      {142, 752, true, true, 620, 0, -1, F::Whole},
      {154, 752, true, true, 620, 0, -1, F::Whole},
      {156, 752, true, true, 256, 0, 751, F::Whole},
      {157, 752, true, true, 492, 0, -1, F::Whole},
      {158, 128, false, true, 0, 0, -1, F::Tenths},
      {178, 128, false, true, 0, 0, -1, F::Whole},
      {192, 752, false, true, 0, 0, -1, F::Tenths},
  };
  for (const Row& row : rows) {
    const auto profile = UpgradeProfile(row.code);
    ASSERT_TRUE(profile) << row.code;
    EXPECT_EQ(profile->mainStartArea.value_or(0), row.mainArea) << row.code;
    EXPECT_EQ(profile->mainHeader, row.header) << row.code;
    EXPECT_EQ(profile->mainTrailer, row.trailer) << row.code;
    EXPECT_EQ(profile->mainBlockSize, 512) << row.code;
    ASSERT_TRUE(profile->secondaryStartArea) << row.code;
    EXPECT_EQ(*profile->secondaryStartArea, row.secondaryArea) << row.code;
    EXPECT_EQ(profile->secondarySkip, row.skip) << row.code;
    EXPECT_EQ(profile->secondaryVersionArea ? int(*profile->secondaryVersionArea) : -1,
              row.versionArea)
        << row.code;
    EXPECT_EQ(profile->secondaryVersionFormat, row.format) << row.code;
  }
  for (unsigned unknown : {0u, 129u, 130u, 177u}) EXPECT_FALSE(UpgradeProfile(unknown)) << unknown;
}

TEST(ModelTable, Predicates_AtTheirBoundaries) {
  EXPECT_TRUE(UsesDecimalVersion(121) && UsesDecimalVersion(132));
  EXPECT_FALSE(UsesDecimalVersion(131) || UsesDecimalVersion(133) || UsesDecimalVersion(192));

  for (unsigned yes : {131u, 134u, 135u, 138u, 140u, 142u, 154u, 157u, 158u, 176u, 178u, 192u})
    EXPECT_TRUE(HasUsbPlayRecord(yes)) << yes;
  for (unsigned no : {121u, 128u, 132u, 133u, 136u, 139u, 141u, 150u, 155u, 156u})
    EXPECT_FALSE(HasUsbPlayRecord(no)) << no;

  EXPECT_FALSE(HasAudioDelay(142, 6));
  EXPECT_TRUE(HasAudioDelay(142, 7));
  EXPECT_TRUE(HasAudioDelay(142, 255));
  for (unsigned yes : {132u, 141u, 143u, 154u, 157u, 192u})
    EXPECT_TRUE(HasAudioDelay(yes, 0)) << yes;
  for (unsigned no : {121u, 128u, 131u, 158u, 159u, 176u, 178u})
    EXPECT_FALSE(HasAudioDelay(no, 50)) << no;

  for (unsigned yes : {121u, 147u, 151u, 155u, 157u, 158u, 159u, 176u, 178u, 192u})
    EXPECT_TRUE(HasDvbC(yes)) << yes;
  for (unsigned no : {128u, 131u, 142u, 146u, 156u}) EXPECT_FALSE(HasDvbC(no)) << no;
}

TEST(Capabilities, PanelRules_AtTheirBoundaries) {
  EXPECT_TRUE(HasLcnCountry(158) && HasLcnCountry(176) && HasLcnCountry(192));
  EXPECT_FALSE(HasLcnCountry(157) || HasLcnCountry(177) || HasLcnCountry(121));

  EXPECT_TRUE(HasAit(132) && HasAit(141) && HasAit(143) && HasAit(158) && HasAit(159));
  EXPECT_FALSE(HasAit(121) || HasAit(131) || HasAit(142) || HasAit(154) || HasAit(192));

  EXPECT_TRUE(HasEdidRepair(132) && HasEdidRepair(142) && HasEdidRepair(157));
  EXPECT_FALSE(HasEdidRepair(128) || HasEdidRepair(158) || HasEdidRepair(178));

  EXPECT_TRUE(HasBitrateMeter(176) && HasBitrateMeter(178));
  EXPECT_FALSE(HasBitrateMeter(177) || HasBitrateMeter(192));

  EXPECT_TRUE(HasSnapshot(159) && HasSnapshot(176) && HasSnapshot(178) && HasSnapshot(192));
  EXPECT_FALSE(HasSnapshot(158) || HasSnapshot(121));

  EXPECT_TRUE(HasGainField(142) && HasGainField(154) && HasGainField(157));
  EXPECT_FALSE(HasGainField(143) || HasGainField(156));
}

TEST(ModelTable, VersionTexts_ByTypeAndProfile) {
  EXPECT_EQ(FormatMainVersion(132, 12), QStringLiteral("1.2"));
  EXPECT_EQ(FormatMainVersion(121, 5), QStringLiteral("0.5"));
  EXPECT_EQ(FormatMainVersion(192, 15), QStringLiteral("15"));

  EXPECT_EQ(FormatSecondaryVersion(128, 23), QStringLiteral("2.3"));
  EXPECT_EQ(FormatSecondaryVersion(192, 7), QStringLiteral("0.7"));
  EXPECT_EQ(FormatSecondaryVersion(142, 23), QStringLiteral("23"));
  EXPECT_EQ(FormatSecondaryVersion(178, 255), QStringLiteral("255"));
  EXPECT_EQ(FormatSecondaryVersion(121, 23), QStringLiteral("23"));

  DeviceIdentity identity;
  identity.DeviceTypeCode = 121;
  identity.Version = {37, 0, 9};  // the secondary byte never shows for decimal types
  EXPECT_EQ(FormatTitleVersion(identity), QStringLiteral("3.7"));
  identity.DeviceTypeCode = 192;
  identity.Version = {15, 0, 4};
  EXPECT_EQ(FormatTitleVersion(identity), QStringLiteral("15.4"));
}

}  // namespace
}  // namespace ostrivane
