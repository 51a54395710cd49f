#include "config/ConfigCodec.h"

#include <algorithm>
#include <vector>

#include "config/DeviceCodes.h"
#include "config/FieldPaths.h"
#include "config/FourKLayout.h"
#include "config/LegacyLayout.h"
#include "config/MultiLayout.h"
#include "config/RecordIo.h"
#include "config/StandardLayout.h"

namespace ostrivane {

namespace {

constexpr std::uint8_t kPlayRecordFromVersion = 15;
constexpr std::int32_t kMaxAttenuationDb = 29;
constexpr std::int32_t kMaxAudioBitrate = 3;
constexpr std::int32_t kMaxLcnType = 3;
constexpr std::int32_t kLowestAitPid = 32;
constexpr std::int32_t kFallbackAitPidBase = 50;
constexpr std::int32_t kAutostartControl = 1;
constexpr std::int32_t kTestOrganisationId = 112;
constexpr qsizetype kUsbFileStemMax = 28;

const QString kDefaultAitRootUrl = QStringLiteral("http://itv.mit-xperts.com/");
const QString kDefaultAitPath = QStringLiteral("staging/catalogue/index.php");
const QString kDefaultAitAppName = QStringLiteral("HbbTV Test");

bool HasInfraredByDefault(std::uint8_t type) {
  switch (type) {
    case 131:
    case 134:
    case 138:
    case 143:
    case 144:
    case 148:
    case 155:
    case 158:
    case 159:
      return true;
    default:
      return false;
  }
}

bool Has4KByDefault(std::uint8_t type) {
  return type == 144 || type == 146 || type == 152 || type == kFourKType;
}

void ApplyServiceDefaults(ServiceSettings& service, std::int32_t slot) {
  constexpr std::int32_t kPidStride = 100;
  constexpr std::int32_t kDefaultVideoBitrate = 9000;
  constexpr std::int32_t kDefaultDestPort = 5004;
  const std::int32_t base = kPidStride * slot;
  service.PmtPid = base + 100;
  service.VideoPid = base + 101;
  service.AudioPid = base + 102;
  service.AitPid = base + 103;
  service.VideoBitrateKbps = kDefaultVideoBitrate;
  service.AudioDelayMs = 0;
  service.AitEnabled = 0;
  service.AitControlCode = 0;
  service.AitOrganisationId = 0;
  service.AitRootUrl.clear();
  service.AitPath.clear();
  service.AitAppName.clear();
  service.DestAddress = QStringLiteral("239.192.1.%1").arg(slot);
  service.DestPort = kDefaultDestPort;
}

// Fields that only the type 121 record carries, so that another layout's decode resets them.
void ApplyLegacyDefaults(DeviceConfig& config) {
  constexpr std::int32_t kOpaque3Default = 50;
  constexpr std::int32_t kDefaultTtl = 64;
  config.AudioInput = 0;
  config.VideoInput = 0;
  config.LegacyOpaque2 = 0;
  config.LegacyOpaque3 = kOpaque3Default;
  config.LegacyOpaque4 = 0;
  config.StrictCbr = 1;
  config.StreamProtocol = 0;
  config.LegacyOpaque5 = 0;
  config.LegacyOpaque6 = 0;
  config.PcmVolume = 0;
  config.HardwareType = 1;
  config.AllowVbr = 0;
  config.H264Profile = 0;
  config.LegacyOpaque7 = 1;
  config.Ttl = kDefaultTtl;
}

bool IsMulti(std::uint8_t typeCode) {
  return LayoutFor(typeCode) == RecordLayout::MultiLayout;
}

// Only the multi-output layout may (and must) begin with "VEVE"; its walk checks the header.
bool HeaderAllowsOtherLayouts(const std::uint8_t* bytes, std::size_t length) {
  if (length < kMultiMagic.size()) return false;
  return !std::equal(kMultiMagic.begin(), kMultiMagic.end(), bytes);
}

template <class Io>
void Walk(Io& io, DeviceConfig& config, const LayoutContext& context) {
  switch (LayoutFor(context.typeCode)) {
    case RecordLayout::LegacyLayout:
      WalkLegacy(io, config, context);
      break;
    case RecordLayout::FourKLayout:
      WalkFourK(io, config, context);
      break;
    case RecordLayout::MultiLayout:
      WalkMulti(io, config, context);
      break;
    case RecordLayout::StandardLayout:
      WalkStandard(io, config, context);
      break;
  }
}

void Normalise(DeviceConfig& config, std::uint8_t typeCode) {
  ModulatorSettings& output = config.Modulators[0];
  ServiceSettings& service = config.Services[0];
  if (static_cast<std::uint32_t>(output.AttenuationDb) > kMaxAttenuationDb) {
    output.AttenuationDb = kMaxAttenuationDb;
  }
  if (static_cast<std::uint32_t>(service.AudioBitrate) > kMaxAudioBitrate) {
    service.AudioBitrate = kMaxAudioBitrate;
  }
  if (static_cast<std::uint32_t>(config.LcnType) > kMaxLcnType) config.LcnType = 0;
  if (typeCode == kSatelliteType) output.Mode = kModeDvbS;
}

void ApplyApplicationDefaults(DeviceConfig& config, const LayoutContext& context) {
  for (int i = 0; i < ServicesInUse(context); ++i) {
    ServiceSettings& service = config.Services[static_cast<std::size_t>(i)];
    if (service.AitPid < kLowestAitPid) service.AitPid = kFallbackAitPidBase + i;
    if (!service.AitRootUrl.isEmpty()) continue;
    service.AitControlCode = kAutostartControl;
    service.AitOrganisationId = kTestOrganisationId;
    service.AitRootUrl = kDefaultAitRootUrl;
    service.AitPath = kDefaultAitPath;
    service.AitAppName = kDefaultAitAppName;
  }
}

void SetIfDifferent(QString& target, const QString& text) {
  if (target != text) target = text;
}

}  // namespace

void ApplyDecodeDefaults(DeviceConfig& config, std::uint8_t typeCode, std::uint8_t mainVersion) {
  ApplyLegacyDefaults(config);
  config.Dhcp = typeCode == kFourKType ? 0 : 1;
  config.MacAddress.fill(0);
  config.IpAddress = QStringLiteral("192.168.1.10");
  config.SubnetMask = QStringLiteral("255.255.255.0");
  config.Gateway = QStringLiteral("192.168.1.1");
  config.VideoCodec = 0;
  config.UsbOpaque = 0;
  config.UsbFileName = QStringLiteral("NoName");
  config.CapabilityPlayRecord = typeCode == kFourKType && mainVersion >= kPlayRecordFromVersion;
  config.CapabilityInfrared = HasInfraredByDefault(typeCode);
  config.Capability4K = Has4KByDefault(typeCode);
  config.ScheduleCount = 0;
  config.OverlayFile.clear();
  config.OverlayPosition = 0;
  config.OverlayX = 0;
  config.OverlayY = 0;
  for (int i = 0; i < kServiceSlots; ++i) {
    ApplyServiceDefaults(config.Services[static_cast<std::size_t>(i)], i);
  }
}

bool DecodeConfigImage(const std::uint8_t* bytes, std::size_t length, const LayoutContext& context,
                       DeviceConfig& config, PanelState& panel, EmptyApplication empty) {
  if (bytes == nullptr || length > kConfigImageMax) return false;
  if (!IsMulti(context.typeCode) && !HeaderAllowsOtherLayouts(bytes, length)) return false;

  // Work on a copy: a record that turns out to be short must leave the model as it was.
  DeviceConfig decoded = config;
  decoded.UsbFileName.clear();
  ApplyDecodeDefaults(decoded, context.typeCode, context.mainVersion);
  RecordReader reader(bytes, length);
  Walk(reader, decoded, context);
  if (reader.Failed()) return false;
  Normalise(decoded, context.typeCode);
  if (empty == EmptyApplication::ShowDefault) ApplyApplicationDefaults(decoded, context);

  panel.UpdatingGuard = -1;
  config = std::move(decoded);
  SetIfDifferent(panel.UsbFileNameText, config.UsbFileName);
  SetIfDifferent(panel.OverlayFileText, config.OverlayFile);
  panel.UpdatingGuard = 0;
  panel.SendCountdown = 0;
  return true;
}

QString NormaliseUsbFileName(const QString& fieldText) {
  QString name = fieldText;
  const qsizetype stop = name.indexOf(QLatin1Char('.'));
  if (stop >= 0) name.truncate(stop);
  if (name.size() > kUsbFileStemMax) name.truncate(kUsbFileStemMax);
  return name + QStringLiteral(".ts");
}

namespace {

void ClampToLimits(std::int32_t& value, const Limits& limits) {
  if (!limits.Contains(value)) value = static_cast<std::int32_t>(limits.fallback);
}

void PrepareForLayout(DeviceConfig& config, RecordLayout layout) {
  constexpr std::int32_t kFullHardware = 0;
  if (layout == RecordLayout::LegacyLayout && config.HardwareType != kFullHardware) {
    config.AudioInput = 0;
    config.VideoInput = 0;
    config.Dhcp = 0;
    if (config.Modulators[0].Mode == kModeIp) config.Modulators[0].Mode = kModeDvbT;
  }
  if (layout == RecordLayout::FourKLayout) config.Dhcp = 0;
}

// Why a written record must not leave the tool; empty when it may.
QString RefusalReason(const RecordWriter& writer, const LayoutContext& context) {
  if (writer.Overflowed())
    return QStringLiteral("the configuration does not fit in a %1-byte record")
        .arg(kConfigImageMax);
  if (!IsMulti(context.typeCode) && writer.Bytes().startsWith("VEVE"))
    return QStringLiteral(
        "the record would begin with \"VEVE\" (from the Reference text), which marks the record "
        "of a multi-output device");
  return {};
}

}  // namespace

bool EncodeConfigImage(DeviceConfig& config, PanelState& panel, const LayoutContext& context,
                       QByteArray& out, QString* refusal) {
  out.clear();
  if (panel.FactoryDefaultRequest != 0) config.LogoName = panel.LogoFieldText;
  ClampToLimits(config.Modulators[0].FrequencyKhz, context.shape.FrequencyLimits);
  ClampToLimits(config.Services[0].VideoBitrateKbps, context.shape.VideoBitrateLimits);
  ClampToLimits(config.Modulators[0].SymbolRateKsps, context.shape.SymbolRateLimits);
  config.UsbFileName = NormaliseUsbFileName(panel.UsbFileNameText);
  PrepareForLayout(config, LayoutFor(context.typeCode));

  RecordWriter writer;
  Walk(writer, config, context);
  const QString reason = RefusalReason(writer, context);
  if (!reason.isEmpty()) {
    if (refusal != nullptr) *refusal = reason;
    return false;
  }
  out = writer.Bytes();
  return true;
}

namespace {

// Walks a layout like the writer (every optional item present) and notes each item: where its
// field lies in the model and how it travels.
class ItemRecorder {
 public:
  struct Entry {
    std::ptrdiff_t offset;
    int kind;
    bool operator==(const Entry&) const = default;
  };

