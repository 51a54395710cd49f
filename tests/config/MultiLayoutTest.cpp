#include <gtest/gtest.h>

#include "RecordTestSupport.h"

namespace ostrivane {
namespace {

using test::ContextFor;
using test::Hex;

// MultiLayout header and items 1 to 5 (type 178).
const char* const kMultiHead178 = "56 45 56 45 b2  4d 00  01  05  4e 4e 00  03";
// Modulator block: DVB-C flag, 8000 kHz, 474000 kHz, att 3, QAM64, 1/16, 7/8, QAM256,
// 6875000 S/s, 8K, TS id 16.
const char* const kModulatorBlock =
    "00  40 1f  90 3b 07 00  03  02  01  04  04  78 e7 68 00  01  10 00";
// Service blocks: the second one carries MPEG1-L2 (codec byte 0) at 320000 b/s.
const char* const kServiceBlock0 =
    "01 01  01 00  41 00  64 00  65 00  66 00  28 23 00 00  01  00 ee 02 00";
const char* const kServiceBlock1 =
    "02 02  02 00  42 00  c8 00  c9 00  ca 00  40 1f 00 00  00  00 e2 04 00";
// Items 8 to 22.
const char* const kMultiSystem =
    "01  01  09  78 2e 74 73 00  00  6f 31 00  00  00  6f 33 00"
    "31 2e 31 2e 31 2e 31 00  32 35 35 2e 30 2e 30 2e 30 00  31 2e 31 2e 31 2e 32 00"
    "00  aa  bb";
// Item 23: one destination per service.
const char* const kDestinations =
    "32 33 39 2e 31 2e 31 2e 31 00  8c 13  32 33 39 2e 31 2e 31 2e 32 00  8d 13";

QByteArray Record178() {
  return Hex(kMultiHead178) + Hex(kModulatorBlock) + Hex(kServiceBlock0) + Hex(kServiceBlock1) +
         Hex(kMultiSystem) + Hex(kDestinations);
}

TEST(MultiLayout, GoldenRecord178_FillsEveryFieldAndReencodesIdentically) {
  const LayoutContext context = ContextFor(178);
  DeviceConfig config;
  PanelState panel;
  ASSERT_TRUE(DecodeConfigImage(Record178(), context, config, panel));

  EXPECT_EQ(config.Reference, "M");
  EXPECT_EQ(config.DefaultCountry, 1);
  EXPECT_EQ(config.LcnCountry, 5);
  EXPECT_EQ(config.NetworkName, "NN");
  EXPECT_EQ(config.NetworkVersion, 3);
  const ModulatorSettings& out = config.Modulators[0];
  EXPECT_EQ(out.Mode, 1);
  EXPECT_EQ(out.Bandwidth, 2);
  EXPECT_EQ(out.FrequencyKhz, 474000);
  EXPECT_EQ(out.AttenuationDb, 3);
  EXPECT_EQ(out.Constellation, 2);
  EXPECT_EQ(out.GuardInterval, 1);
  EXPECT_EQ(out.CodeRate, 4);
  EXPECT_EQ(out.CableConstellation, 4);
  EXPECT_EQ(out.SymbolRateKsps, 6875);
  EXPECT_EQ(out.TransmissionMode, 1);
  EXPECT_EQ(out.TsId, 16);
  const ServiceSettings& s0 = config.Services[0];
  const ServiceSettings& s1 = config.Services[1];
  EXPECT_EQ(s0.ServiceId, 0x0101);
  EXPECT_EQ(s0.Lcn, 1);
  EXPECT_EQ(s0.ServiceName, "A");
  EXPECT_EQ(s0.PmtPid, 100);
  EXPECT_EQ(s0.VideoPid, 101);
  EXPECT_EQ(s0.AudioPid, 102);
  EXPECT_EQ(s0.VideoBitrateKbps, 9000);
  EXPECT_EQ(s0.AudioCodec, 0);
  EXPECT_EQ(s0.AudioBitrate, 1);
  EXPECT_EQ(s1.ServiceId, 0x0202);
  EXPECT_EQ(s1.ServiceName, "B");
  EXPECT_EQ(s1.PmtPid, 200);
  EXPECT_EQ(s1.VideoBitrateKbps, 8000);
  EXPECT_EQ(s1.AudioCodec, 1);
  EXPECT_EQ(s1.AudioBitrate, 3);
  EXPECT_EQ(config.Hdcp, 1);
  EXPECT_EQ(config.CapabilityPlayRecord, 1);
  EXPECT_EQ(config.UsbOpaque, 9);
  EXPECT_EQ(config.UsbFileName, "x.ts");
  EXPECT_EQ(config.ScheduleCount, 0);
  EXPECT_EQ(config.MultiOpaqueText1, "o1");
  EXPECT_EQ(config.MultiOpaqueText2, "");
  EXPECT_EQ(config.Dhcp, 0);
  EXPECT_EQ(config.MultiOpaqueText3, "o3");
  EXPECT_EQ(config.IpAddress, "1.1.1.1");
  EXPECT_EQ(config.SubnetMask, "255.0.0.0");
  EXPECT_EQ(config.Gateway, "1.1.1.2");
  EXPECT_EQ(config.MultiOpaqueText4, "");
  EXPECT_EQ(config.MultiOpaque1, 0xaa);
  EXPECT_EQ(config.MultiOpaque2, 0xbb);
  EXPECT_EQ(s0.DestAddress, "239.1.1.1");
  EXPECT_EQ(s0.DestPort, 5004);
  EXPECT_EQ(s1.DestAddress, "239.1.1.2");
  EXPECT_EQ(s1.DestPort, 5005);

  EXPECT_EQ(test::Reencode(config, panel, context), Record178());
}

TEST(MultiLayout, Type176_FillsTwoOutputsAndFourServices) {
  // Header of type 176, items 1 to 5, then two modulator and four service blocks.
  const QByteArray record = Hex("56 45 56 45 b0  00  00  00  00  00") + Hex(kModulatorBlock) +
                            Hex("01  e8 03  01 00 00 00  00 00 00 00 00  00 00 00 00  00  02 00") +
                            Hex(kServiceBlock0) + Hex(kServiceBlock1) + Hex(kServiceBlock0) +
                            Hex(kServiceBlock1) + Hex(kMultiSystem) + Hex(kDestinations) +
                            Hex(kDestinations);
  const LayoutContext context = ContextFor(176);
  DeviceConfig config;
  config.Modulators[2].TsId = 77;
  PanelState panel;
  ASSERT_TRUE(DecodeConfigImage(record, context, config, panel));
  EXPECT_EQ(config.Modulators[0].TsId, 16);
  EXPECT_EQ(config.Modulators[1].Mode, 2);
  EXPECT_EQ(config.Modulators[1].Bandwidth, -5);  // 1000 kHz is stored as it comes
  EXPECT_EQ(config.Modulators[1].FrequencyKhz, 1);
  EXPECT_EQ(config.Modulators[1].TsId, 2);
  EXPECT_EQ(config.Modulators[2].TsId, 77);
  EXPECT_EQ(config.Services[2].ServiceName, "A");
  EXPECT_EQ(config.Services[3].ServiceName, "B");
  EXPECT_EQ(config.Services[3].DestPort, 5005);
  for (const ServiceSettings& service : config.Services) {
    EXPECT_EQ(service.AitRootUrl, "http://itv.mit-xperts.com/");
  }

  // Slot 1 is out of the panel's limits but only slot 0 is clamped.
  const QByteArray again = test::Reencode(config, panel, context);
  EXPECT_EQ(config.Modulators[1].FrequencyKhz, 1);
  EXPECT_EQ(again.mid(32, 4), Hex("01 00 00 00"));
}

TEST(MultiLayout, Codings_MapWireUnitsToListIndices) {
  QByteArray record = Record178();
  const int modulator = 13;             // after the header and items 1 to 5
  const int service0 = modulator + 19;  // the name "A" makes the service block 21 bytes
  const int codec0 = service0 + 16;
  record.replace(modulator + 1, 2, Hex("4c 1d"));         // 7500 kHz
  record.replace(modulator + 12, 4, Hex("30 f8 ff ff"));  // -2000 S/s
  record.replace(codec0, 1, Hex("02"));                   // codec byte outside 0 and 1
  record.replace(codec0 + 1, 4, Hex("00 fa 00 00"));      // 64000 b/s
  DeviceConfig config;
  PanelState panel;
  ASSERT_TRUE(DecodeConfigImage(record, ContextFor(178), config, panel));
  EXPECT_EQ(config.Modulators[0].Bandwidth, 1);
  EXPECT_EQ(config.Modulators[0].SymbolRateKsps, -2);
  EXPECT_EQ(config.Services[0].AudioCodec, -1);
  EXPECT_EQ(config.Services[0].AudioBitrate, 3);

  config.Modulators[0].SymbolRateKsps = 5000;
  config.Modulators[0].Bandwidth = 0;
  config.Modulators[0].Mode = 3;
  config.Services[0].AudioBitrate = 0;
  config.Services[0].AudioCodec = 1;
  config.Services[1].AudioBitrate = 7;
  const QByteArray out = test::Reencode(config, panel, ContextFor(178));
  EXPECT_EQ(out.mid(modulator, 3), Hex("01  70 17"));          // DVB-S is sent as cable, 6000 kHz
  EXPECT_EQ(out.mid(modulator + 12, 4), Hex("40 4b 4c 00"));   // 5000000 S/s
  EXPECT_EQ(out.mid(codec0, 5), Hex("00  00 f4 01 00"));       // MPEG1-L2, 128000 b/s
  EXPECT_EQ(out.mid(codec0 + 21, 5), Hex("00  00 e2 04 00"));  // an unknown rate goes as 320000
}

TEST(MultiLayout, HeaderOfAnotherDevice_IsRejected) {
  DeviceConfig config;
  config.Reference = "kept";
  PanelState panel;
  QByteArray for176 = Record178();
  for176[4] = static_cast<char>(176);
  EXPECT_FALSE(DecodeConfigImage(for176, ContextFor(178), config, panel));
  EXPECT_FALSE(DecodeConfigImage(Record178(), ContextFor(176), config, panel));
  EXPECT_FALSE(DecodeConfigImage(Record178(), ContextFor(192), config, panel));
  QByteArray wrongMagic = Record178();
  wrongMagic[3] = 'F';
  EXPECT_FALSE(DecodeConfigImage(wrongMagic, ContextFor(178), config, panel));
  EXPECT_FALSE(DecodeConfigImage(Hex("56 45 56 45"), ContextFor(178), config, panel));
  EXPECT_EQ(config.Reference, "kept");
}

}  // namespace
}  // namespace ostrivane
