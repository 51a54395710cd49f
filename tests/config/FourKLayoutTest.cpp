#include <gtest/gtest.h>

#include "RecordTestSupport.h"

namespace ostrivane {
namespace {

using test::ContextFor;
using test::Hex;

// FourKLayout table, items 1 to 34.
const char* const kFourKFixed =
    "03  34 4b 00  02  01  45 23  34 12  4e 00  09  77  01"      // 1-10
    "01  90 3b 07 00  02  01  02  01  03  02  db 1a  04  07 00"  // 11-21
    "53 00  02 01  05 00  00 01  01 01  02 01  02  01  e0 2e"    // 22-30
    "0a 0b 0c 0d 0e 0f  31 2e 32 2e 33 2e 34 00  00  00";        // 31-34
// Block A: UsbOpaque, UsbFileName, schedule block (one entry, see the schedule table).
const char* const kFourKBlockA =
    "05  63 6c 69 70 2e 74 73 00"
    "01  0f 03 e8 07  58 02  1f 03 e8 07  94 02  1f  01  61 00";
// Block B: AudioDelayMs (plain), StreamProtocol, DestAddress, DestPort.
const char* const kFourKBlockB = "64 80  03  32 33 39 2e 30 2e 30 2e 31 00  d2 04";
// Block C: OverlayFile, OverlayPosition, OverlayX, OverlayY.
const char* const kFourKBlockC = "6c 6f 67 6f 2e 62 6d 70 00  05  64 00  e8 03";

QByteArray FullRecord() {
  return Hex(kFourKFixed) + Hex(kFourKBlockA) + Hex(kFourKBlockB) + Hex(kFourKBlockC);
}

TEST(FourKLayout, GoldenRecord_FillsEveryFieldAndReencodesIdentically) {
  const LayoutContext context = ContextFor(192);
  DeviceConfig config;
  config.Dhcp = 1;
  PanelState panel;
  ASSERT_TRUE(DecodeConfigImage(FullRecord(), context, config, panel));

  const ModulatorSettings& out = config.Modulators[0];
  const ServiceSettings& svc = config.Services[0];
  EXPECT_EQ(config.LcnCountry, 3);
  EXPECT_EQ(config.Reference, "4K");
  EXPECT_EQ(config.DefaultCountry, 2);
  EXPECT_EQ(config.LcnType, 1);
  EXPECT_EQ(config.OriginalNetworkId, 0x2345);
  EXPECT_EQ(config.NetworkId, 0x1234);
  EXPECT_EQ(config.NetworkName, "N");
  EXPECT_EQ(config.NetworkVersion, 9);
  EXPECT_EQ(config.FourKOpaque1, 0x77);
  EXPECT_EQ(config.FourKMode, 1);
  EXPECT_EQ(out.Mode, 2);
  EXPECT_EQ(out.FrequencyKhz, 474000);
  EXPECT_EQ(out.Bandwidth, 2);
  EXPECT_EQ(out.TransmissionMode, 1);
  EXPECT_EQ(out.Constellation, 2);
  EXPECT_EQ(out.CodeRate, 1);
  EXPECT_EQ(out.GuardInterval, 3);
  EXPECT_EQ(out.CableConstellation, 2);
  EXPECT_EQ(out.SymbolRateKsps, 6875);
  EXPECT_EQ(out.AttenuationDb, 4);
  EXPECT_EQ(out.TsId, 7);
  EXPECT_EQ(svc.ServiceName, "S");
  EXPECT_EQ(svc.ServiceId, 0x0102);
  EXPECT_EQ(svc.Lcn, 5);
  EXPECT_EQ(svc.PmtPid, 0x100);
  EXPECT_EQ(svc.VideoPid, 0x101);
  EXPECT_EQ(svc.AudioPid, 0x102);
  EXPECT_EQ(svc.AudioBitrate, 2);
  EXPECT_EQ(config.VideoCodec, 1);
  EXPECT_EQ(svc.VideoBitrateKbps, 12000);
  EXPECT_EQ(config.MacAddress, (std::array<std::int32_t, 6>{10, 11, 12, 13, 14, 15}));
  EXPECT_EQ(config.Dhcp, 0);
  EXPECT_EQ(config.IpAddress, "1.2.3.4");
  EXPECT_EQ(config.SubnetMask, "");
  EXPECT_EQ(config.Gateway, "");
  EXPECT_EQ(config.UsbOpaque, 5);
  EXPECT_EQ(config.UsbFileName, "clip.ts");
  ASSERT_EQ(config.ScheduleCount, 1);
  const ScheduleEntry& entry = config.Schedule[0];
  EXPECT_EQ(entry.StartDate, (2024 << 16) | (3 << 8) | 15);
  EXPECT_EQ(entry.StartMinute, 600);
  EXPECT_EQ(entry.StopDate, (2024 << 16) | (3 << 8) | 31);
  EXPECT_EQ(entry.StopMinute, 660);
  EXPECT_EQ(entry.WeekdayMask, 0x1f);
  EXPECT_EQ(entry.Action, 1);
  EXPECT_EQ(entry.FileName, "a");
  EXPECT_EQ(svc.AudioDelayMs, 32868);  // no sign bit on this layout
  EXPECT_EQ(config.StreamProtocol, 3);
  EXPECT_EQ(svc.DestAddress, "239.0.0.1");
  EXPECT_EQ(svc.DestPort, 1234);
  EXPECT_EQ(config.OverlayFile, "logo.bmp");
  EXPECT_EQ(config.OverlayPosition, 5);
  EXPECT_EQ(config.OverlayX, 100);
  EXPECT_EQ(config.OverlayY, 1000);
  EXPECT_EQ(panel.OverlayFileText, "logo.bmp");
  EXPECT_EQ(panel.UsbFileNameText, "clip.ts");
  EXPECT_EQ(svc.AitRootUrl, "http://itv.mit-xperts.com/");
  EXPECT_EQ(svc.AitOrganisationId, 112);
  EXPECT_EQ(svc.AitControlCode, 1);

  EXPECT_EQ(test::Reencode(config, panel, context), FullRecord());
}

TEST(FourKLayout, AbsentBlocks_KeepTheirDecodeDefaults) {
  DeviceConfig config;
  config.OverlayFile = "old.bmp";
  config.ScheduleCount = 3;
  PanelState panel;
  ASSERT_TRUE(DecodeConfigImage(Hex(kFourKFixed), ContextFor(192), config, panel));
  EXPECT_EQ(config.UsbFileName, "NoName");
  EXPECT_EQ(config.ScheduleCount, 0);
  EXPECT_EQ(config.Services[0].AudioDelayMs, 0);
  EXPECT_EQ(config.Services[0].DestAddress, "239.192.1.0");
  EXPECT_EQ(config.Services[0].DestPort, 5004);
  EXPECT_EQ(config.OverlayFile, "");
  EXPECT_EQ(panel.OverlayFileText, "");

  // Block A alone: B and C stay at their defaults.
  ASSERT_TRUE(
      DecodeConfigImage(Hex(kFourKFixed) + Hex(kFourKBlockA), ContextFor(192), config, panel));
  EXPECT_EQ(config.ScheduleCount, 1);
  EXPECT_EQ(config.StreamProtocol, 0);
  EXPECT_EQ(config.OverlayPosition, 0);
}

TEST(FourKLayout, BlockCutShort_IsRejected) {
  DeviceConfig config;
  config.Reference = "kept";
  PanelState panel;
  const QByteArray cut = Hex(kFourKFixed) + Hex(kFourKBlockA) + Hex("64 80  03");
  EXPECT_FALSE(DecodeConfigImage(cut, ContextFor(192), config, panel));
  EXPECT_EQ(config.Reference, "kept");
}

TEST(FourKLayout, ModeOtherThanDvbt_IsSentAsCableAndDhcpIsNotCarried) {
  DeviceConfig config;
  PanelState panel;
  const LayoutContext context = ContextFor(192);
  ASSERT_TRUE(DecodeConfigImage(FullRecord(), context, config, panel));
  const int flagOffset = 15;  // item 11, after the texts "4K" and "N" of items 2 and 7
  for (const std::int32_t mode : {0, 1, 2, 3}) {
    config.Modulators[0].Mode = mode;
    config.Dhcp = 1;
    const QByteArray out = test::Reencode(config, panel, context);
    EXPECT_EQ(out[flagOffset], mode == 1 ? 0 : 1) << "mode " << mode;
    EXPECT_EQ(config.Dhcp, 0);
  }
}

TEST(FourKLayout, CapabilityPlayRecord_DefaultsByFirmwareVersion) {
  DeviceConfig config;
  PanelState panel;
  ASSERT_TRUE(DecodeConfigImage(Hex(kFourKFixed), ContextFor(192, 14), config, panel));
  EXPECT_EQ(config.CapabilityPlayRecord, 0);
  EXPECT_EQ(config.Capability4K, 1);
  ASSERT_TRUE(DecodeConfigImage(Hex(kFourKFixed), ContextFor(192, 15), config, panel));
  EXPECT_EQ(config.CapabilityPlayRecord, 1);
}

}  // namespace
}  // namespace ostrivane