  explicit ItemRecorder(const DeviceConfig& config) : m_config(config) {}

  template <class Coding>
  void Item(std::int32_t& field) {
    Note(&field, static_cast<int>(Coding::kWire));
  }
  void Byte(std::int32_t& field) { Item<coding::Byte>(field); }
  void Le16(std::int32_t& field) { Item<coding::Le16>(field); }
  void Le32(std::int32_t& field) { Item<coding::Le32>(field); }
  void Sm16(std::int32_t& field) { Item<coding::Sm16>(field); }
  void Text(const QString& field) { Note(&field, kText); }
  void Header(std::uint8_t) { entries.push_back({-1, kHeader}); }
  static bool Optional() { return true; }
  static void Implied(std::int32_t&, std::int32_t) {}
  static void Implied(QString&, const QString&) {}

  std::vector<Entry> entries;

 private:
  static constexpr int kText = 100;
  static constexpr int kHeader = 101;

  void Note(const void* field, int kind) {
    const auto* base = reinterpret_cast<const char*>(&m_config);
    std::ptrdiff_t offset = static_cast<const char*>(field) - base;
    // The schedule count alone is walked through a clamped copy of the field.
    if (offset < 0 || offset >= static_cast<std::ptrdiff_t>(sizeof(DeviceConfig)))
      offset = reinterpret_cast<const char*>(&m_config.ScheduleCount) - base;
    entries.push_back({offset, kind});
  }

