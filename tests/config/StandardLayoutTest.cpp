#include <gtest/gtest.h>

#include "RecordTestSupport.h"

namespace ostrivane {
namespace {

using test::ContextFor;
using test::Hex;

// StandardLayout table, items 1 to 15 (item 16 only with several services).
const char* const kStandardHead =
    "52 00  03  03  90 3b 07 00  02  01  02  02  00  06  04  34 12  45 23  4e 57 00  33 00";
// Standard service block for a single service (with LcnType).
const char* const kSingleService =
    "56 04  01  21 03  43 68 61 6e 00  64 00  65 00  66 00  28 23  01  01  45 76 00  54 78 00";
// Item 18, LogoName.
const char* const kLogo = "6c 6f 67 6f 2e 64 67 31 00";
// Optional USB file group: UsbOpaque, UsbFileName, CapabilityPlayRecord.
const char* const kUsbFileGroup = "02  72 65 63 2e 74 73 00  01";
// Optional extensions for a single-service type other than 142, 154, 157: empty schedule,
// IrCarrier, LcnCountry, GainPercent, AudioDelayMs -250, the eight AIT items, FourKMode, Hdcp,
// DVB-C group.
const char* const kEmptySchedule = "00";
const char* const kExtensionsAfterSchedule =
    "01  04  50 00  fa 80"
    "01  07  00 02  02  78 56 34 12  68 74 74 70 3a 2f 2f 61 2f 00  70 00  6e 00"
    "01  01  01  03  f4 1a";

QByteArray Fixed131() {
  return Hex(kStandardHead) + Hex(kSingleService) + Hex(kLogo);
}
QByteArray Full131() {
  return Fixed131() + Hex(kUsbFileGroup) + Hex(kEmptySchedule) + Hex(kExtensionsAfterSchedule);
}

TEST(StandardLayout, GoldenRecord131_FillsEveryFieldAndReencodesIdentically) {
  const LayoutContext context = ContextFor(131);
  DeviceConfig config;
  config.HdLcn = 9;
  PanelState panel;
  ASSERT_TRUE(DecodeConfigImage(Full131(), context, config, panel));

  const ModulatorSettings& out = config.Modulators[0];
  const ServiceSettings& svc = config.Services[0];
  EXPECT_EQ(config.Reference, "R");
  EXPECT_EQ(config.DefaultCountry, 3);
  EXPECT_EQ(config.CountryMirror, 3);
  EXPECT_EQ(out.FrequencyKhz, 474000);
  EXPECT_EQ(out.Bandwidth, 2);
  EXPECT_EQ(out.TransmissionMode, 1);
  EXPECT_EQ(out.Constellation, 2);
  EXPECT_EQ(out.CodeRate, 2);
  EXPECT_EQ(out.GuardInterval, 0);
  EXPECT_EQ(out.AttenuationDb, 6);
  EXPECT_EQ(config.NetworkVersion, 4);
  EXPECT_EQ(config.NetworkId, 0x1234);
  EXPECT_EQ(config.OriginalNetworkId, 0x2345);
  EXPECT_EQ(config.NetworkName, "NW");
  EXPECT_EQ(out.TsId, 0x33);
  EXPECT_EQ(config.LegacyOpaque1, 1);
  EXPECT_EQ(svc.ServiceId, 0x0456);
  EXPECT_EQ(config.LcnType, 1);
  EXPECT_EQ(svc.Lcn, 801);
  EXPECT_EQ(config.HdLcn, 0);
  EXPECT_EQ(svc.ServiceName, "Chan");
  EXPECT_EQ(svc.PmtPid, 100);
  EXPECT_EQ(svc.VideoPid, 101);
  EXPECT_EQ(svc.AudioPid, 102);
  EXPECT_EQ(svc.VideoBitrateKbps, 9000);
  EXPECT_EQ(svc.AudioBitrate, 1);
  EXPECT_EQ(svc.AudioCodec, 1);
  EXPECT_EQ(svc.EitEventName, "Ev");
  EXPECT_EQ(svc.EitEventText, "Tx");
  EXPECT_EQ(config.LogoName, "logo.dg1");
  EXPECT_EQ(config.UsbOpaque, 2);
  EXPECT_EQ(config.UsbFileName, "rec.ts");
  EXPECT_EQ(config.CapabilityPlayRecord, 1);
  EXPECT_EQ(config.ScheduleCount, 0);
  EXPECT_EQ(config.IrCarrier, 1);
  EXPECT_EQ(config.LcnCountry, 4);
  EXPECT_EQ(svc.GainPercent, 80);
  EXPECT_EQ(svc.AudioDelayMs, -250);
  EXPECT_EQ(svc.AitEnabled, 1);
  EXPECT_EQ(svc.AitVersion, 7);
  EXPECT_EQ(svc.AitPid, 0x200);
  EXPECT_EQ(svc.AitControlCode, 2);
  EXPECT_EQ(svc.AitOrganisationId, 0x12345678);
  EXPECT_EQ(svc.AitRootUrl, "http://a/");  // carried, so the test host defaults stay away
  EXPECT_EQ(svc.AitPath, "p");
  EXPECT_EQ(svc.AitAppName, "n");
  EXPECT_EQ(config.FourKMode, 1);
  EXPECT_EQ(config.Hdcp, 1);
  EXPECT_EQ(out.Mode, 2);
  EXPECT_EQ(out.CableConstellation, 3);
  EXPECT_EQ(out.SymbolRateKsps, 6900);
  EXPECT_EQ(config.CapabilityInfrared, 1);  // type default, no byte for 131
  EXPECT_EQ(config.Capability4K, 0);

  EXPECT_EQ(test::Reencode(config, panel, context), Full131());
}

TEST(StandardLayout, TwoServiceType142_CarriesDelaysWithoutApplicationData) {
  // Items 1 to 15, item 16 LcnType, two service blocks without LcnType, LogoName "".
  const QByteArray record =
      Hex(kStandardHead) + Hex("02") +
      Hex("01 00  01 00  41 00  64 00  65 00  66 00  28 23  00  00  00  00") +
      Hex("02 00  02 00  42 00  c8 00  c9 00  ca 00  28 23  00  00  00  00") + Hex("00") +
      Hex(kUsbFileGroup) +
      // schedule, IrCarrier, LcnCountry, two gains, two sm16 delays, DVB-C group, Hdcp
      Hex("00  02  01  0a 00  14 00  05 00  05 80  00  00  70 17  01");
  const LayoutContext context = ContextFor(142);
  DeviceConfig config;
  config.FourKMode = 1;
  PanelState panel;
  ASSERT_TRUE(DecodeConfigImage(record, context, config, panel));
  EXPECT_EQ(config.LcnType, 2);
  EXPECT_EQ(config.Services[1].ServiceName, "B");
  EXPECT_EQ(config.Services[1].PmtPid, 200);
  EXPECT_EQ(config.Services[0].GainPercent, 10);
  EXPECT_EQ(config.Services[1].GainPercent, 20);
  EXPECT_EQ(config.Services[0].AudioDelayMs, 5);
  EXPECT_EQ(config.Services[1].AudioDelayMs, -5);
  EXPECT_EQ(config.Modulators[0].Mode, 1);
  EXPECT_EQ(config.Modulators[0].SymbolRateKsps, 6000);
  EXPECT_EQ(config.Hdcp, 1);
  EXPECT_EQ(config.FourKMode, 1);  // not carried by this type
  EXPECT_EQ(config.Services[1].AitPid, 203);
  EXPECT_EQ(config.Services[1].AitRootUrl, "http://itv.mit-xperts.com/");
  EXPECT_EQ(config.Services[1].AitPath, "staging/catalogue/index.php");
  EXPECT_EQ(config.Services[1].AitAppName, "HbbTV Test");

  EXPECT_EQ(test::Reencode(config, panel, context), record);
}

TEST(StandardLayout, Type158_ShiftsLcnCountryAndReadsCapabilitiesByVersion) {
  const QByteArray extensions =
      Hex(kEmptySchedule) + Hex("01  00") + Hex(kExtensionsAfterSchedule).mid(2);
  const QByteArray record = Fixed131() + Hex(kUsbFileGroup) + extensions + Hex("00  01");
  DeviceConfig config;
  PanelState panel;
  ASSERT_TRUE(DecodeConfigImage(record, ContextFor(158, 15), config, panel));
  EXPECT_EQ(config.LcnCountry, 27);
  EXPECT_EQ(config.CapabilityInfrared, 0);
  EXPECT_EQ(config.Capability4K, 1);
  EXPECT_EQ(test::Reencode(config, panel, ContextFor(158, 15)), record);

  ASSERT_TRUE(
      DecodeConfigImage(record.left(record.size() - 1), ContextFor(158, 14), config, panel));
  EXPECT_EQ(config.CapabilityInfrared, 0);
  EXPECT_EQ(config.Capability4K, 0);  // type default; version 14 has no 4K byte

  QByteArray country229 = record;
  country229[Fixed131().size() + Hex(kUsbFileGroup).size() + 2] = static_cast<char>(229);
  ASSERT_TRUE(DecodeConfigImage(country229, ContextFor(158, 13), config, panel));
  EXPECT_EQ(config.LcnCountry, 0);
  EXPECT_EQ(config.CapabilityInfrared, 1);  // version 13 carries neither capability

  config.LcnCountry = 0;
  QByteArray out = test::Reencode(config, panel, ContextFor(159, 13));
  EXPECT_EQ(static_cast<std::uint8_t>(out[Fixed131().size() + Hex(kUsbFileGroup).size() + 2]), 229);
}

TEST(StandardLayout, CapabilityBytesMissing_KeepTypeDefaults) {
  const QByteArray record = Full131();  // ends with the DVB-C group
  DeviceConfig config;
  PanelState panel;
  ASSERT_TRUE(DecodeConfigImage(record, ContextFor(158, 15), config, panel));
  EXPECT_EQ(config.CapabilityInfrared, 1);
  EXPECT_EQ(config.Capability4K, 0);
}

TEST(StandardLayout, RecordEndingAfterLogo_KeepsExtensionFields) {
  DeviceConfig config;
  config.IrCarrier = 2;
  config.LcnCountry = 5;
  config.Hdcp = 1;
  config.Modulators[0].Mode = 2;
  config.Modulators[0].CableConstellation = 4;
  config.Modulators[0].SymbolRateKsps = 5000;
  config.ScheduleCount = 4;
  PanelState panel;
  ASSERT_TRUE(DecodeConfigImage(Fixed131(), ContextFor(131), config, panel));
  EXPECT_EQ(config.UsbFileName, "NoName");
  EXPECT_EQ(panel.UsbFileNameText, "NoName");
  EXPECT_EQ(config.CapabilityPlayRecord, 0);
  EXPECT_EQ(config.ScheduleCount, 0);
  EXPECT_EQ(config.Modulators[0].Mode, 1);
  EXPECT_EQ(config.IrCarrier, 2);
  EXPECT_EQ(config.LcnCountry, 5);
  EXPECT_EQ(config.Hdcp, 1);
  EXPECT_EQ(config.Modulators[0].CableConstellation, 4);
  EXPECT_EQ(config.Modulators[0].SymbolRateKsps, 5000);
}

TEST(StandardLayout, RecordEndingAfterSchedule_GivesGuardedFallbacks) {
  const QByteArray record = Fixed131() + Hex(kUsbFileGroup) + Hex(kEmptySchedule);
  for (const int type : {131, 158}) {
    DeviceConfig config;
    config.IrCarrier = 2;
    config.LcnCountry = 5;
    config.FourKMode = 1;
    config.Hdcp = 1;
    config.Services[0].GainPercent = 50;
    config.Services[0].AitVersion = 9;
    config.Modulators[0].CableConstellation = 4;
    PanelState panel;
    ASSERT_TRUE(
        DecodeConfigImage(record, ContextFor(static_cast<std::uint8_t>(type), 13), config, panel));
    EXPECT_EQ(config.IrCarrier, 0);
    EXPECT_EQ(config.LcnCountry, 0) << "no shift for an absent byte";
    EXPECT_EQ(config.Services[0].GainPercent, 0);
    EXPECT_EQ(config.Services[0].AudioDelayMs, 0);
    EXPECT_EQ(config.Services[0].AitVersion, 9);
    EXPECT_EQ(config.FourKMode, 0);
    EXPECT_EQ(config.Hdcp, 0);
    EXPECT_EQ(config.Modulators[0].Mode, 1);
    EXPECT_EQ(config.Modulators[0].CableConstellation, 0);
    EXPECT_EQ(config.Modulators[0].SymbolRateKsps, 6875);
  }
}

TEST(StandardLayout, Type128_CarriesUsbFileGroupOnlyWithCapabilityPlayRecord) {
  const LayoutContext context = ContextFor(128);
  DeviceConfig config;
  config.ScheduleCount = 2;
  PanelState panel;
  // Bytes after the USB file group mean nothing for this type.
  ASSERT_TRUE(
      DecodeConfigImage(Fixed131() + Hex(kUsbFileGroup) + Hex("05 05"), context, config, panel));
  EXPECT_EQ(config.CapabilityPlayRecord, 1);
  EXPECT_EQ(config.ScheduleCount, 0);
  EXPECT_EQ(test::Reencode(config, panel, context), Fixed131() + Hex(kUsbFileGroup));

  const QByteArray withoutCapability = Fixed131() + Hex(kUsbFileGroup).chopped(1);
  ASSERT_TRUE(DecodeConfigImage(withoutCapability, context, config, panel));
  EXPECT_EQ(config.CapabilityPlayRecord, 0);
  EXPECT_EQ(config.UsbFileName, "rec.ts");
}

TEST(StandardLayout, Type156_IsAlwaysSatelliteAfterDecoding) {
  DeviceConfig config;
  PanelState panel;
  ASSERT_TRUE(DecodeConfigImage(Full131(), ContextFor(156), config, panel));
  EXPECT_EQ(config.Modulators[0].Mode, 3);
  const QByteArray out = test::Reencode(config, panel, ContextFor(156));
  EXPECT_EQ(out.right(4), Hex("00  03  f4 1a"));  // the DVB-C flag is clear for DVB-S
}

}  // namespace
}  // namespace ostrivane
