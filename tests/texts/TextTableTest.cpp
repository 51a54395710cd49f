#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QSet>
#include <QString>

#include "texts/TextTable.h"
#include "texts/WindowTexts.h"

namespace ostrivane {
namespace {

constexpr int kEnglish = 0;
constexpr int kFrench = 1;
constexpr int kItalian = 2;
constexpr int kGerman = 3;
constexpr int kPolish = 4;
constexpr int kSpanish = 5;

TEST(TextTable, EveryEntryAndWeekday_IsFilledInEveryLanguage) {
  for (int entry = 0; entry < kTextEntries; ++entry) {
    for (int lang = 0; lang < kLanguages; ++lang) {
      EXPECT_FALSE(LocalText(entry, lang).isEmpty()) << "entry " << entry << " lang " << lang;
    }
  }
  for (int day = 0; day < kWeekdays; ++day) {
    for (int lang = 0; lang < kLanguages; ++lang) {
      EXPECT_EQ(WeekdayLetter(day, lang).size(), 1) << "day " << day << " lang " << lang;
    }
  }
}

TEST(TextTable, OutOfRangeArguments_GiveEmptyText) {
  EXPECT_TRUE(LocalText(-1, kEnglish).isEmpty());
  EXPECT_TRUE(LocalText(kTextEntries, kEnglish).isEmpty());
  EXPECT_TRUE(LocalText(0, -1).isEmpty());
  EXPECT_TRUE(LocalText(0, kLanguages).isEmpty());
  EXPECT_TRUE(WeekdayLetter(-1, kEnglish).isEmpty());
  EXPECT_TRUE(WeekdayLetter(kWeekdays, kEnglish).isEmpty());
  EXPECT_TRUE(WeekdayLetter(0, kLanguages).isEmpty());
}

TEST(TextTable, SpotCheckPerLanguage_MatchesExactWording) {
  EXPECT_EQ(LocalText(text::WaitingConnection, kEnglish), QStringLiteral("Waiting connection..."));
  EXPECT_EQ(LocalText(text::HardwareConnected, kFrench), QStringLiteral("Matériel connecté"));
  EXPECT_EQ(LocalText(35, kItalian), QStringLiteral("ATTENDERE. Non spegnere l'unità..."));
  EXPECT_EQ(LocalText(6, kGerman), QStringLiteral("Überprüfung..."));
  EXPECT_EQ(LocalText(42, kPolish), QStringLiteral("RÓŻNE"));
  EXPECT_EQ(LocalText(text::EdidProgramming, kSpanish),
            QStringLiteral("Table EDID reprogramándose, esperar..."));
  // Tab captions keep their trailing blanks in two languages.
  EXPECT_EQ(LocalText(41, kItalian), QStringLiteral("SERVIZIO "));
  EXPECT_EQ(LocalText(41, kGerman), QStringLiteral("DIENSTLEISTUNG "));
  EXPECT_EQ(LocalText(41, kEnglish), QStringLiteral("SERVICE"));
}

TEST(TextTable, PolishEdidAndPowerTexts_AreEnglishWordings) {
  EXPECT_EQ(LocalText(text::WaitDoNotPowerOff, kPolish),
            QStringLiteral("WAIT. DO NOT POWER OFF..."));
  EXPECT_EQ(LocalText(text::EdidConfirm1, kPolish), LocalText(text::EdidConfirm1, kEnglish));
  EXPECT_EQ(LocalText(text::EdidProgramming, kPolish),
            QStringLiteral("EDID table programming, wait..."));
  // Italian, German and Polish share the shorter wording without "the".
  const QString shorter =
      QStringLiteral("Please remove HDMI cable from modulator and then confirm.");
  EXPECT_EQ(LocalText(text::EdidConfirm2, kPolish), shorter);
  EXPECT_EQ(LocalText(text::EdidConfirm2, kItalian), shorter);
  EXPECT_EQ(LocalText(text::EdidConfirm2, kGerman), shorter);
  EXPECT_EQ(LocalText(text::EdidConfirm2, kEnglish),
            QStringLiteral("Please remove the HDMI cable from the modulator and then confirm."));
}

TEST(TextTable, EdidQuestion_HasLineBreakExceptInSpanish) {
  EXPECT_EQ(LocalText(text::EdidConfirm1, kEnglish),
            QStringLiteral("Do you confirm repairing the EDID table ?\nThis function is only "
                           "required if no more sound comes out of the modulator and if forcing "
                           "HDMI-LPCM audio is required."));
  EXPECT_EQ(LocalText(text::EdidConfirm1, kFrench),
            QStringLiteral("Confirmez vous vouloir reparer la table EDID ?\nCette fonction "
                           "n'est à utiliser qu'au cas où aucun son ne sorte plus du modulateur "
                           "et que le forçage du mode HDMI-LPCM est requis."));
  EXPECT_EQ(LocalText(text::EdidConfirm1, kSpanish).count(QLatin1Char('\n')), 0);
  EXPECT_TRUE(LocalText(text::EdidConfirm1, kSpanish).startsWith(QStringLiteral("¿Confirma")));
  for (int lang : {kEnglish, kFrench, kItalian, kGerman, kPolish}) {
    EXPECT_EQ(LocalText(text::EdidConfirm1, lang).count(QLatin1Char('\n')), 1) << lang;
  }
}

TEST(TextTable, LabelQuirks_AreKeptPerLanguage) {
  EXPECT_EQ(LocalText(21, kEnglish), QStringLiteral("Id. LCN :"));
  EXPECT_EQ(LocalText(25, kEnglish), QStringLiteral("Video PID:"));
  for (int lang = 1; lang < kLanguages; ++lang) {
    EXPECT_EQ(LocalText(21, lang), QStringLiteral("LCN Id. :")) << lang;
    EXPECT_TRUE(LocalText(25, lang).endsWith(QStringLiteral(" PID :"))) << lang;
  }
}

TEST(TextTable, UpgradePrefixWithVersion_GivesTwoSpacesBeforeNumber) {
  for (int lang = 0; lang < kLanguages; ++lang) {
    const QString prefix = LocalText(text::UpgradeToRelease, lang);
    ASSERT_TRUE(prefix.endsWith(QLatin1Char(' '))) << lang;
    const QString composed = QStringLiteral("%1 %2").arg(prefix).arg(17);
    EXPECT_TRUE(composed.endsWith(QStringLiteral("  17"))) << lang;
  }
  EXPECT_EQ(LocalText(text::UpgradeToRelease, kFrench), QStringLiteral("mise à jour en version "));
}

TEST(TextTable, WeekdayLetters_FrenchDiffersFromOthers) {
  const QString french = [] {
    QString s;
    for (int day = 0; day < kWeekdays; ++day) s += WeekdayLetter(day, kFrench);
    return s;
  }();
  EXPECT_EQ(french, QStringLiteral("LMMJVSD"));
  for (int lang : {kEnglish, kItalian, kGerman, kPolish, kSpanish}) {
    QString s;
    for (int day = 0; day < kWeekdays; ++day) s += WeekdayLetter(day, lang);
    EXPECT_EQ(s, QStringLiteral("MTWTFSS")) << lang;
  }
}

// A row found by its English text in every language, with the placeholders .arg() fills; a text
// without a row is shown as it is.
TEST(WindowTexts, EveryRow_IsFilledUniqueAndKeepsItsPlaceholders) {
  QSet<QString> keys;
  static const QRegularExpression placeholder(QStringLiteral("%\\d"));
  for (int row = 0; row < kWindowTextRows; ++row) {
    const QString english = QString::fromUtf16(WindowTextTable[row * kLanguages]);
    EXPECT_FALSE(keys.contains(english)) << english.toStdString();
    keys.insert(english);
    for (int lang = 0; lang < kLanguages; ++lang) {
      const QString text = WindowText(english, lang);
      EXPECT_FALSE(text.isEmpty()) << row << " lang " << lang;
      EXPECT_EQ(text.count(placeholder), english.count(placeholder)) << text.toStdString();
    }
  }
  EXPECT_EQ(WindowText(u"Subnet mask", kGerman), QStringLiteral("Subnetzmaske"));
  EXPECT_EQ(WindowText(u"Subnet mask", kLanguages), QStringLiteral("Subnet mask"));
  EXPECT_EQ(WindowText(u"UITEST-42", kFrench), QStringLiteral("UITEST-42"));
}
}  // namespace
}  // namespace ostrivane
