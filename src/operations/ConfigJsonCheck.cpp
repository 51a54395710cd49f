#include "operations/ConfigJsonCheck.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <functional>

#include "config/ConfigCodec.h"
#include "config/ConfigJson.h"
#include "config/DeviceCharset.h"
#include "config/DeviceCodes.h"
#include "config/FieldPaths.h"
#include "operations/Capabilities.h"
#include "operations/FieldWidths.h"
#include "operations/ModelTable.h"

namespace ostrivane {

namespace {

constexpr std::int64_t kLe16Max = 65535;
constexpr std::int64_t kFieldMax = 0x7FFFFFFF;
constexpr std::int64_t kMinPid = 32;
constexpr std::int32_t kFirstServedProtocol = 2;
constexpr std::int64_t kMinutesPerDay = 24 * 60;

// "UNIT131 (type 131)"; a code no model answers to is named by its number alone.
QString ModelOf(std::uint8_t type) {
  NullPrompts silent;
  const QString name = ModelName(type, silent);
  return name.isEmpty() ? QStringLiteral("type %1").arg(type)
                        : QStringLiteral("%1 (type %2)").arg(name).arg(type);
}

// The keys of the JSON form against the fields the model's record carries: a key of no field is
// unknown, a field of another model is refused, a carried field left out is a warning.
class KeyCheck {
 public:
  KeyCheck(const DeviceConfig& config, const LayoutContext& context, ConfigJsonCheck& check)
      : m_carried(CarriedFieldPaths(config, context)),
        m_model(ModelOf(context.typeCode)),
        m_check(check) {
    DeviceConfig scratch;
    VisitFieldPaths(
        scratch, [&](const QString& path, std::int32_t&) { m_all.insert(path); },
        [&](const QString& path, QString&) { m_all.insert(path); });
  }

  void Object(const QJsonObject& object, const QString& prefix) {
    for (const QString& key : object.keys()) {
      const QString path = prefix + key;
      if (prefix.isEmpty() &&
          (key == QLatin1String(kDeviceTypeCodeKey) || key == QLatin1String(kFirmwareVersionKey)))
        continue;
      if (!AnyUnder(m_all, path)) {
        m_check.errors << QStringLiteral("%1: unknown key").arg(path);
      } else if (!AnyUnder(m_carried, path)) {
        m_check.errors << QStringLiteral("%1: %2 does not carry this field").arg(path, m_model);
      } else if (object.value(key).isArray() && !object.value(key).toArray().isEmpty() &&
                 object.value(key).toArray().first().isObject()) {
        Slots(object.value(key).toArray(), path);
      }
    }
    QStringList missing;
    for (const QString& path : m_carried) {
      if (!path.startsWith(prefix)) continue;
      const QString key = TopKeyOf(path.mid(prefix.size()));
      if (!key.contains(u'.') && !object.contains(key) && !missing.contains(prefix + key))
        missing << prefix + key;
    }
    missing.sort();
    for (const QString& key : missing)
      m_check.warnings << QStringLiteral("%1: missing, the model's default is kept").arg(key);
  }

 private:
  void Slots(const QJsonArray& array, const QString& path) {
    for (qsizetype i = 0; i < array.size(); ++i) {
      const QString slot = QStringLiteral("%1[%2]").arg(path).arg(i);
      if (!AnyUnder(m_carried, slot + u'.')) {
        m_check.errors << QStringLiteral("%1: %2 does not carry this slot").arg(slot, m_model);
        continue;
      }
      Object(array.at(i).toObject(), slot + u'.');
    }
  }
  // Whether one of paths is key itself or lies below it.
  static bool AnyUnder(const QSet<QString>& paths, const QString& key) {
    if (paths.contains(key)) return true;
    for (const QString& path : paths)
      if (path.startsWith(key) && (key.endsWith(u'.') || path.at(key.size()) == u'[')) return true;
    return false;
  }

