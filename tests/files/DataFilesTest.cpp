#include <gtest/gtest.h>

#include <QByteArray>
#include <limits>

#include "files/DataFiles.h"

namespace ostrivane {
namespace {

using datafiles::ParseChannelLine;
using datafiles::ParseChannelList;
using datafiles::ParseLanguagePreference;
using datafiles::ParseSetupVersion;

bool Accepts(const char* line, ChannelEntry* out = nullptr) {
  ChannelEntry entry;
  const bool ok = ParseChannelLine(QString::fromLatin1(line), entry);
  if (out) *out = entry;
  return ok;
}

TEST(Preference, FirstTwoCharactersOfFirstLine_ChooseLanguageExactly) {
  EXPECT_EQ(ParseLanguagePreference("EN"), 0);
  EXPECT_EQ(ParseLanguagePreference("FR\r\n"), 1);
  EXPECT_EQ(ParseLanguagePreference("IT"), 2);
  EXPECT_EQ(ParseLanguagePreference("DE\n"), 3);
  EXPECT_EQ(ParseLanguagePreference("PO"), 4);
  EXPECT_EQ(ParseLanguagePreference("ESPANOL"), 5);
  EXPECT_EQ(ParseLanguagePreference("ENGLISH"), 0);
  // Lower case, unknown codes, a leading blank, a lone letter and a later line all give English.
  for (const char* text : {"fr", "PL", " FR", "F", "", "\nFR", "Fr"}) {
    EXPECT_EQ(ParseLanguagePreference(text), 0) << text;
  }
}

TEST(SetupVersion, DigitsAfterSixCharacters_FormTheVersion) {
  EXPECT_EQ(ParseSetupVersion("SETUP=17 build 3"), 17);
  EXPECT_EQ(ParseSetupVersion("SETUP=17\r\nSETUP=99"), 17);
  EXPECT_EQ(ParseSetupVersion("\x01\x02\x03\x04\x05\x06"
                              "2024"),
            2024);
  EXPECT_EQ(ParseSetupVersion("SETUP=x17"), 0);
  EXPECT_EQ(ParseSetupVersion("SETUP="), 0);
  EXPECT_EQ(ParseSetupVersion("SETUP=\n42"), 0);
  EXPECT_EQ(ParseSetupVersion("SETUP=99999999999999"), std::numeric_limits<int>::max());
}

TEST(SetupVersion, FirstLineTooShort_GivesZero) {
  EXPECT_EQ(ParseSetupVersion(""), 0);
  EXPECT_EQ(ParseSetupVersion("SET"), 0);
  // The version must not be taken from the next line.
  EXPECT_EQ(ParseSetupVersion("SET\n123456789"), 0);
  EXPECT_EQ(ParseSetupVersion("SETUP\r\n7"), 0);
}

TEST(ChannelLine, WellFormedLines_AreAccepted) {
  ChannelEntry entry;
  ASSERT_TRUE(Accepts("5,News,7", &entry));
  EXPECT_EQ(entry.name, QStringLiteral("News"));
  EXPECT_EQ(entry.serviceId, 5);
  EXPECT_EQ(entry.lcn, 7);

  ASSERT_TRUE(Accepts("5,,7", &entry));
  EXPECT_TRUE(entry.name.isEmpty());

  ASSERT_TRUE(Accepts("12,Sports,30,extra", &entry));
  EXPECT_EQ(entry.lcn, 30);
  EXPECT_EQ(entry.name, QStringLiteral("Sports"));

  // "%d" reading: blanks and a plus sign before the number, anything after it ignored.
  ASSERT_TRUE(Accepts("  +9x, Le Film ,\t 11 tail", &entry));
  EXPECT_EQ(entry.serviceId, 9);
  EXPECT_EQ(entry.name, QStringLiteral(" Le Film "));
  EXPECT_EQ(entry.lcn, 11);

  // Stored in 16 bits.
  ASSERT_TRUE(Accepts("70000,Big,65537", &entry));
  EXPECT_EQ(entry.serviceId, 70000 - 65536);
  EXPECT_EQ(entry.lcn, 1);
}

TEST(ChannelLine, MalformedLines_AreSkipped) {
  for (const char* line : {"5,News,0", "0,News,5", "5,News", "5 News 7", "", "5,", "5,,",
                           "-5,News,7", "5,News,-7", "News,5,7", "5,News,x7", ",News,7"}) {
    EXPECT_FALSE(Accepts(line)) << line;
  }
}

TEST(ChannelList, LinesOfBytes_GiveEntriesInFileOrder) {
  const QByteArray file("1,One,1\r\n\r\nbad line\n2,Caf\xE9,2\n3,Three,3");
  const QVector<ChannelEntry> channels = ParseChannelList(file);
  ASSERT_EQ(channels.size(), 3);
  EXPECT_EQ(channels[0].name, QStringLiteral("One"));
  // Each byte is one Latin-1 character.
  EXPECT_EQ(channels[1].name, QStringLiteral("Caf\u00E9"));
  // The last line counts without a line end.
  EXPECT_EQ(channels[2].lcn, 3);
  // A CR that does not end a line belongs to the name.
  EXPECT_EQ(ParseChannelList("4,A\rB,4\n").value(0).name, QStringLiteral("A\rB"));
}

TEST(ChannelList, SixHundredValidLines_YieldFirstFiveHundred) {
  QByteArray file("not,a,channel\n");
  for (int i = 1; i <= 600; ++i)
    file +=
        QByteArray::number(i) + ",Ch" + QByteArray::number(i) + "," + QByteArray::number(i) + "\n";
  const QVector<ChannelEntry> channels = ParseChannelList(file);
  ASSERT_EQ(channels.size(), 500);
  EXPECT_EQ(channels.front().serviceId, 1);
  EXPECT_EQ(channels.back().serviceId, 500);
  EXPECT_EQ(channels.back().name, QStringLiteral("Ch500"));
}

}  // namespace
}  // namespace ostrivane
