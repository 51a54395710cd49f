#pragma once

#include "config/LayoutItems.h"

namespace ostrivane {

// Types 176 and 178: a "VEVE" header with the type code, then one block per output and per
// service in use. Nothing is optional.
template <class Io>
void WalkMultiModulator(Io& io, ModulatorSettings& output) {
  io.template Item<coding::DvbcFlagUnlessDvbt>(output.Mode);
  io.template Item<coding::BandwidthKhz>(output.Bandwidth);
  io.Le32(output.FrequencyKhz);
  io.Byte(output.AttenuationDb);
  io.Byte(output.Constellation);
  io.Byte(output.GuardInterval);
  io.Byte(output.CodeRate);
  io.Byte(output.CableConstellation);
  io.template Item<coding::SymbolRateSps>(output.SymbolRateKsps);
  io.Byte(output.TransmissionMode);
  io.Le16(output.TsId);
}

template <class Io>
void WalkMultiService(Io& io, ServiceSettings& service) {
  io.Le16(service.ServiceId);
  io.Le16(service.Lcn);
  io.Text(service.ServiceName);
  io.Le16(service.PmtPid);
  io.Le16(service.VideoPid);
  io.Le16(service.AudioPid);
  io.Le32(service.VideoBitrateKbps);
  io.template Item<coding::InvertedCodec>(service.AudioCodec);
  io.template Item<coding::AudioBitrateBps>(service.AudioBitrate);
}

template <class Io>
void WalkMultiSystem(Io& io, DeviceConfig& config) {
  io.Byte(config.Hdcp);
  io.Byte(config.CapabilityPlayRecord);
  io.Byte(config.UsbOpaque);
  io.Text(config.UsbFileName);
  WalkSchedule(io, config);
  io.Text(config.MultiOpaqueText1);
  io.Text(config.MultiOpaqueText2);
  io.Byte(config.Dhcp);
  io.Text(config.MultiOpaqueText3);
  io.Text(config.IpAddress);
  io.Text(config.SubnetMask);
  io.Text(config.Gateway);
  io.Text(config.MultiOpaqueText4);
  io.Byte(config.MultiOpaque1);
  io.Byte(config.MultiOpaque2);
}

template <class Io>
void WalkMulti(Io& io, DeviceConfig& config, const LayoutContext& context) {
  io.Header(context.typeCode);
  io.Text(config.Reference);
  io.Byte(config.DefaultCountry);
  io.Byte(config.LcnCountry);
  io.Text(config.NetworkName);
  io.Byte(config.NetworkVersion);
  for (int m = 0; m < ModulatorsInUse(context); ++m) {
    WalkMultiModulator(io, config.Modulators[static_cast<std::size_t>(m)]);
  }
  for (int i = 0; i < ServicesInUse(context); ++i) {
    WalkMultiService(io, config.Services[static_cast<std::size_t>(i)]);
  }
  WalkMultiSystem(io, config);
  for (int i = 0; i < ServicesInUse(context); ++i) {
    ServiceSettings& service = config.Services[static_cast<std::size_t>(i)];
    io.Text(service.DestAddress);
    io.Le16(service.DestPort);
  }
}

}  // namespace ostrivane