  const DeviceConfig& m_config;
};

}  // namespace

std::size_t DecodedLength(const QByteArray& record, const LayoutContext& context) {
  DeviceConfig scratch;
  PanelState panel;
  if (!DecodeConfigImage(record, context, scratch, panel)) return 0;
  scratch = DeviceConfig{};
  ApplyDecodeDefaults(scratch, context.typeCode, context.mainVersion);
  RecordReader reader(reinterpret_cast<const std::uint8_t*>(record.constData()),
                      static_cast<std::size_t>(record.size()));
  Walk(reader, scratch, context);
  return reader.Failed() ? 0 : reader.Position();
}

QSet<QString> CarriedFieldPaths(const DeviceConfig& config, const LayoutContext& context) {
  DeviceConfig copy = config;
  copy.ScheduleCount = std::clamp(copy.ScheduleCount, 0, kScheduleSlots);
  ItemRecorder recorder(copy);
  Walk(recorder, copy, context);
  QSet<std::ptrdiff_t> offsets;
  for (const ItemRecorder::Entry& entry : recorder.entries) offsets.insert(entry.offset);
  const auto* base = reinterpret_cast<const char*>(&copy);
  QSet<QString> paths;
  const auto note = [&](const QString& path, const auto& field) {
    if (offsets.contains(reinterpret_cast<const char*>(&field) - base)) paths.insert(path);
  };
  VisitFieldPaths(copy, note, note);
  return paths;
}

bool SameRecordLayout(const LayoutContext& a, const LayoutContext& b) {
  if (a.typeCode != b.typeCode || !(a.shape == b.shape)) return false;
  DeviceConfig first;
  DeviceConfig second;
  ItemRecorder one(first);
  ItemRecorder other(second);
  Walk(one, first, a);
  Walk(other, second, b);
  return one.entries == other.entries;
}

}  // namespace ostrivane
