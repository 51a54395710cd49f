#pragma once

#include "config/LayoutItems.h"

namespace ostrivane {

// Type 192: one output, one service, no header. Three optional blocks follow the fixed part,
// each present as a whole or not at all.
template <class Io>
void WalkFourKOutput(Io& io, DeviceConfig& config) {
  ModulatorSettings& output = config.Modulators[0];
  io.Byte(config.LcnCountry);
  io.Text(config.Reference);
  io.Byte(config.DefaultCountry);
  io.Byte(config.LcnType);
  io.Le16(config.OriginalNetworkId);
  io.Le16(config.NetworkId);
  io.Text(config.NetworkName);
  io.Byte(config.NetworkVersion);
  io.Byte(config.FourKOpaque1);
  io.Byte(config.FourKMode);
  io.template Item<coding::DvbcFlagUnlessDvbt>(output.Mode);
  io.Le32(output.FrequencyKhz);
  io.Byte(output.Bandwidth);
  io.Byte(output.TransmissionMode);
  io.Byte(output.Constellation);
  io.Byte(output.CodeRate);
  io.Byte(output.GuardInterval);
  io.Byte(output.CableConstellation);
  io.Le16(output.SymbolRateKsps);
  io.Byte(output.AttenuationDb);
  io.Le16(output.TsId);
}

template <class Io>
void WalkFourKService(Io& io, DeviceConfig& config) {
  ServiceSettings& service = config.Services[0];
  io.Text(service.ServiceName);
  io.Le16(service.ServiceId);
  io.Le16(service.Lcn);
  io.Le16(service.PmtPid);
  io.Le16(service.VideoPid);
  io.Le16(service.AudioPid);
  io.Byte(service.AudioBitrate);
  io.Byte(config.VideoCodec);
  io.Le16(service.VideoBitrateKbps);
}

template <class Io>
void WalkFourKBlocks(Io& io, DeviceConfig& config) {
  ServiceSettings& service = config.Services[0];
  if (io.Optional()) {
    io.Byte(config.UsbOpaque);
    io.Text(config.UsbFileName);
    WalkSchedule(io, config);
  }
  if (io.Optional()) {
    io.Le16(service.AudioDelayMs);  // no sign bit on this model: the delay is never negative
    io.Byte(config.StreamProtocol);
    io.Text(service.DestAddress);
    io.Le16(service.DestPort);
  }
  if (io.Optional()) {
    io.Text(config.OverlayFile);
    io.Byte(config.OverlayPosition);
    io.Le16(config.OverlayX);
    io.Le16(config.OverlayY);
  }
}

template <class Io>
void WalkFourK(Io& io, DeviceConfig& config, const LayoutContext&) {
  constexpr std::int32_t kNoDhcpItem = 0;
  WalkFourKOutput(io, config);
  WalkFourKService(io, config);
  WalkMacAddress(io, config);
  io.Implied(config.Dhcp, kNoDhcpItem);
  io.Text(config.IpAddress);
  io.Text(config.SubnetMask);
  io.Text(config.Gateway);
  WalkFourKBlocks(io, config);
}

}  // namespace ostrivane