  QSet<QString> m_carried;
  QSet<QString> m_all;
  QString m_model;
  ConfigJsonCheck& m_check;
};

// Keys given twice in one object ("Services[2].Lcn"): a JSON reader would silently keep the last.
// The text has already parsed, so only strings, nesting and key positions matter.
QStringList DuplicateKeys(const QByteArray& json) {
  struct Level {
    bool object = false;
    QString prefix;  // objects end it with ".", arrays do not
    QSet<QString> keys;
    QString lastKey;
    int index = 0;  // arrays: the element being read
  };
  QVector<Level> levels;
  QStringList duplicates;
  for (qsizetype i = 0; i < json.size(); ++i) {
    const char c = json[i];
    if (c == '{' || c == '[') {
      QString prefix;
      if (!levels.isEmpty()) {
        const Level& up = levels.last();
        prefix = up.object ? up.prefix + up.lastKey
                           : QStringLiteral("%1[%2]").arg(up.prefix).arg(up.index);
      }
      if (c == '{' && !prefix.isEmpty()) prefix += u'.';
      levels.append({c == '{', prefix, {}, {}, 0});
    } else if ((c == '}' || c == ']') && !levels.isEmpty()) {
      levels.removeLast();
    } else if (c == ',' && !levels.isEmpty() && !levels.last().object) {
      ++levels.last().index;
    } else if (c == '"') {
      qsizetype end = i + 1;
      while (end < json.size() && json[end] != '"') end += json[end] == '\\' ? 2 : 1;
      qsizetype next = end + 1;
      while (next < json.size() && QChar::isSpace(json[next])) ++next;
      if (next < json.size() && json[next] == ':' && !levels.isEmpty() && levels.last().object) {
        Level& here = levels.last();
        here.lastKey = QString::fromUtf8(json.mid(i + 1, end - i - 1));
        if (here.keys.contains(here.lastKey)) duplicates << here.prefix + here.lastKey;
        here.keys.insert(here.lastKey);
      }
      i = end;
    }
  }
  return duplicates;
}

// Applies the window's rules to a working copy. A rule only counts where the model's record
// carries the field: two probe values that encode to the same record mean it does not.
class ValueRules {
 public:
  ValueRules(const DeviceConfig& config, const LayoutContext& context, QStringList& errors)
      : m_work(config), m_context(context), m_errors(errors) {}

  DeviceConfig& Work() { return m_work; }
  std::uint8_t Type() const { return m_context.typeCode; }

  // The window's range for the field, narrowed to what the record's item can hold.
  void Range(const QString& key, std::int32_t& field, std::int64_t low, std::int64_t high) {
    const int index = IndexOf(field);
    if (field >= low && field <= high && KeepsValue(m_work, m_context, index)) return;
    const FieldWidth width = WidthOf(m_work, m_context, index);
    if (!width.carried &&
        !Carried(field, static_cast<std::int32_t>(low), static_cast<std::int32_t>(high)))
      return;
    if (width.carried) {
      low = std::max(low, width.low);
      high = std::min(high, width.high);
    }
    m_errors << QStringLiteral("%1: %2 is outside %3 to %4").arg(key).arg(field).arg(low).arg(high);
    m_reported << NumberFields(m_work)[index].path;
  }
  const QStringList& Reported() const { return m_reported; }
  void Within(const QString& key, std::int32_t& field, const Limits& limits) {
    Range(key, field, limits.minimum, limits.maximum);
  }
  void Text(const QString& key, QString& field, int maxLength) {
    const QString original = field;
    if (original.size() > maxLength && CarriedText(field)) {
      m_errors << QStringLiteral("%1: %2 characters, at most %3 are kept")
                      .arg(key)
                      .arg(original.size())
                      .arg(maxLength);
    }
    for (const QChar ch : original) {
      if (DeviceCharset::Encode(ch) != DeviceCharset::kFullStop || ch == QLatin1Char('.')) continue;
      if (!CarriedText(field)) return;
      m_errors << QStringLiteral(
                      "%1: the character '%2' (U+%3) is not in the device's "
                      "character set")
                      .arg(key, QString(ch))
                      .arg(ch.unicode(), 4, 16, QLatin1Char('0'));
      return;
    }
  }

