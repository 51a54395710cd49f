#include <gtest/gtest.h>

#include "RecordTestSupport.h"

namespace ostrivane {
namespace {

using test::ContextFor;
using test::Hex;

// StandardLayout table, items 1 to 18 for one service, every text empty.
const char* const kMinimalStandard =
    "00  00  00  90 3b 07 00  02  01  02  00  00  00  00  00 00  00 00  00  00 00"
    "01 00  00  01 00  00  64 00  65 00  66 00  28 23  00  00  00  00"
    "00";
constexpr int kAttenuationOffset = 12;
constexpr int kLcnTypeOffset = 23;
constexpr int kAudioBitrateOffset = 35;

// The optional USB file group naming "v.ts", then the extensions up to the AIT group.
const char* const kUsbAndExtensions = "00  76 2e 74 73 00  00  00  00  00  00 00  00 00";
// The AIT group: enabled, version, PID 16, control, organisation, three empty texts.
const char* const kAitPid16 = "01  01  10 00  02  01 00 00 00  00  00  00";

TEST(ConfigCodec, RejectedRecords_LeaveModelAndPanelUntouched) {
  const LayoutContext context = ContextFor(131);
  DeviceConfig config;
  config.Reference = "before";
  config.UsbFileName = "kept.ts";
  PanelState panel;
  panel.MarkForSending();
  panel.UsbFileNameText = "field";
  const DeviceConfig before = config;

  const QByteArray minimal = Hex(kMinimalStandard);
  const QByteArray rejected[] = {
      QByteArray(),
      Hex("00 00 00"),
      minimal.chopped(1),            // LogoName missing
      minimal.chopped(5),            // cut inside the service block
      Hex("56 45 56 45") + minimal,  // multi-output header on a single-output type
      minimal + Hex(kUsbAndExtensions) + Hex("01 01 10"),     // cut inside the AIT group
      minimal + QByteArray(1024 - minimal.size() + 1, '\0'),  // longer than any buffer
  };
  for (const QByteArray& record : rejected) {
    EXPECT_FALSE(DecodeConfigImage(record, context, config, panel)) << record.toHex().constData();
    EXPECT_EQ(config, before);
    EXPECT_EQ(panel.SendCountdown, PanelState::kSendDelayTicks);
    EXPECT_EQ(panel.UpdatingGuard, 0);
    EXPECT_EQ(panel.UsbFileNameText, "field");
  }

  ASSERT_TRUE(
      DecodeConfigImage(minimal + QByteArray(1024 - minimal.size(), '\0'), context, config, panel));
  EXPECT_EQ(panel.SendCountdown, 0);
  EXPECT_EQ(panel.UpdatingGuard, 0);
  EXPECT_EQ(panel.UsbFileNameText, "");  // the USB file group of zeros names an empty file
}

TEST(ConfigCodec, Decode_NormalisesSlotZeroAndLcnType) {
  QByteArray record = Hex(kMinimalStandard);
  record[kAttenuationOffset] = static_cast<char>(200);
  record[kLcnTypeOffset] = 7;
  record[kAudioBitrateOffset] = 9;
  DeviceConfig config;
  PanelState panel;
  ASSERT_TRUE(DecodeConfigImage(record, ContextFor(131), config, panel));
  EXPECT_EQ(config.Modulators[0].AttenuationDb, 29);
  EXPECT_EQ(config.LcnType, 0);
  EXPECT_EQ(config.Services[0].AudioBitrate, 3);

  record[kAttenuationOffset] = 29;
  record[kLcnTypeOffset] = 3;
  record[kAudioBitrateOffset] = 3;
  ASSERT_TRUE(DecodeConfigImage(record, ContextFor(131), config, panel));
  EXPECT_EQ(config.Modulators[0].AttenuationDb, 29);
  EXPECT_EQ(config.LcnType, 3);
}

TEST(ConfigCodec, ApplicationPidBelow32_BecomesFiftyPlusSlot) {
  const QByteArray record = Hex(kMinimalStandard) + Hex(kUsbAndExtensions) + Hex(kAitPid16);
  DeviceConfig config;
  PanelState panel;
  ASSERT_TRUE(DecodeConfigImage(record, ContextFor(131), config, panel));
  const ServiceSettings& service = config.Services[0];
  EXPECT_EQ(service.AitPid, 50);
  // An empty root URL gets the whole test application, replacing the carried control code.
  EXPECT_EQ(service.AitControlCode, 1);
  EXPECT_EQ(service.AitOrganisationId, 112);
  EXPECT_EQ(service.AitRootUrl, "http://itv.mit-xperts.com/");
  EXPECT_EQ(service.AitEnabled, 1);
  EXPECT_EQ(config.UsbFileName, "v.ts");
}

TEST(ConfigCodec, UnterminatedText_RunsToTheEndOfTheRecord) {
  QByteArray record = Hex(kMinimalStandard).chopped(1) + QByteArray("logo");
  DeviceConfig config;
  PanelState panel;
  ASSERT_TRUE(DecodeConfigImage(record, ContextFor(131), config, panel));
  EXPECT_EQ(config.LogoName, "logo");
  EXPECT_EQ(config.UsbFileName, "NoName");
}

TEST(ConfigCodec, ScheduleCountAboveTen_KeepsTenEntriesAndReadsPastTheRest) {
  QByteArray record = Hex(kMinimalStandard) + Hex("00  00  00") + QByteArray(1, 12);
  for (char i = 0; i < 12; ++i) {  // schedule table: dates, minutes, mask, action, name "i"
    record += Hex("00 00 00 00") + QByteArray(1, i) + Hex("00  00 00 00 00  00 00  7f  00");
    record += QByteArray(1, static_cast<char>('a' + i)) + Hex("00");
  }
  record += Hex("02");  // IrCarrier
  const LayoutContext context = ContextFor(131);
  DeviceConfig config;
  PanelState panel;
  ASSERT_TRUE(DecodeConfigImage(record, context, config, panel));
  EXPECT_EQ(config.ScheduleCount, 10);
  EXPECT_EQ(config.Schedule[9].StartMinute, 9);
  EXPECT_EQ(config.Schedule[9].FileName, "j");
  EXPECT_EQ(config.IrCarrier, 2);

  QByteArray out;
  ASSERT_TRUE(EncodeConfigImage(config, panel, context, out));
  const qsizetype countOffset = Hex(kMinimalStandard).size() + 6;  // after 00 ".ts" 00
  EXPECT_EQ(out[countOffset], 10);
  config.ScheduleCount = 99;  // a count from elsewhere never walks past the ten slots
  ASSERT_TRUE(EncodeConfigImage(config, panel, context, out));
  EXPECT_EQ(out[countOffset], 10);
}

TEST(ConfigCodec, Encode_ClampsSlotZeroAsUnsignedWithInclusiveLimits) {
  DeviceConfig config;
  PanelState panel;
  QByteArray out;
  config.Modulators[0].FrequencyKhz = 46000;
  config.Modulators[0].SymbolRateKsps = 6961;
  config.Services[0].VideoBitrateKbps = 15000;
  ASSERT_TRUE(EncodeConfigImage(config, panel, ContextFor(131), out));
  EXPECT_EQ(out.mid(3, 4), Hex("90 3b 07 00"));
  EXPECT_EQ(config.Modulators[0].FrequencyKhz, 474000);
  EXPECT_EQ(config.Modulators[0].SymbolRateKsps, 6875);
  EXPECT_EQ(config.Services[0].VideoBitrateKbps, 15000);

  config.Modulators[0].FrequencyKhz = 1150001;
  config.Modulators[0].SymbolRateKsps = -1;  // huge when taken as unsigned
  config.Services[0].VideoBitrateKbps = 499;
  ASSERT_TRUE(EncodeConfigImage(config, panel, ContextFor(156), out));
  EXPECT_EQ(out.mid(3, 4), Hex("00 a6 0e 00"));
  EXPECT_EQ(config.Modulators[0].SymbolRateKsps, 22000);
  EXPECT_EQ(config.Services[0].VideoBitrateKbps, 9000);
  config.Modulators[0].FrequencyKhz = 1150000;
  ASSERT_TRUE(EncodeConfigImage(config, panel, ContextFor(156), out));
  EXPECT_EQ(config.Modulators[0].FrequencyKhz, 1150000);
}

TEST(ConfigCodec, UsbFileField_IsCutAtFirstFullStopAndTo28Characters) {
  EXPECT_EQ(NormaliseUsbFileName("Concert 2023.avi"), "Concert 2023.ts");
  EXPECT_EQ(NormaliseUsbFileName("Match.final.ts"), "Match.ts");
  EXPECT_EQ(NormaliseUsbFileName(""), ".ts");
  EXPECT_EQ(NormaliseUsbFileName(".hidden"), ".ts");
  EXPECT_EQ(NormaliseUsbFileName(QString(40, u'x')), QString(28, u'x') + ".ts");
  EXPECT_EQ(NormaliseUsbFileName(QString(30, u'y') + ".mp4"), QString(28, u'y') + ".ts");

  DeviceConfig config;
  config.UsbFileName = "model.ts";
  PanelState panel;
  panel.UsbFileNameText = "Field name.mpg";
  QByteArray out;
  ASSERT_TRUE(EncodeConfigImage(config, panel, ContextFor(128), out));
  EXPECT_EQ(config.UsbFileName, "Field name.ts");
  EXPECT_TRUE(out.endsWith(QByteArray("Field name.ts\0", 14) + Hex("00")));
}

TEST(ConfigCodec, FactoryDefaultRequest_SendsTheLogoField) {
  DeviceConfig config;
  config.LogoName = "old.dg1";
  PanelState panel;
  panel.LogoFieldText = "new.dg1";
  QByteArray out;
  ASSERT_TRUE(EncodeConfigImage(config, panel, ContextFor(128), out));
  EXPECT_EQ(config.LogoName, "old.dg1");
  panel.FactoryDefaultRequest = 1;
  ASSERT_TRUE(EncodeConfigImage(config, panel, ContextFor(128), out));
  EXPECT_EQ(config.LogoName, "new.dg1");
  EXPECT_TRUE(out.contains(QByteArray("new.dg1\0", 8)));
}

TEST(ConfigCodec, RecordOverLimit_IsRefusedButPreparationStays) {
  DeviceConfig config;
  config.Services[0].EitEventText = QString(1000, u'e');
  config.Modulators[0].FrequencyKhz = 1;
  PanelState panel;
  QByteArray out = "stale";
  EXPECT_FALSE(EncodeConfigImage(config, panel, ContextFor(131), out));
  EXPECT_TRUE(out.isEmpty());
  EXPECT_EQ(config.Modulators[0].FrequencyKhz, 474000);
  EXPECT_EQ(config.UsbFileName, ".ts");

  config.Services[0].EitEventText = QString(900, u'e');
  EXPECT_TRUE(EncodeConfigImage(config, panel, ContextFor(131), out));
  EXPECT_LE(out.size(), 1024);
}

TEST(ConfigCodec, RecordShape_FollowsTheTypeCode) {
  EXPECT_EQ(LayoutFor(121), RecordLayout::LegacyLayout);
  EXPECT_EQ(LayoutFor(192), RecordLayout::FourKLayout);
  EXPECT_EQ(LayoutFor(176), RecordLayout::MultiLayout);
  EXPECT_EQ(LayoutFor(178), RecordLayout::MultiLayout);
  EXPECT_EQ(LayoutFor(128), RecordLayout::StandardLayout);
  EXPECT_EQ(LayoutFor(177), RecordLayout::StandardLayout);
  const auto counts = [](std::uint8_t type) {
    const RecordShape shape = RecordShape::ForType(type);
    return std::pair{shape.ServiceCount, shape.ModulatorCount};
  };
  EXPECT_EQ(counts(176), (std::pair{4, 2}));
  EXPECT_EQ(counts(178), (std::pair{2, 1}));
  EXPECT_EQ(counts(142), (std::pair{2, 1}));
  EXPECT_EQ(counts(154), (std::pair{2, 1}));
  EXPECT_EQ(counts(157), (std::pair{2, 1}));
  EXPECT_EQ(counts(155), (std::pair{1, 1}));
  const RecordShape satellite = RecordShape::ForType(156);
  EXPECT_EQ(satellite.FrequencyLimits.minimum, 950000u);
  EXPECT_EQ(satellite.SymbolRateLimits.fallback, 22000u);
  EXPECT_EQ(RecordShape::ForType(131).FrequencyLimits.fallback, 474000u);
}

}  // namespace
}  // namespace ostrivane
