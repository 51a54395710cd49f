#pragma once

#include "config/DeviceConfig.h"

namespace ostrivane {

// Every field of the model with its name, in declaration order, for any visitor V offering
//   Field(const char* name, std::int32_t&), Field(const char* name, QString&),
//   Numbers(const char* name, std::array<std::int32_t, N>&) and
//   Slots(const char* name, std::array<T, N>&) (which calls VisitFields on each slot).
// Serialisers walk this one list in both directions.

template <class V>
void VisitFields(V& v, ModulatorSettings& m) {
  v.Field("Mode", m.Mode);
  v.Field("TsId", m.TsId);
  v.Field("FrequencyKhz", m.FrequencyKhz);
  v.Field("Bandwidth", m.Bandwidth);
  v.Field("TransmissionMode", m.TransmissionMode);
  v.Field("Constellation", m.Constellation);
  v.Field("CodeRate", m.CodeRate);
  v.Field("GuardInterval", m.GuardInterval);
  v.Field("AttenuationDb", m.AttenuationDb);
  v.Field("CableConstellation", m.CableConstellation);
  v.Field("SymbolRateKsps", m.SymbolRateKsps);
}

template <class V>
void VisitFields(V& v, ServiceSettings& s) {
  v.Field("ServiceId", s.ServiceId);
  v.Field("Lcn", s.Lcn);
  v.Field("ServiceName", s.ServiceName);
  v.Field("PmtPid", s.PmtPid);
  v.Field("VideoPid", s.VideoPid);
  v.Field("AudioPid", s.AudioPid);
  v.Field("VideoBitrateKbps", s.VideoBitrateKbps);
  v.Field("AudioBitrate", s.AudioBitrate);
  v.Field("AudioCodec", s.AudioCodec);
  v.Field("AudioDelayMs", s.AudioDelayMs);
  v.Field("GainPercent", s.GainPercent);
  v.Field("EitEventName", s.EitEventName);
  v.Field("EitEventText", s.EitEventText);
  v.Field("AitEnabled", s.AitEnabled);
  v.Field("AitVersion", s.AitVersion);
  v.Field("AitPid", s.AitPid);
  v.Field("AitControlCode", s.AitControlCode);
  v.Field("AitOrganisationId", s.AitOrganisationId);
  v.Field("AitRootUrl", s.AitRootUrl);
  v.Field("AitPath", s.AitPath);
  v.Field("AitAppName", s.AitAppName);
  v.Field("DestAddress", s.DestAddress);
  v.Field("DestPort", s.DestPort);
}

template <class V>
void VisitFields(V& v, ScheduleEntry& e) {
  v.Field("StartDate", e.StartDate);
  v.Field("StopDate", e.StopDate);
  v.Field("StartMinute", e.StartMinute);
  v.Field("StopMinute", e.StopMinute);
  v.Field("WeekdayMask", e.WeekdayMask);
  v.Field("Action", e.Action);
  v.Field("FileName", e.FileName);
}

template <class V>
void VisitNetworkFields(V& v, DeviceConfig& c) {
  v.Field("MultiOpaqueText1", c.MultiOpaqueText1);
  v.Field("MultiOpaqueText2", c.MultiOpaqueText2);
  v.Slots("Modulators", c.Modulators);
  v.Field("Reference", c.Reference);
  v.Field("DefaultCountry", c.DefaultCountry);
  v.Field("NetworkVersion", c.NetworkVersion);
  v.Field("CountryMirror", c.CountryMirror);
  v.Field("NetworkId", c.NetworkId);
  v.Field("OriginalNetworkId", c.OriginalNetworkId);
  v.Field("LcnType", c.LcnType);
  v.Field("NetworkName", c.NetworkName);
  v.Field("HdLcn", c.HdLcn);
  v.Slots("Services", c.Services);
}

template <class V>
void VisitSystemFields(V& v, DeviceConfig& c) {
  v.Field("LegacyOpaque1", c.LegacyOpaque1);
  v.Field("AudioInput", c.AudioInput);
  v.Field("VideoInput", c.VideoInput);
  v.Field("LegacyOpaque2", c.LegacyOpaque2);
  v.Field("LegacyOpaque3", c.LegacyOpaque3);
  v.Field("LegacyOpaque4", c.LegacyOpaque4);
  v.Field("StrictCbr", c.StrictCbr);
  v.Field("StreamProtocol", c.StreamProtocol);
  v.Field("LegacyOpaque5", c.LegacyOpaque5);
  v.Field("LegacyOpaque6", c.LegacyOpaque6);
  v.Field("PcmVolume", c.PcmVolume);
  v.Field("LogoName", c.LogoName);
  v.Field("Dhcp", c.Dhcp);
  v.Numbers("MacAddress", c.MacAddress);
  v.Field("MultiOpaqueText3", c.MultiOpaqueText3);
  v.Field("IpAddress", c.IpAddress);
  v.Field("SubnetMask", c.SubnetMask);
  v.Field("Gateway", c.Gateway);
  v.Field("MultiOpaqueText4", c.MultiOpaqueText4);
  v.Field("MultiOpaque1", c.MultiOpaque1);
  v.Field("MultiOpaque2", c.MultiOpaque2);
  v.Field("HardwareType", c.HardwareType);
  v.Field("AllowVbr", c.AllowVbr);
  v.Field("H264Profile", c.H264Profile);
  v.Field("VideoCodec", c.VideoCodec);
  v.Field("LegacyOpaque7", c.LegacyOpaque7);
  v.Field("Ttl", c.Ttl);
}

template <class V>
void VisitPlayerFields(V& v, DeviceConfig& c) {
  v.Field("UsbOpaque", c.UsbOpaque);
  v.Field("UsbFileName", c.UsbFileName);
  v.Field("CapabilityPlayRecord", c.CapabilityPlayRecord);
  v.Field("CapabilityInfrared", c.CapabilityInfrared);
  v.Field("Capability4K", c.Capability4K);
  v.Field("ScheduleCount", c.ScheduleCount);
  v.Slots("Schedule", c.Schedule);
  v.Field("IrCarrier", c.IrCarrier);
  v.Field("LcnCountry", c.LcnCountry);
  v.Field("FourKMode", c.FourKMode);
  v.Field("Hdcp", c.Hdcp);
  v.Field("FourKOpaque1", c.FourKOpaque1);
  v.Field("OverlayFile", c.OverlayFile);
  v.Field("OverlayPosition", c.OverlayPosition);
  v.Field("OverlayX", c.OverlayX);
  v.Field("OverlayY", c.OverlayY);
}

template <class V>
void VisitFields(V& v, DeviceConfig& c) {
  VisitNetworkFields(v, c);
  VisitSystemFields(v, c);
  VisitPlayerFields(v, c);
}

}  // namespace ostrivane