 private:
  QByteArray Encoded() {
    DeviceConfig copy = m_work;
    PanelState panel;
    panel.UsbFileNameText = copy.UsbFileName;
    panel.LogoFieldText = copy.LogoName;
    QByteArray record;
    EncodeConfigImage(copy, panel, m_context, record);
    return record;
  }
  int IndexOf(const std::int32_t& field) {
    const QVector<NumberField> fields = NumberFields(m_work);
    for (int i = 0; i < fields.size(); ++i)
      if (fields[i].value == &field) return i;
    return -1;
  }
  bool Carried(std::int32_t& field, std::int32_t low, std::int32_t high) {
    const std::int32_t original = field;
    field = low;
    const QByteArray atLow = Encoded();
    field = low == high ? low + 1 : high;
    const QByteArray atHigh = Encoded();
    field = original;
    return atLow != atHigh;
  }
  bool CarriedText(QString& field) {
    const QString original = field;
    field = QString();
    const QByteArray empty = Encoded();
    field = QStringLiteral("A");
    const QByteArray one = Encoded();
    field = original;
    return empty != one;
  }

  DeviceConfig m_work;
  const LayoutContext& m_context;
  QStringList& m_errors;
  QStringList m_reported;
};

QString SlotKey(const char* array, int index, const char* field) {
  return QStringLiteral("%1[%2].%3").arg(QLatin1String(array)).arg(index).arg(QLatin1String(field));
}

void CheckOutput(ValueRules& rules, int m, const RecordShape& shape) {
  ModulatorSettings& out = rules.Work().Modulators[static_cast<std::size_t>(m)];
  const auto key = [m](const char* field) { return SlotKey("Modulators", m, field); };
  const std::uint8_t type = rules.Type();
  rules.Range(key("Mode"), out.Mode, kModeIp, kModeDvbS);
  rules.Range(key("TsId"), out.TsId, 0, kLe16Max);
  const bool terrestrial = out.Mode == kModeDvbT;
  const bool cable = out.Mode == kModeDvbC;
  const bool satellite = out.Mode == kModeDvbS;
  if (out.Mode != kModeIp) {
    rules.Within(key("FrequencyKhz"), out.FrequencyKhz, shape.FrequencyLimits);
    rules.Range(key("AttenuationDb"), out.AttenuationDb, 0, type == kLegacyType ? 29 : 15);
  }
  if (terrestrial || cable) rules.Range(key("Bandwidth"), out.Bandwidth, 0, 2);
  if (terrestrial) {
    rules.Range(key("Constellation"), out.Constellation, 0, 2);
    rules.Range(key("TransmissionMode"), out.TransmissionMode, 0, 1);
    rules.Range(key("GuardInterval"), out.GuardInterval, 0, 3);
  }
  if (cable) rules.Range(key("CableConstellation"), out.CableConstellation, 0, 4);
  if (cable || satellite)
    rules.Within(key("SymbolRateKsps"), out.SymbolRateKsps, shape.SymbolRateLimits);
  if (terrestrial || satellite) rules.Range(key("CodeRate"), out.CodeRate, 0, 4);
  // The IP destination of output m lives in service entry m.
  const bool streaming = out.Mode == kModeIp || type == kFourKType;
  ServiceSettings& destination = rules.Work().Services[static_cast<std::size_t>(m)];
  if (streaming && rules.Work().StreamProtocol < kFirstServedProtocol) {
    rules.Text(SlotKey("Services", m, "DestAddress"), destination.DestAddress, 16);
    rules.Range(SlotKey("Services", m, "DestPort"), destination.DestPort, 0, kLe16Max);
  }
}

void CheckService(ValueRules& rules, int s, const LayoutContext& context) {
  ServiceSettings& svc = rules.Work().Services[static_cast<std::size_t>(s)];
  const auto key = [s](const char* field) { return SlotKey("Services", s, field); };
  const std::uint8_t type = context.typeCode;
  rules.Range(key("ServiceId"), svc.ServiceId, 0, kLe16Max);
  rules.Text(key("ServiceName"), svc.ServiceName, 32);
  if (type != kSatelliteType) rules.Range(key("Lcn"), svc.Lcn, 1, kFieldMax);
  rules.Range(key("PmtPid"), svc.PmtPid, kMinPid, kFieldMax);
  rules.Range(key("VideoPid"), svc.VideoPid, kMinPid, kFieldMax);
  rules.Range(key("AudioPid"), svc.AudioPid, kMinPid, kFieldMax);
  rules.Within(key("VideoBitrateKbps"), svc.VideoBitrateKbps, context.shape.VideoBitrateLimits);
  if (HasGainField(type)) rules.Range(key("GainPercent"), svc.GainPercent, 0, 100);
  if (HasAudioDelay(type, context.mainVersion))
    rules.Range(key("AudioDelayMs"), svc.AudioDelayMs, type == kFourKType ? 0 : -999, 999);
  rules.Range(key("AudioBitrate"), svc.AudioBitrate, 0, 3);
  rules.Range(key("AudioCodec"), svc.AudioCodec, 0, type == kFourKType ? 0 : 1);
  if (type == kLegacyType) {
    rules.Text(key("EitEventName"), svc.EitEventName, 40);
    rules.Text(key("EitEventText"), svc.EitEventText, 100);
  }
  // One application, carried by the first service, and only edited while it is switched on.
  if (HasAit(type) && s == 0 && svc.AitEnabled != 0) {
    rules.Range(key("AitEnabled"), svc.AitEnabled, 0, 1);
    rules.Range(key("AitPid"), svc.AitPid, kMinPid, kFieldMax);
    rules.Text(key("AitAppName"), svc.AitAppName, 60);
    rules.Text(key("AitRootUrl"), svc.AitRootUrl, 60);
    rules.Text(key("AitPath"), svc.AitPath, 60);
  }
}

void CheckSchedule(ValueRules& rules) {
  DeviceConfig& c = rules.Work();
  rules.Range(QStringLiteral("ScheduleCount"), c.ScheduleCount, 0, kScheduleSlots);
  for (int i = 0; i < std::clamp(c.ScheduleCount, 0, kScheduleSlots); ++i) {
    ScheduleEntry& e = c.Schedule[static_cast<std::size_t>(i)];
    rules.Range(SlotKey("Schedule", i, "StartMinute"), e.StartMinute, 0, kMinutesPerDay - 1);
    rules.Range(SlotKey("Schedule", i, "StopMinute"), e.StopMinute, 0, kMinutesPerDay - 1);
    rules.Range(SlotKey("Schedule", i, "WeekdayMask"), e.WeekdayMask, 0, 127);
    rules.Range(SlotKey("Schedule", i, "Action"), e.Action, 0, 1);
    rules.Text(SlotKey("Schedule", i, "FileName"), e.FileName, 32);
  }
}

void CheckSystem(ValueRules& rules, const LayoutContext& context) {
  DeviceConfig& c = rules.Work();
  const std::uint8_t type = context.typeCode;
  rules.Text(QStringLiteral("Reference"), c.Reference, 20);
  rules.Text(QStringLiteral("NetworkName"), c.NetworkName, 32);
  rules.Range(QStringLiteral("NetworkVersion"), c.NetworkVersion, 0, 32);
  rules.Range(QStringLiteral("NetworkId"), c.NetworkId, 0, kLe16Max);
  rules.Range(QStringLiteral("OriginalNetworkId"), c.OriginalNetworkId, 0, kLe16Max);
  if (HasLcnCountry(type)) rules.Range(QStringLiteral("LcnCountry"), c.LcnCountry, 0, 27);
  rules.Range(QStringLiteral("StreamProtocol"), c.StreamProtocol, 0, type == kFourKType ? 3 : 1);
  rules.Range(QStringLiteral("VideoCodec"), c.VideoCodec, 0,
              type == kFourKType    ? 1
              : type == kLegacyType ? 2
                                    : 0);
  rules.Range(QStringLiteral("HardwareType"), c.HardwareType, 0, 1);
  rules.Range(QStringLiteral("Dhcp"), c.Dhcp, 0, 1);
  bool anyIp = false;
  for (int m = 0; m < context.shape.ModulatorCount; ++m)
    anyIp |= c.Modulators[static_cast<std::size_t>(m)].Mode == kModeIp;
  if (anyIp) rules.Range(QStringLiteral("Ttl"), c.Ttl, 1, 128);
  if (type == kLegacyType && c.Dhcp == 0) {
    rules.Text(QStringLiteral("IpAddress"), c.IpAddress, 16);
    rules.Text(QStringLiteral("SubnetMask"), c.SubnetMask, 16);
    rules.Text(QStringLiteral("Gateway"), c.Gateway, 16);
  }
  for (int i = 0; i < 6; ++i) {
    rules.Range(QStringLiteral("MacAddress[%1]").arg(i), c.MacAddress[static_cast<std::size_t>(i)],
                0, 255);
  }
  if (HasUsbPlayRecord(type)) {
    rules.Text(QStringLiteral("UsbFileName"), c.UsbFileName, 32);
    CheckSchedule(rules);
  }
  rules.Text(QStringLiteral("OverlayFile"), c.OverlayFile, 32);
  rules.Range(QStringLiteral("OverlayPosition"), c.OverlayPosition, 0, 9);
  rules.Range(QStringLiteral("OverlayX"), c.OverlayX, 0, 1000);
  rules.Range(QStringLiteral("OverlayY"), c.OverlayY, 0, 1000);
}

}  // namespace

DeviceConfig ModelDefaults(const LayoutContext& context) {
  DeviceConfig config;
  ApplyDecodeDefaults(config, context.typeCode, context.mainVersion);
  for (ModulatorSettings& m : config.Modulators) {
    m.Mode = context.typeCode == kSatelliteType ? kModeDvbS : kModeDvbT;
    m.TsId = 8442;
    m.FrequencyKhz = static_cast<std::int32_t>(context.shape.FrequencyLimits.fallback);
    m.SymbolRateKsps = static_cast<std::int32_t>(context.shape.SymbolRateLimits.fallback);
  }
  for (ServiceSettings& s : config.Services) {
    s.ServiceId = 100;
    s.Lcn = 801;
    s.PmtPid = 32;
    s.VideoPid = 33;
    s.AudioPid = 34;
    s.AitPid = 100;
    s.DestPort = 5004;
    s.VideoBitrateKbps = static_cast<std::int32_t>(context.shape.VideoBitrateLimits.fallback);
    s.GainPercent = 100;
  }
  config.HdLcn = 1;
  config.NetworkId = 100;
  config.OriginalNetworkId = 8442;
  config.NetworkVersion = 1;
  config.Ttl = 128;
  return config;
}

QString CheckJsonOrigin(const JsonOrigin& origin, const LayoutContext& context) {
  if (origin.typeCode >= 0 && origin.typeCode != context.typeCode)
    return QStringLiteral("%1: the file holds a configuration of %2, not of %3")
        .arg(QLatin1String(kDeviceTypeCodeKey), ModelOf(static_cast<std::uint8_t>(origin.typeCode)),
             ModelOf(context.typeCode));
  if (origin.mainVersion < 0 || origin.mainVersion == context.mainVersion) return {};
  LayoutContext read = context;
  read.mainVersion = static_cast<std::uint8_t>(origin.mainVersion);
  if (SameRecordLayout(read, context)) return {};
  return QStringLiteral(
             "%1: the file was read from firmware version %2, whose record for %3 is laid out "
             "differently from version %4's")
      .arg(QLatin1String(kFirmwareVersionKey))
      .arg(origin.mainVersion)
      .arg(ModelOf(context.typeCode))
      .arg(context.mainVersion);
}

void CheckConfigValues(const DeviceConfig& config, const LayoutContext& context,
                       QStringList& errors) {
  ValueRules rules(config, context, errors);
  for (int m = 0; m < std::min(context.shape.ModulatorCount, kModulatorSlots); ++m)
    CheckOutput(rules, m, context.shape);
  for (int s = 0; s < std::min(context.shape.ServiceCount, kServiceSlots); ++s)
    CheckService(rules, s, context);
  CheckSystem(rules, context);
  CheckFieldWidths(config, context, errors, WidthCheck::Changed, rules.Reported());
}

bool ReadConfigJson(const QByteArray& json, const LayoutContext& context, bool strict,
                    DeviceConfig& config, ConfigJsonCheck& check) {
  DeviceConfig parsed;
  QString error;
  const DeviceConfig base = strict ? ModelDefaults(context) : DeviceConfig{};
  if (!ConfigFromJson(json, base, parsed, error)) {
    check.errors << error;
    return false;
  }
  for (const QString& key : DuplicateKeys(WithoutByteOrderMark(json)))
    check.errors << QStringLiteral("%1: given more than once").arg(key);
  if (strict) {
    KeyCheck(parsed, context, check)
        .Object(QJsonDocument::fromJson(WithoutByteOrderMark(json)).object(), QString());
    CheckConfigValues(parsed, context, check.errors);
  } else {
    // Lenient reading keeps old files' habits, never a number bent to fit its field.
    CheckFieldWidths(parsed, context, check.errors, WidthCheck::Wrapped);
  }
  if (!check.errors.isEmpty()) return false;
  config = std::move(parsed);
  return true;
}

}  // namespace ostrivane
