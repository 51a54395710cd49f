#pragma once

#include "config/LayoutItems.h"

namespace ostrivane {

// Types 128 and 131 to 159: a fixed part, then two optional parts that grew with the firmware.
// Absent guarded items take the value in the GuardedItem call; absent groups keep the model's.
namespace standard {

inline bool StopsAfterUsbFile(std::uint8_t typeCode) {
  return typeCode == 128;
}
inline bool HasAudioDelayOnly(std::uint8_t typeCode) {
  return typeCode == 142 || typeCode == 154 || typeCode == 157;
}
inline bool HasShiftedLcnCountry(std::uint8_t typeCode) {
  return typeCode == 158 || typeCode == 159;
}
inline constexpr std::uint8_t kInfraredFromVersion = 14;
inline constexpr std::uint8_t kFourKFromVersion = 15;
inline constexpr std::int32_t kAbsentSymbolRate = 6875;

}  // namespace standard

template <class Io>
void WalkStandardService(Io& io, DeviceConfig& config, ServiceSettings& service,
                         const LayoutContext& context) {
  io.Le16(service.ServiceId);
  if (ServicesInUse(context) == 1) io.Byte(config.LcnType);
  io.Le16(service.Lcn);
  io.Implied(config.HdLcn, 0);
  io.Text(service.ServiceName);
  io.Le16(service.PmtPid);
  io.Le16(service.VideoPid);
  io.Le16(service.AudioPid);
  io.Le16(service.VideoBitrateKbps);
  io.Byte(service.AudioBitrate);
  io.Byte(service.AudioCodec);
  io.Text(service.EitEventName);
  io.Text(service.EitEventText);
}

template <class Io>
void WalkStandardFixed(Io& io, DeviceConfig& config, const LayoutContext& context) {
  ModulatorSettings& output = config.Modulators[0];
  io.Text(config.Reference);
  io.Byte(config.DefaultCountry);
  io.Byte(config.CountryMirror);
  io.Implied(output.Mode, kModeDvbT);
  io.Le32(output.FrequencyKhz);
  io.Byte(output.Bandwidth);
  io.Byte(output.TransmissionMode);
  io.Byte(output.Constellation);
  io.Byte(output.CodeRate);
  io.Byte(output.GuardInterval);
  io.Byte(output.AttenuationDb);
  io.Byte(config.NetworkVersion);
  io.Le16(config.NetworkId);
  io.Le16(config.OriginalNetworkId);
  io.Text(config.NetworkName);
  io.Le16(output.TsId);
  io.Implied(config.LegacyOpaque1, 1);
  if (ServicesInUse(context) > 1) io.Byte(config.LcnType);
  for (int i = 0; i < ServicesInUse(context); ++i) {
    WalkStandardService(io, config, config.Services[static_cast<std::size_t>(i)], context);
  }
  io.Text(config.LogoName);
}

template <class Io>
void WalkStandardUsbFile(Io& io, DeviceConfig& config) {
  if (!io.Optional()) return;
  io.Byte(config.UsbOpaque);
  io.Text(config.UsbFileName);
  GuardedItemOrKeep<coding::Byte>(io, config.CapabilityPlayRecord);
}

template <class Io>
void WalkStandardApplication(Io& io, ServiceSettings& service) {
  if (!io.Optional()) return;
  io.Byte(service.AitEnabled);
  io.Byte(service.AitVersion);
  io.Le16(service.AitPid);
  io.Byte(service.AitControlCode);
  io.Le32(service.AitOrganisationId);
  io.Text(service.AitRootUrl);
  io.Text(service.AitPath);
  io.Text(service.AitAppName);
}

template <class Io>
void WalkStandardPerService(Io& io, DeviceConfig& config, const LayoutContext& context) {
  const int services = ServicesInUse(context);
  for (int i = 0; i < services; ++i) {
    GuardedItem<coding::Le16>(io, config.Services[static_cast<std::size_t>(i)].GainPercent, 0);
  }
  const bool withApplication = !standard::HasAudioDelayOnly(context.typeCode);
  for (int i = 0; i < services; ++i) {
    ServiceSettings& service = config.Services[static_cast<std::size_t>(i)];
    GuardedItem<coding::Sm16>(io, service.AudioDelayMs, 0);
    if (withApplication) WalkStandardApplication(io, service);
  }
  if (withApplication) {
    GuardedItem<coding::Byte>(io, config.FourKMode, 0);
    GuardedItem<coding::Byte>(io, config.Hdcp, 0);
  }
}

template <class Io>
void WalkStandardCable(Io& io, ModulatorSettings& output) {
  if (!io.Optional()) {
    io.Implied(output.Mode, kModeDvbT);
    io.Implied(output.CableConstellation, 0);
    io.Implied(output.SymbolRateKsps, standard::kAbsentSymbolRate);
    return;
  }
  io.template Item<coding::DvbcFlagWhenDvbc>(output.Mode);
  io.Byte(output.CableConstellation);
  io.Le16(output.SymbolRateKsps);
}

template <class Io>
void WalkStandardExtensions(Io& io, DeviceConfig& config, const LayoutContext& context) {
  const std::uint8_t type = context.typeCode;
  if (standard::StopsAfterUsbFile(type) || !io.Optional()) return;
  WalkSchedule(io, config);
  GuardedItem<coding::Byte>(io, config.IrCarrier, 0);
  if (standard::HasShiftedLcnCountry(type)) {
    GuardedItem<coding::ShiftedLcnCountry>(io, config.LcnCountry, 0);
  } else {
    GuardedItem<coding::Byte>(io, config.LcnCountry, 0);
  }
  WalkStandardPerService(io, config, context);
  WalkStandardCable(io, config.Modulators[0]);
  if (standard::HasAudioDelayOnly(type)) GuardedItem<coding::Byte>(io, config.Hdcp, 0);
  if (standard::HasShiftedLcnCountry(type)) {
    // A record may end before these bytes; the capabilities then keep the defaults of the type.
    if (context.mainVersion >= standard::kInfraredFromVersion) {
      GuardedItemOrKeep<coding::Byte>(io, config.CapabilityInfrared);
    }
    if (context.mainVersion >= standard::kFourKFromVersion) {
      GuardedItemOrKeep<coding::Byte>(io, config.Capability4K);
    }
  }
}

template <class Io>
void WalkStandard(Io& io, DeviceConfig& config, const LayoutContext& context) {
  WalkStandardFixed(io, config, context);
  WalkStandardUsbFile(io, config);
  WalkStandardExtensions(io, config, context);
}

}  // namespace ostrivane
