#include <gtest/gtest.h>

#include "RecordTestSupport.h"

namespace ostrivane {
namespace {

using test::ContextFor;
using test::Hex;

// LegacyLayout table, items 1 to 47.
const char* const kLegacyFixed =
    "52 45 46 00  01  01  02  90 3b 07 00  02  01  02  03  01  05  04  db 1a"  // 1-13
    "07  34 12  45 23  4e 45 54 00  01 00  ab"                                 // 14-19
    "03 02  02  21 03  05 00  54 56 00  64 00  65 00  66 00  28 23  01"        // 20-29
    "01  02  11  22  33  00  01"                                               // 30-36
    "32 33 39 2e 31 2e 31 2e 31 00  8c 13  44  55  02  4c 00"                  // 37-42
    "00 11 22 33 44 55  00"                                                    // 43-44
    "31 30 2e 30 2e 30 2e 32 00  32 35 35 2e 30 2e 30 2e 30 00"                // 45-46
    "31 30 2e 30 2e 30 2e 31 00";                                              // 47
// LegacyLayout table, tail items 48 to 56.
const char* const kLegacyTail = "00  01  00  45 00  54 00  01  02  66  20";

TEST(LegacyLayout, GoldenRecord_FillsEveryFieldAndReencodesIdentically) {
  const QByteArray record = Hex(kLegacyFixed) + Hex(kLegacyTail);
  const LayoutContext context = ContextFor(121);
  DeviceConfig config;
  PanelState panel;
  ASSERT_TRUE(DecodeConfigImage(record, context, config, panel));

  const ModulatorSettings& out = config.Modulators[0];
  const ServiceSettings& svc = config.Services[0];
  EXPECT_EQ(config.Reference, "REF");
  EXPECT_EQ(config.DefaultCountry, 1);
  EXPECT_EQ(config.CountryMirror, 1);
  EXPECT_EQ(out.Mode, 2);
  EXPECT_EQ(out.FrequencyKhz, 474000);
  EXPECT_EQ(out.Bandwidth, 2);
  EXPECT_EQ(out.TransmissionMode, 1);
  EXPECT_EQ(out.Constellation, 2);
  EXPECT_EQ(out.CodeRate, 3);
  EXPECT_EQ(out.GuardInterval, 1);
  EXPECT_EQ(out.AttenuationDb, 5);
  EXPECT_EQ(out.CableConstellation, 4);
  EXPECT_EQ(out.SymbolRateKsps, 6875);
  EXPECT_EQ(config.NetworkVersion, 7);
  EXPECT_EQ(config.NetworkId, 0x1234);
  EXPECT_EQ(config.OriginalNetworkId, 0x2345);
  EXPECT_EQ(config.NetworkName, "NET");
  EXPECT_EQ(out.TsId, 1);
  EXPECT_EQ(config.LegacyOpaque1, 0xAB);
  EXPECT_EQ(svc.ServiceId, 0x0203);
  EXPECT_EQ(config.LcnType, 2);
  EXPECT_EQ(svc.Lcn, 801);
  EXPECT_EQ(config.HdLcn, 5);
  EXPECT_EQ(svc.ServiceName, "TV");
  EXPECT_EQ(svc.PmtPid, 100);
  EXPECT_EQ(svc.VideoPid, 101);
  EXPECT_EQ(svc.AudioPid, 102);
  EXPECT_EQ(svc.VideoBitrateKbps, 9000);
  EXPECT_EQ(svc.AudioBitrate, 1);
  EXPECT_EQ(config.AudioInput, 1);
  EXPECT_EQ(config.VideoInput, 2);
  EXPECT_EQ(config.LegacyOpaque2, 0x11);
  EXPECT_EQ(config.LegacyOpaque3, 0x22);
  EXPECT_EQ(config.LegacyOpaque4, 0x33);
  EXPECT_EQ(config.StrictCbr, 0);
  EXPECT_EQ(config.StreamProtocol, 1);
  EXPECT_EQ(svc.DestAddress, "239.1.1.1");
  EXPECT_EQ(svc.DestPort, 5004);
  EXPECT_EQ(config.LegacyOpaque5, 0x44);
  EXPECT_EQ(config.LegacyOpaque6, 0x55);
  EXPECT_EQ(config.PcmVolume, 2);
  EXPECT_EQ(config.LogoName, "L");
  EXPECT_EQ(config.MacAddress, (std::array<std::int32_t, 6>{0x00, 0x11, 0x22, 0x33, 0x44, 0x55}));
  EXPECT_EQ(config.Dhcp, 0);
  EXPECT_EQ(config.IpAddress, "10.0.0.2");
  EXPECT_EQ(config.SubnetMask, "255.0.0.0");
  EXPECT_EQ(config.Gateway, "10.0.0.1");
  EXPECT_EQ(config.HardwareType, 0);
  EXPECT_EQ(config.AllowVbr, 1);
  EXPECT_EQ(config.H264Profile, 0);
  EXPECT_EQ(svc.EitEventName, "E");
  EXPECT_EQ(svc.EitEventText, "T");
  EXPECT_EQ(svc.AudioCodec, 1);
  EXPECT_EQ(config.VideoCodec, 2);
  EXPECT_EQ(config.LegacyOpaque7, 0x66);
  EXPECT_EQ(config.Ttl, 32);
  EXPECT_EQ(config.ScheduleCount, 0);

  EXPECT_EQ(test::Reencode(config, panel, context), record);
}

TEST(LegacyLayout, RecordEndingAfterGateway_GivesTailFallbacks) {
  DeviceConfig config;
  config.Services[0].EitEventName = "old";
  config.Services[0].EitEventText = "old";
  config.LcnCountry = 9;
  PanelState panel;
  ASSERT_TRUE(DecodeConfigImage(Hex(kLegacyFixed), ContextFor(121), config, panel));
  EXPECT_EQ(config.HardwareType, 0);
  EXPECT_EQ(config.AllowVbr, 0);
  EXPECT_EQ(config.H264Profile, 1);
  EXPECT_TRUE(config.Services[0].EitEventName.isEmpty());
  EXPECT_TRUE(config.Services[0].EitEventText.isEmpty());
  EXPECT_EQ(config.Services[0].AudioCodec, 0);
  EXPECT_EQ(config.VideoCodec, 0);
  EXPECT_EQ(config.LegacyOpaque7, 1);
  EXPECT_EQ(config.Ttl, 64);
  EXPECT_EQ(config.LcnCountry, 9);  // not carried by this layout
}

TEST(LegacyLayout, TailCutAfterProfile_KeepsReadItemsAndDefaultsTheRest) {
  const QByteArray record = Hex(kLegacyFixed) + Hex("01  01  00");
  DeviceConfig config;
  PanelState panel;
  ASSERT_TRUE(DecodeConfigImage(record, ContextFor(121), config, panel));
  EXPECT_EQ(config.HardwareType, 1);
  EXPECT_EQ(config.AllowVbr, 1);
  EXPECT_EQ(config.H264Profile, 0);
  EXPECT_EQ(config.Ttl, 64);
}

TEST(LegacyLayout, EmptyTexts_EncodeToSixtySevenBytesPlusNineOfTail) {
  DeviceConfig config;  // every text empty, full hardware
  PanelState panel;
  QByteArray out;
  ASSERT_TRUE(EncodeConfigImage(config, panel, ContextFor(121), out));
  ASSERT_EQ(out.size(), 76);
  out.truncate(67);
  ASSERT_TRUE(DecodeConfigImage(out, ContextFor(121), config, panel));
  EXPECT_EQ(config.Ttl, 64);
}

TEST(LegacyLayout, LiteHardware_IsPreparedBeforeEncoding) {
  DeviceConfig config;  // texts empty, so the offsets below are fixed
  config.HardwareType = 1;
  config.Modulators[0].Mode = 0;
  config.Dhcp = 1;
  config.AudioInput = 1;
  config.VideoInput = 2;
  PanelState panel;
  QByteArray out;
  ASSERT_TRUE(EncodeConfigImage(config, panel, ContextFor(121), out));
  ASSERT_EQ(out.size(), 76);
  EXPECT_EQ(out[3], 1);   // Mode: IP is not offered on LITE hardware
  EXPECT_EQ(out[43], 0);  // AudioInput
  EXPECT_EQ(out[44], 0);  // VideoInput
  EXPECT_EQ(out[63], 0);  // Dhcp
  EXPECT_EQ(out[67], 1);  // HardwareType
  EXPECT_EQ(config.Modulators[0].Mode, 1);
  EXPECT_EQ(config.Dhcp, 0);
  EXPECT_EQ(config.AudioInput, 0);
  EXPECT_EQ(config.VideoInput, 0);

  config.HardwareType = 0;  // FULL hardware sends what the model holds
  config.Modulators[0].Mode = 0;
  config.Dhcp = 1;
  ASSERT_TRUE(EncodeConfigImage(config, panel, ContextFor(121), out));
  EXPECT_EQ(out[3], 0);
  EXPECT_EQ(out[63], 1);
}

}  // namespace
}  // namespace ostrivane
