#pragma once

#include <QString>
#include <array>
#include <cstdint>

namespace ostrivane {

// Every numeric field is a 32-bit signed integer whatever its width in the record; choice fields
// hold the index of the item in the list of their panel control.

struct ModulatorSettings {
  std::int32_t Mode = 0;  // 0 IP, 1 DVB-T, 2 DVB-C, 3 DVB-S
  std::int32_t TsId = 0;
  std::int32_t FrequencyKhz = 0;
  std::int32_t Bandwidth = 0;         // 0 6 MHz, 1 7 MHz, 2 8 MHz
  std::int32_t TransmissionMode = 0;  // 0 2K, 1 8K
  std::int32_t Constellation = 0;     // 0 QPSK, 1 QAM16, 2 QAM64
  std::int32_t CodeRate = 0;          // 0 1/2 .. 4 7/8
  std::int32_t GuardInterval = 0;     // 0 1/32 .. 3 1/4
  std::int32_t AttenuationDb = 0;
  std::int32_t CableConstellation = 0;  // 0 QAM16 .. 4 QAM256
  std::int32_t SymbolRateKsps = 0;

  bool operator==(const ModulatorSettings&) const = default;
};

struct ServiceSettings {
  std::int32_t ServiceId = 0;
  std::int32_t Lcn = 0;
  QString ServiceName;
  std::int32_t PmtPid = 0;
  std::int32_t VideoPid = 0;
  std::int32_t AudioPid = 0;
  std::int32_t VideoBitrateKbps = 0;
  std::int32_t AudioBitrate = 0;  // 0 128, 1 192, 2 256, 3 320 kb/s
  std::int32_t AudioCodec = 0;    // 0 AAC-LC, 1 MPEG1-L2
  std::int32_t AudioDelayMs = 0;
  std::int32_t GainPercent = 0;
  QString EitEventName;
  QString EitEventText;
  std::int32_t AitEnabled = 0;
  std::int32_t AitVersion = 0;
  std::int32_t AitPid = 0;
  std::int32_t AitControlCode = 0;
  std::int32_t AitOrganisationId = 0;
  QString AitRootUrl;
  QString AitPath;
  QString AitAppName;
  QString DestAddress;
  std::int32_t DestPort = 0;

  bool operator==(const ServiceSettings&) const = default;
};

struct ScheduleEntry {
  std::int32_t StartDate = 0;  // year * 65536 + month * 256 + day
  std::int32_t StopDate = 0;
  std::int32_t StartMinute = 0;  // minutes after midnight
  std::int32_t StopMinute = 0;
  std::int32_t WeekdayMask = 0;  // bit 0 Monday .. bit 6 Sunday
  std::int32_t Action = 0;       // 0 Play, 1 Rec
  QString FileName;

  bool operator==(const ScheduleEntry&) const = default;
};

inline constexpr int kModulatorSlots = 4;
inline constexpr int kServiceSlots = 4;
inline constexpr int kScheduleSlots = 10;

// The whole configuration of the connected modulator, in declaration order.
struct DeviceConfig {
  QString MultiOpaqueText1;
  QString MultiOpaqueText2;
  std::array<ModulatorSettings, kModulatorSlots> Modulators{};
  QString Reference;
  std::int32_t DefaultCountry = 0;
  std::int32_t NetworkVersion = 0;
  std::int32_t CountryMirror = 0;
  std::int32_t NetworkId = 0;
  std::int32_t OriginalNetworkId = 0;
  std::int32_t LcnType = 0;
  QString NetworkName;
  std::int32_t HdLcn = 0;
  std::array<ServiceSettings, kServiceSlots> Services{};
  std::int32_t LegacyOpaque1 = 0;
  std::int32_t AudioInput = 0;
  std::int32_t VideoInput = 0;
  std::int32_t LegacyOpaque2 = 0;
  std::int32_t LegacyOpaque3 = 0;
  std::int32_t LegacyOpaque4 = 0;
  std::int32_t StrictCbr = 0;
  std::int32_t StreamProtocol = 0;
  std::int32_t LegacyOpaque5 = 0;
  std::int32_t LegacyOpaque6 = 0;
  std::int32_t PcmVolume = 0;
  QString LogoName;
  std::int32_t Dhcp = 0;
  std::array<std::int32_t, 6> MacAddress{};
  QString MultiOpaqueText3;
  QString IpAddress;
  QString SubnetMask;
  QString Gateway;
  QString MultiOpaqueText4;
  std::int32_t MultiOpaque1 = 0;
  std::int32_t MultiOpaque2 = 0;
  std::int32_t HardwareType = 0;  // 0 FULL, 1 LITE
  std::int32_t AllowVbr = 0;
  std::int32_t H264Profile = 0;
  std::int32_t VideoCodec = 0;
  std::int32_t LegacyOpaque7 = 0;
  std::int32_t Ttl = 0;
  std::int32_t UsbOpaque = 0;
  QString UsbFileName;
  std::int32_t CapabilityPlayRecord = 0;
  std::int32_t CapabilityInfrared = 0;
  std::int32_t Capability4K = 0;
  std::int32_t ScheduleCount = 0;
  std::array<ScheduleEntry, kScheduleSlots> Schedule{};
  std::int32_t IrCarrier = 0;
  std::int32_t LcnCountry = 0;  // 0 FRANCE .. 26 ESTONIA, 27 "---"
  std::int32_t FourKMode = 0;
  std::int32_t Hdcp = 0;
  std::int32_t FourKOpaque1 = 0;
  QString OverlayFile;
  std::int32_t OverlayPosition = 0;  // 0 none, 1..9 anchors row by row
  std::int32_t OverlayX = 0;
  std::int32_t OverlayY = 0;

  bool operator==(const DeviceConfig&) const = default;
};

}  // namespace ostrivane
