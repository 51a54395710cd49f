#pragma once

#include "config/LayoutItems.h"

namespace ostrivane {

// Each tail item stands alone: a record may stop before any of them, and the absent ones take
// the values older firmware behaves with.
template <class Io>
void WalkLegacyTail(Io& io, DeviceConfig& config) {
  constexpr std::int32_t kFullHardware = 0;
  constexpr std::int32_t kHighProfile = 1;
  constexpr std::int32_t kDefaultTtl = 64;
  ServiceSettings& service = config.Services[0];

  GuardedItem<coding::Byte>(io, config.HardwareType, kFullHardware);
  GuardedItem<coding::Byte>(io, config.AllowVbr, 0);
  GuardedItem<coding::Byte>(io, config.H264Profile, kHighProfile);
  GuardedText(io, service.EitEventName, QString());
  GuardedText(io, service.EitEventText, QString());
  GuardedItem<coding::Byte>(io, service.AudioCodec, 0);
  GuardedItem<coding::Byte>(io, config.VideoCodec, 0);
  GuardedItem<coding::Byte>(io, config.LegacyOpaque7, 1);
  GuardedItem<coding::Byte>(io, config.Ttl, kDefaultTtl);
}

template <class Io>
void WalkLegacyOutput(Io& io, DeviceConfig& config) {
  ModulatorSettings& output = config.Modulators[0];
  io.Text(config.Reference);
  io.Byte(config.DefaultCountry);
  io.Byte(config.CountryMirror);
  io.Byte(output.Mode);
  io.Le32(output.FrequencyKhz);
  io.Byte(output.Bandwidth);
  io.Byte(output.TransmissionMode);
  io.Byte(output.Constellation);
  io.Byte(output.CodeRate);
  io.Byte(output.GuardInterval);
  io.Byte(output.AttenuationDb);
  io.Byte(output.CableConstellation);
  io.Le16(output.SymbolRateKsps);
  io.Byte(config.NetworkVersion);
  io.Le16(config.NetworkId);
  io.Le16(config.OriginalNetworkId);
  io.Text(config.NetworkName);
  io.Le16(output.TsId);
  io.Byte(config.LegacyOpaque1);
}

template <class Io>
void WalkLegacyService(Io& io, DeviceConfig& config) {
  ServiceSettings& service = config.Services[0];
  io.Le16(service.ServiceId);
  io.Byte(config.LcnType);
  io.Le16(service.Lcn);
  io.Le16(config.HdLcn);
  io.Text(service.ServiceName);
  io.Le16(service.PmtPid);
  io.Le16(service.VideoPid);
  io.Le16(service.AudioPid);
  io.Le16(service.VideoBitrateKbps);
  io.Byte(service.AudioBitrate);
  io.Byte(config.AudioInput);
  io.Byte(config.VideoInput);
  io.Byte(config.LegacyOpaque2);
  io.Byte(config.LegacyOpaque3);
  io.Byte(config.LegacyOpaque4);
  io.Byte(config.StrictCbr);
  io.Byte(config.StreamProtocol);
  io.Text(service.DestAddress);
  io.Le16(service.DestPort);
  io.Byte(config.LegacyOpaque5);
  io.Byte(config.LegacyOpaque6);
  io.Byte(config.PcmVolume);
}

// Type 121: one output, one service, no header. The tail after the gateway came with later
// firmware; older devices end their record before it.
template <class Io>
void WalkLegacy(Io& io, DeviceConfig& config, const LayoutContext&) {
  WalkLegacyOutput(io, config);
  WalkLegacyService(io, config);
  io.Text(config.LogoName);
  WalkMacAddress(io, config);
  io.Byte(config.Dhcp);
  io.Text(config.IpAddress);
  io.Text(config.SubnetMask);
  io.Text(config.Gateway);
  WalkLegacyTail(io, config);
}

}  // namespace ostrivane
