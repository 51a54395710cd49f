#include <gtest/gtest.h>

#include "discovery/Announcement.h"

namespace ostrivane {
namespace {

struct Parsed {
  bool ok = false;
  QString identifier = QStringLiteral("untouched");
  QString address = QStringLiteral("untouched");
};

Parsed Parse(const QByteArray& datagram) {
  Parsed parsed;
  parsed.ok = ParseAnnouncement(datagram, parsed.identifier, parsed.address);
  return parsed;
}

TEST(ParseAnnouncement, WellFormedVariants_YieldIdentifierAndAddress) {
  const QByteArray accepted[] = {
      "VERUV_c0_A1_192.168.1.20",
      "VERUV__c0_A1_192.168.1.20",         // doubled separator
      "_VERUV_c0_A1_192.168.1.20",         // leading separator
      "__VERUV___c0__A1___192.168.1.20_",  // runs everywhere, trailing one too
      "VERUV_c0_A1_192.168.1.20_extra",    // fifth token ignored
  };
  for (const QByteArray& datagram : accepted) {
    const Parsed parsed = Parse(datagram);
    EXPECT_TRUE(parsed.ok) << datagram.constData();
    EXPECT_EQ(parsed.identifier, QStringLiteral("A1")) << datagram.constData();
    EXPECT_EQ(parsed.address, QStringLiteral("192.168.1.20")) << datagram.constData();
  }
}

TEST(ParseAnnouncement, WrongLeadingTokens_Rejected) {
  const QByteArray rejected[] = {
      "VERUV_C0_A1_192.168.1.20",
      "veruv_c0_A1_192.168.1.20",
      "VERUVX_c0_A1_192.168.1.20",
      "VERUV-c0-A1-192.168.1.20",
      "NOTIFY * HTTP/1.1\r\nHOST: 239.255.255.250:1900\r\n\r\n",  // ordinary SSDP traffic
      "",
      "____",
  };
  for (const QByteArray& datagram : rejected) {
    const Parsed parsed = Parse(datagram);
    EXPECT_FALSE(parsed.ok) << datagram.constData();
    EXPECT_EQ(parsed.identifier, QStringLiteral("untouched"));
  }
}

TEST(ParseAnnouncement, MissingIdentifierOrAddress_RejectedAndOutputsUntouched) {
  for (const QByteArray& datagram : {QByteArray("VERUV_c0"), QByteArray("VERUV_c0_A1"),
                                     QByteArray("VERUV_c0_A1_"), QByteArray("VERUV_c0___")}) {
    const Parsed parsed = Parse(datagram);
    EXPECT_FALSE(parsed.ok) << datagram.constData();
    EXPECT_EQ(parsed.identifier, QStringLiteral("untouched"));
    EXPECT_EQ(parsed.address, QStringLiteral("untouched"));
  }
}

TEST(ParseAnnouncement, TextEndsAtZeroByteAndLongTextsAreRefused) {
  const Parsed cut = Parse(QByteArray("VERUV_c0_A1_10.0.0.7\0_B2_junk", 29));
  EXPECT_TRUE(cut.ok);
  EXPECT_EQ(cut.address, QStringLiteral("10.0.0.7"));
  EXPECT_FALSE(Parse(QByteArray("VERUV\0_c0_A1_10.0.0.7", 21)).ok);

  const QByteArray head = "VERUV_c0_A1_10.0.0.7_";
  const QByteArray longest = head + QByteArray(255 - head.size(), 'x');
  EXPECT_TRUE(Parse(longest).ok);
  EXPECT_FALSE(Parse(longest + 'x').ok);
}

}  // namespace
}  // namespace ostrivane
