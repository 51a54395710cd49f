#include "sim/DeviceDefaults.h"

#include "config/ConfigCodec.h"
#include "config/DeviceConfig.h"
#include "config/PanelState.h"
#include "config/RecordShape.h"

namespace ostrivane::sim {

namespace {

constexpr int kSnapshotWidth = 128;
constexpr int kSnapshotHeight = 64;
constexpr int kBandHeight = 8;

LayoutContext ContextFor(std::uint8_t typeCode, std::uint8_t mainVersion) {
  LayoutContext context;
  context.typeCode = typeCode;
  context.mainVersion = mainVersion;
  context.shape = RecordShape::ForType(typeCode);
  return context;
}

void FillServices(DeviceConfig& config, const RecordShape& shape, std::uint8_t typeCode) {
  for (int i = 0; i < shape.ServiceCount && i < kServiceSlots; ++i) {
    ServiceSettings& s = config.Services[static_cast<std::size_t>(i)];
    s.ServiceName = QStringLiteral("Ostrivane %1").arg(typeCode);
    if (i > 0) s.ServiceName += QStringLiteral(" %1").arg(i + 1);
    s.ServiceId = 1 + i;
    s.Lcn = 1 + i;
    s.PmtPid = 256 + 16 * i;
    s.VideoPid = 257 + 16 * i;
    s.AudioPid = 258 + 16 * i;
    s.VideoBitrateKbps = static_cast<std::int32_t>(shape.VideoBitrateLimits.fallback);
    s.AudioBitrate = 1;
    s.DestAddress = QStringLiteral("239.1.1.%1").arg(1 + i);
    s.DestPort = 1234;
  }
}

void FillModulators(DeviceConfig& config, const RecordShape& shape) {
  for (int m = 0; m < shape.ModulatorCount && m < kModulatorSlots; ++m) {
    ModulatorSettings& mod = config.Modulators[static_cast<std::size_t>(m)];
    mod.Mode = 1;
    mod.FrequencyKhz = static_cast<std::int32_t>(shape.FrequencyLimits.fallback) + 8000 * m;
    mod.Bandwidth = 2;
    mod.TransmissionMode = 1;
    mod.Constellation = 2;
    mod.CodeRate = 1;
    mod.GuardInterval = 0;
    mod.TsId = 1 + m;
    mod.SymbolRateKsps = static_cast<std::int32_t>(shape.SymbolRateLimits.fallback);
  }
}

}  // namespace

QByteArray DefaultConfigRecord(std::uint8_t typeCode, std::uint8_t mainVersion) {
  const LayoutContext context = ContextFor(typeCode, mainVersion);
  DeviceConfig config;
  PanelState panel;
  ApplyDecodeDefaults(config, typeCode, mainVersion);
  config.Reference = QStringLiteral("Ostrivane %1").arg(typeCode);
  config.NetworkName = QStringLiteral("Ostrivane");
  config.NetworkId = 1;
  config.OriginalNetworkId = 1;
  config.NetworkVersion = 1;
  config.IpAddress = QStringLiteral("127.0.0.1");
  config.SubnetMask = QStringLiteral("255.0.0.0");
  config.Gateway = QStringLiteral("127.0.0.1");
  config.MacAddress = {0x02, 0x00, 0x5E, 0x10, 0x00, typeCode};
  FillModulators(config, context.shape);
  FillServices(config, context.shape, typeCode);
  panel.UsbFileNameText = QStringLiteral("Recording");
  panel.LogoFieldText = config.LogoName;
  QByteArray record;
  EncodeConfigImage(config, panel, context, record);
  return record;
}

bool AcceptsConfigRecord(const QByteArray& record, std::uint8_t typeCode,
                         std::uint8_t mainVersion) {
  if (record.isEmpty() || record.size() > static_cast<qsizetype>(kConfigImageMax)) return false;
  DeviceConfig scratch;
  PanelState panel;
  return DecodeConfigImage(record, ContextFor(typeCode, mainVersion), scratch, panel);
}

QByteArray SnapshotPattern() {
  QByteArray data(kSnapshotSize, '\0');
  for (int y = 0; y < kSnapshotHeight; ++y) {
    for (int x = 0; x < kSnapshotWidth; ++x) {
      const bool border = x == 0 || y == 0 || x == kSnapshotWidth - 1 || y == kSnapshotHeight - 1;
      const bool diagonal = x == 2 * y || x == 2 * y + 1;
      if (!border && !diagonal) continue;
      const int index = (y / kBandHeight) * kSnapshotWidth + x;
      data[index] =
          static_cast<char>(static_cast<std::uint8_t>(data.at(index)) | (1u << (y % kBandHeight)));
    }
  }
  return data;
}

}  // namespace ostrivane::sim
