#include <gtest/gtest.h>

#include "RecordTestSupport.h"
#include "config/DeviceCharset.h"

namespace ostrivane {
namespace {

using test::ContextFor;
using test::Hex;

TEST(DeviceCharset, Table_SubstitutesWhatTheDevicesCannotShow) {
  EXPECT_EQ(DeviceCharset::Decode(65), QChar(u'A'));
  EXPECT_EQ(DeviceCharset::Decode(34), QChar(u'\''));
  EXPECT_EQ(DeviceCharset::Decode(173), QChar(u'-'));
  EXPECT_EQ(DeviceCharset::Decode(233), QChar(u'\u00e9'));
  for (const int dot : {1, 31, 127, 128, 159, 160}) {
    EXPECT_EQ(DeviceCharset::Decode(static_cast<std::uint8_t>(dot)), QChar(u'.')) << dot;
  }
}

TEST(DeviceCharset, Encode_WritesOwnCodeOnlyForCharactersInTheTable) {
  EXPECT_EQ(DeviceCharset::Encode(QChar(u'A')), 65);
  EXPECT_EQ(DeviceCharset::Encode(QChar(u'\'')), 39);
  EXPECT_EQ(DeviceCharset::Encode(QChar(u'-')), 45);
  EXPECT_EQ(DeviceCharset::Encode(QChar(u'\u00ff')), 255);
  for (const char16_t absent : {u'"', u'\n', u'\u00a0', u'\u00ad', u'\u0416', u'\u20ac', u'\0'}) {
    EXPECT_EQ(DeviceCharset::Encode(QChar(absent)), 46) << int(absent);
  }
}

TEST(DeviceCharset, ServiceNames_TravelThroughTheRecordAsTheDevicesShowThem) {
  // A LegacyLayout record with empty texts (see LegacyLayoutTest); the service name is item 24.
  const LayoutContext context = ContextFor(121);
  DeviceConfig config;
  PanelState panel;
  config.Services[0].ServiceName = QStringLiteral("Say \"Hi\"");
  QByteArray out;
  ASSERT_TRUE(EncodeConfigImage(config, panel, context, out));
  EXPECT_EQ(out.mid(33, 9), QByteArray("Say .Hi.\0", 9));

  config.Services[0].ServiceName = QStringLiteral("Привет");
  ASSERT_TRUE(EncodeConfigImage(config, panel, context, out));
  EXPECT_EQ(out.mid(33, 7), QByteArray("......\0", 7));

  QByteArray quoted = out;
  quoted.replace(33, 6, Hex("22 41 ad a0 e9 22"));
  ASSERT_TRUE(DecodeConfigImage(quoted, context, config, panel));
  EXPECT_EQ(config.Services[0].ServiceName, QStringLiteral("'A-.\u00e9'"));
}

}  // namespace
}  // namespace ostrivane
