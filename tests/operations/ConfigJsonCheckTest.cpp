// Strict reading of the JSON form: what the window would not accept for a model is refused with
// the field named, and everything a device itself holds still reads back.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <random>

#include "config/ConfigCodec.h"
#include "config/ConfigJson.h"
#include "config/FieldPaths.h"
#include "link/DeviceIdentity.h"
#include "operations/ConfigJsonCheck.h"
#include "operations/FieldWidths.h"
#include "sim/DeviceDefaults.h"

using namespace ostrivane;

namespace {

LayoutContext ContextFor(std::uint8_t type, std::uint8_t main = 20) {
  return LayoutContext{type, main, RecordShape::ForType(type)};
}

// The JSON form of the simulated device's default configuration of this type, as the tool
// writes it.
QJsonObject DeviceJson(std::uint8_t type) {
  DeviceConfig config;
  PanelState panel;
  EXPECT_TRUE(DecodeConfigImage(sim::DefaultConfigRecord(type, 20), ContextFor(type), config, panel,
                                EmptyApplication::KeepEmpty));
  return QJsonDocument::fromJson(ConfigToJson(config, ContextFor(type))).object();
}

// Sets a slot's field, adding empty slots up to index.
void SetSlotField(QJsonObject& root, const char* array, int index, const char* key,
                  const QJsonValue& value) {
  QJsonArray slots = root.value(QLatin1String(array)).toArray();
  while (slots.size() <= index) slots.append(QJsonObject());
  QJsonObject slot = slots.at(index).toObject();
  slot.insert(QLatin1String(key), value);
  slots.replace(index, slot);
  root.insert(QLatin1String(array), slots);
}

QByteArray Encoded(DeviceConfig config, const LayoutContext& context) {
  PanelState panel;
  panel.UsbFileNameText = config.UsbFileName;
  panel.LogoFieldText = config.LogoName;
  QByteArray record;
  EncodeConfigImage(config, panel, context, record);
  return record;
}

ConfigJsonCheck Check(const QJsonObject& root, std::uint8_t type, bool strict = true) {
  DeviceConfig config;
  ConfigJsonCheck check;
  ReadConfigJson(QJsonDocument(root).toJson(), ContextFor(type), strict, config, check);
  return check;
}

bool Mentions(const QStringList& lines, const QString& text) {
  for (const QString& line : lines)
    if (line.contains(text)) return true;
  return false;
}

}  // namespace

TEST(ConfigJsonCheckTest, EveryModelsOwnRecord_ReadsBackStrictlyToTheSameModel) {
  for (unsigned type = 0; type < 256; ++type) {
    if (!IsAcceptedTypeCode(type)) continue;
    const auto code = static_cast<std::uint8_t>(type);
    const QByteArray record = sim::DefaultConfigRecord(code, 20);
    DeviceConfig decoded;
    PanelState panel;
    ASSERT_TRUE(
        DecodeConfigImage(record, ContextFor(code), decoded, panel, EmptyApplication::KeepEmpty))
        << type;
    DeviceConfig read;
    ConfigJsonCheck check;
    ASSERT_TRUE(ReadConfigJson(ConfigToJson(decoded, ContextFor(code)), ContextFor(code), true,
                               read, check))
        << type << ": " << check.errors.join(QStringLiteral("; ")).toStdString();
    EXPECT_TRUE(check.warnings.isEmpty()) << type;
    EXPECT_EQ(Encoded(read, ContextFor(code)), record) << type;
  }
}

TEST(ConfigJsonCheckTest, UnknownKeys_AreErrorsAtEveryLevel) {
  QJsonObject root = DeviceJson(131);
  root.insert(QStringLiteral("NetworkNmae"), QStringLiteral("typo"));
  SetSlotField(root, "Services", 0, "ServiceNmae", QStringLiteral("x"));
  const ConfigJsonCheck check = Check(root, 131);
  EXPECT_TRUE(Mentions(check.errors, QStringLiteral("NetworkNmae: unknown key")));
  EXPECT_TRUE(Mentions(check.errors, QStringLiteral("Services[0].ServiceNmae: unknown key")));
  // Old files keep working without the checks.
  EXPECT_TRUE(Check(root, 131, false).errors.isEmpty());
}

TEST(ConfigJsonCheckTest, MissingKeys_KeepTheModelDefaultsWithAWarning) {
  QJsonObject root = DeviceJson(131);
  root.remove(QStringLiteral("NetworkId"));
  DeviceConfig config;
  ConfigJsonCheck check;
  ASSERT_TRUE(ReadConfigJson(QJsonDocument(root).toJson(), ContextFor(131), true, config, check));
  EXPECT_TRUE(Mentions(check.warnings, QStringLiteral("NetworkId: missing")));
  EXPECT_EQ(config.NetworkId, ModelDefaults(ContextFor(131)).NetworkId);
  EXPECT_NE(config.NetworkId, 0);
}

// One model of each record layout, with the rules that differ between them.
TEST(ConfigJsonCheckTest, ValuesTheWindowWouldNotAccept_NameFieldValueAndRange) {
  struct Case {
    std::uint8_t type;
    const char* array;  // nullptr: a top-level key
    int index;
    const char* key;
    int value;
    const char* expected;
  };
  const Case cases[] = {
      // standard layout
      {131, "Services", 0, "ServiceId", 70000,
       "Services[0].ServiceId: 70000 is outside 0 to 65535"},
      {131, "Services", 0, "Lcn", 0, "Services[0].Lcn: 0 is outside 1 to"},
      {131, "Services", 0, "VideoPid", 31, "Services[0].VideoPid: 31 is outside 32 to"},
      {131, "Services", 0, "VideoBitrateKbps", 16000,
       "VideoBitrateKbps: 16000 is outside 500 to 15000"},
      {131, "Modulators", 0, "FrequencyKhz", 900000,
       "FrequencyKhz: 900000 is outside 47000 to 862000"},
      {131, "Modulators", 0, "Constellation", 3,
       "Modulators[0].Constellation: 3 is outside 0 to 2"},
      {131, nullptr, 0, "NetworkVersion", 33, "NetworkVersion: 33 is outside 0 to 32"},
      // legacy layout: a deeper level range, the MPEG-2 codecs
      {121, "Modulators", 0, "AttenuationDb", 30, "AttenuationDb: 30 is outside 0 to 29"},
      {121, nullptr, 0, "VideoCodec", 3, "VideoCodec: 3 is outside 0 to 2"},
      // 4K layout: no negative audio delay, four stream protocols, H.265
      {192, "Services", 0, "AudioDelayMs", -5, "AudioDelayMs: -5 is outside 0 to 999"},
      {192, nullptr, 0, "StreamProtocol", 4, "StreamProtocol: 4 is outside 0 to 3"},
      {192, nullptr, 0, "VideoCodec", 2, "VideoCodec: 2 is outside 0 to 1"},
      // multi-output layout: the second output and the fourth service count
      {176, "Modulators", 1, "CodeRate", 5, "Modulators[1].CodeRate: 5 is outside 0 to 4"},
      {176, "Services", 3, "AudioPid", 20, "Services[3].AudioPid: 20 is outside 32 to"},
      {142, "Services", 1, "GainPercent", 101, "Services[1].GainPercent: 101 is outside 0 to 100"},
  };
  for (const Case& c : cases) {
    QJsonObject root = DeviceJson(c.type);
    if (c.array)
      SetSlotField(root, c.array, c.index, c.key, c.value);
    else
      root.insert(QLatin1String(c.key), c.value);
    const ConfigJsonCheck check = Check(root, c.type);
    EXPECT_TRUE(Mentions(check.errors, QString::fromUtf8(c.expected)))
        << int(c.type) << " " << c.key << ": "
        << check.errors.join(QStringLiteral("; ")).toStdString();
  }
}

TEST(ConfigJsonCheckTest, FieldsTheModelDoesNotCarry_RefusedStrictlyIgnoredLeniently) {
  struct Case {
    std::uint8_t type;
    const char* array;  // nullptr: a top-level key
    int index;
    const char* key;
    const char* expected;
  };
  const Case cases[] = {
      {131, nullptr, 0, "IpAddress", "IpAddress: UNIT131 (type 131) does not carry this field"},
      {131, "Services", 3, "ServiceId", "Services[3]: UNIT131 (type 131) does not carry this slot"},
      {142, "Services", 0, "AitRootUrl",
       "Services[0].AitRootUrl: UNIT142 (type 142) does not carry this field"},
      {192, "Modulators", 1, "Mode", "Modulators[1]: UNIT192 (type 192) does not carry this slot"},
  };
  for (const Case& c : cases) {
    QJsonObject root = DeviceJson(c.type);
    const QJsonValue value = QString::fromUtf8(c.key).startsWith(QStringLiteral("Ait"))
                                 ? QJsonValue(QStringLiteral("http://x/"))
                                 : QJsonValue(7);
    if (c.array)
      SetSlotField(root, c.array, c.index, c.key, value);
    else
      root.insert(QLatin1String(c.key), QStringLiteral("10.0.0.7"));
    EXPECT_TRUE(Mentions(Check(root, c.type).errors, QString::fromUtf8(c.expected)))
        << Check(root, c.type).errors.join(QStringLiteral("; ")).toStdString();
    EXPECT_TRUE(Check(root, c.type, false).errors.isEmpty()) << c.expected;
  }
}

TEST(ConfigJsonCheckTest, FileOrigin_OtherTypeRefusedOtherFirmwareOnlyWhereTheLayoutDiffers) {
  struct Case {
    int fileType;
    int fileVersion;
    std::uint8_t type;
    std::uint8_t version;
    const char* expected;  // empty: accepted
  };
  const Case cases[] = {
      {-1, -1, 131, 20, ""},  // written before the keys existed
      {131, 20, 131, 20, ""},
      {131, 9, 131, 20, ""},  // an upgrade that kept the layout
      {176, 20, 131, 20, "DeviceTypeCode: the file holds a configuration of UNIT176 (type 176)"},
      {158, 13, 158, 20, "FirmwareVersion: the file was read from firmware version 13"},
      {158, 15, 158, 20, ""},
  };
  for (const Case& c : cases) {
    const QString why = CheckJsonOrigin({c.fileType, c.fileVersion}, ContextFor(c.type, c.version));
    EXPECT_EQ(why.isEmpty(), *c.expected == '\0') << why.toStdString();
    if (*c.expected != '\0') {
      EXPECT_TRUE(why.startsWith(QString::fromUtf8(c.expected))) << why.toStdString();
    }
  }
}

TEST(ConfigJsonCheckTest, TextsTooLongOrOutsideTheCharset_AreErrors) {
  QJsonObject root = DeviceJson(131);
  SetSlotField(root, "Services", 0, "ServiceName", QStringLiteral("Кино"));
  root.insert(QStringLiteral("NetworkName"), QString(40, QLatin1Char('N')));
  const ConfigJsonCheck check = Check(root, 131);
  EXPECT_TRUE(
      Mentions(check.errors, QStringLiteral("Services[0].ServiceName: the character 'К' (U+041a)")))
      << check.errors.join(QStringLiteral("; ")).toStdString();
  EXPECT_TRUE(Mentions(check.errors, QStringLiteral("NetworkName: 40 characters, at most 32")));
  // Accented Latin letters are part of the device's character set.
  root = DeviceJson(131);
  SetSlotField(root, "Services", 0, "ServiceName", QStringLiteral("Télé Ça"));
  EXPECT_TRUE(Check(root, 131).errors.isEmpty());
}

// The configuration as the record of this model gives it back.
DeviceConfig ThroughRecord(DeviceConfig sent, std::uint8_t type) {
  PanelState panel;
  panel.UsbFileNameText = sent.UsbFileName;
  QByteArray record;
  DeviceConfig back;
  PanelState backPanel;
  EXPECT_TRUE(EncodeConfigImage(sent, panel, ContextFor(type), record));
  EXPECT_TRUE(DecodeConfigImage(record, ContextFor(type), back, backPanel));
  return back;
}

// Every number of every model, set just past 16 bits and below zero: read strictly or leniently,
// it is refused naming the field, or the record gives it back unchanged (or ignores it, as a field
// it does not carry). Nothing is stored wrapped.
TEST(ConfigJsonCheckTest, NumbersWiderThanTheirField_RefusedStrictAndLenientNeverWrapped) {
  int refused = 0;
  for (const int code : {121, 131, 176, 192}) {
    const auto type = static_cast<std::uint8_t>(code);
    const QByteArray base = QJsonDocument(DeviceJson(type)).toJson();

    DeviceConfig original;
    QString error;
    ASSERT_TRUE(ConfigFromJson(base, original, error));
    DeviceConfig ignored = ThroughRecord(original, type);
    const QVector<NumberField> fields = NumberFields(original);
    for (int i = 0; i < fields.size(); ++i) {
      // The first slot of each array stands for the others.
      if (fields[i].path.contains(
              QRegularExpression(QStringLiteral("^\\w+\\[([1-9]|\\d\\d)\\]\\."))))
        continue;
      for (const int value : {70000, -1}) {
        for (const bool strict : {true, false}) {
          DeviceConfig config = original;
          *NumberFields(config)[i].value = value;
          DeviceConfig read;
          ConfigJsonCheck check;
          if (!ReadConfigJson(ConfigToJson(config, ContextFor(type)), ContextFor(type), strict,
                              read, check)) {
            refused += Mentions(check.errors, fields[i].path + QStringLiteral(": "));
            continue;
          }
          DeviceConfig back = ThroughRecord(read, type);
          const std::int32_t kept = *NumberFields(back)[i].value;
          // Lenient reading may map a value the way old files were read, never cut it.
          EXPECT_TRUE(kept == value || kept == *NumberFields(ignored)[i].value ||
                      (!strict && !StoredWrapped(value, kept)))
              << int(type) << " " << fields[i].path.toStdString() << " " << value << " stored as "
              << kept << (strict ? " (strict)" : " (lenient)");
        }
      }
    }
  }
  EXPECT_GT(refused, 100);
  // The range named is the one the field holds, not the 32-bit one.
  QJsonObject root = DeviceJson(131);
  SetSlotField(root, "Services", 0, "Lcn", -1);
  EXPECT_TRUE(Mentions(Check(root, 131).errors,
                       QStringLiteral("Services[0].Lcn: -1 is outside 1 to 65535")))
      << Check(root, 131).errors.join(QStringLiteral("; ")).toStdString();
  SetSlotField(root, "Services", 0, "Lcn", 70000);
  EXPECT_TRUE(
      Mentions(Check(root, 131, false).errors,
               QStringLiteral("Services[0].Lcn: 70000 does not fit the field (0 to 65535)")));
}

TEST(ConfigJsonCheckTest, DuplicateKeysRefusedAndByteOrderMarkAccepted_StrictAndLenient) {
  const QByteArray json = QJsonDocument(DeviceJson(131)).toJson();
  QByteArray twice = json;
  twice.replace("\"Lcn\":", "\"Lcn\": 5, \"Lcn\":");  // every service gets it twice
  twice.replace("\"NetworkId\":", "\"NetworkId\": 1, \"NetworkId\":");
  for (const bool strict : {true, false}) {
    DeviceConfig config;
    ConfigJsonCheck check;
    EXPECT_FALSE(ReadConfigJson(twice, ContextFor(131), strict, config, check));
    EXPECT_TRUE(Mentions(check.errors, QStringLiteral("Services[0].Lcn: given more than once")))
        << check.errors.join(QStringLiteral("; ")).toStdString();
    EXPECT_TRUE(Mentions(check.errors, QStringLiteral("NetworkId: given more than once")));
    ConfigJsonCheck marked;
    EXPECT_TRUE(ReadConfigJson("\xEF\xBB\xBF" + json, ContextFor(131), strict, config, marked))
        << marked.errors.join(QStringLiteral("; ")).toStdString();
  }
}

namespace {

// A configuration the window could have sent to this model: every field within the range its
// control accepts, texts of the device's own characters, applications empty half the time.
class RandomConfig {
 public:
  explicit RandomConfig(std::mt19937& random) : m_random(random) {}

  DeviceConfig For(const LayoutContext& context) {
    const std::uint8_t type = context.typeCode;
    DeviceConfig config = ModelDefaults(context);
    const bool application = Int(0, 1) == 1;
    VisitFieldPaths(
        config,
        [&](const QString& path, std::int32_t& value) {
          const auto [low, high] = RangeOf(Leaf(path), context);
          value = Int(low, high);
        },
        [&](const QString& path, QString& text) {
          const QString leaf = Leaf(path);
          const bool ait = leaf.startsWith(QStringLiteral("Ait"));
          text = ait && !application ? QString() : Text(MaxLength(leaf));
        });
    for (ModulatorSettings& m : config.Modulators)
      m.Mode = type == 156 ? 3 : type == 121 ? Int(0, 3) : Int(1, 2);
    if (Int(0, 1) == 1) config.UsbFileName += QStringLiteral(".ts");
    return config;
  }

 private:
  static QString Leaf(const QString& path) { return path.section(u'.', -1).section(u'[', 0, 0); }
  std::int32_t Int(std::int64_t low, std::int64_t high) {
    return static_cast<std::int32_t>(
        std::uniform_int_distribution<std::int64_t>(low, high)(m_random));
  }
  QString Text(int maxLength) {
    static const QString letters =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789 -:/");
    QString text(Int(0, maxLength), u' ');
    for (QChar& ch : text) ch = letters.at(Int(0, letters.size() - 1));
    if (text.startsWith(QStringLiteral("VEVE"))) text[0] = u'W';
    return text;
  }
  static int MaxLength(const QString& leaf) {
    static const QHash<QString, int> lengths = {
        {QStringLiteral("Reference"), 20},     {QStringLiteral("EitEventName"), 40},
        {QStringLiteral("EitEventText"), 100}, {QStringLiteral("AitRootUrl"), 60},
        {QStringLiteral("AitPath"), 60},       {QStringLiteral("AitAppName"), 60},
        {QStringLiteral("IpAddress"), 16},     {QStringLiteral("SubnetMask"), 16},
        {QStringLiteral("Gateway"), 16},       {QStringLiteral("DestAddress"), 16},
        {QStringLiteral("UsbFileName"), 28},   {QStringLiteral("LogoName"), 20}};
    return lengths.value(leaf, 32);
  }
  static std::pair<std::int64_t, std::int64_t> RangeOf(const QString& leaf,
                                                       const LayoutContext& context) {
    const std::uint8_t type = context.typeCode;
    const RecordShape& shape = context.shape;
    static const QHash<QString, std::pair<std::int64_t, std::int64_t>> ranges = {
        {QStringLiteral("Bandwidth"), {0, 2}},
        {QStringLiteral("TransmissionMode"), {0, 1}},
        {QStringLiteral("Constellation"), {0, 2}},
        {QStringLiteral("CodeRate"), {0, 4}},
        {QStringLiteral("GuardInterval"), {0, 3}},
        {QStringLiteral("CableConstellation"), {0, 4}},
        {QStringLiteral("Lcn"), {1, 65535}},
        {QStringLiteral("HdLcn"), {1, 65535}},
        {QStringLiteral("PmtPid"), {32, 65535}},
        {QStringLiteral("VideoPid"), {32, 65535}},
        {QStringLiteral("AudioPid"), {32, 65535}},
        {QStringLiteral("AitPid"), {32, 65535}},
        {QStringLiteral("AudioBitrate"), {0, 3}},
        {QStringLiteral("GainPercent"), {0, 100}},
        {QStringLiteral("AitEnabled"), {0, 1}},
        {QStringLiteral("AitControlCode"), {0, 8}},
        {QStringLiteral("AitOrganisationId"), {0, 0x7FFFFFFF}},
        {QStringLiteral("DefaultCountry"), {0, 6}},
        {QStringLiteral("CountryMirror"), {0, 6}},
        {QStringLiteral("NetworkVersion"), {0, 32}},
        {QStringLiteral("LcnType"), {0, 3}},
        {QStringLiteral("AudioInput"), {0, 1}},
        {QStringLiteral("VideoInput"), {0, 2}},
        {QStringLiteral("StrictCbr"), {0, 1}},
        {QStringLiteral("PcmVolume"), {0, 2}},
        {QStringLiteral("Dhcp"), {0, 1}},
        {QStringLiteral("HardwareType"), {0, 1}},
        {QStringLiteral("AllowVbr"), {0, 1}},
        {QStringLiteral("H264Profile"), {0, 1}},
        {QStringLiteral("Ttl"), {1, 128}},
        {QStringLiteral("ScheduleCount"), {0, 10}},
        {QStringLiteral("StartDate"), {0, 0x7FFFFFFF}},
        {QStringLiteral("StopDate"), {0, 0x7FFFFFFF}},
        {QStringLiteral("StartMinute"), {0, 1439}},
        {QStringLiteral("StopMinute"), {0, 1439}},
        {QStringLiteral("WeekdayMask"), {0, 127}},
        {QStringLiteral("Action"), {0, 1}},
        {QStringLiteral("IrCarrier"), {0, 2}},
        {QStringLiteral("LcnCountry"), {0, 27}},
        {QStringLiteral("OverlayPosition"), {0, 9}},
        {QStringLiteral("OverlayX"), {0, 1000}},
        {QStringLiteral("OverlayY"), {0, 1000}},
        {QStringLiteral("FourKMode"), {0, 1}},
        {QStringLiteral("Hdcp"), {0, 1}},
        {QStringLiteral("CapabilityPlayRecord"), {0, 1}},
        {QStringLiteral("CapabilityInfrared"), {0, 1}},
        {QStringLiteral("Capability4K"), {0, 1}}};
    if (leaf == QStringLiteral("FrequencyKhz"))
      return {shape.FrequencyLimits.minimum, shape.FrequencyLimits.maximum};
    if (leaf == QStringLiteral("SymbolRateKsps"))
      return {shape.SymbolRateLimits.minimum, shape.SymbolRateLimits.maximum};
    if (leaf == QStringLiteral("VideoBitrateKbps"))
      return {shape.VideoBitrateLimits.minimum, shape.VideoBitrateLimits.maximum};
    if (leaf == QStringLiteral("AttenuationDb")) return {0, type == 121 ? 29 : 15};
    if (leaf == QStringLiteral("AudioCodec")) return {0, type == 192 ? 0 : 1};
    if (leaf == QStringLiteral("AudioDelayMs")) return {type == 192 ? 0 : -999, 999};
    if (leaf == QStringLiteral("StreamProtocol")) return {0, type == 192 ? 3 : 1};
    if (leaf == QStringLiteral("VideoCodec")) return {0, type == 192 ? 1 : type == 121 ? 2 : 0};
    return ranges.value(leaf, {0, leaf.contains(QStringLiteral("Opaque")) ? 255 : 65535});
  }

  std::mt19937& m_random;
};

}  // namespace

// Decode then encode through the JSON form gives back every record the window could have sent,
// applications left empty included, for every model and for firmware before and after the
// versions that changed a layout.
TEST(ConfigJsonCheckTest, RandomRecordsOfEveryLayout_ComeBackByteForByteThroughJson) {
  constexpr int kPerModel = 4;
  std::mt19937 random(20);
  RandomConfig make(random);
  int compared = 0;
  for (unsigned type = 0; type < 256; ++type) {
    if (!IsAcceptedTypeCode(type)) continue;
    for (const int version : {13, 20}) {
      const LayoutContext context =
          ContextFor(static_cast<std::uint8_t>(type), static_cast<std::uint8_t>(version));
      for (int n = 0; n < kPerModel; ++n) {
        const QByteArray record = Encoded(make.For(context), context);
        if (record.isEmpty()) continue;  // too long for a record: the encoder refused it
        DeviceConfig decoded;
        PanelState panel;
        ASSERT_TRUE(
            DecodeConfigImage(record, context, decoded, panel, EmptyApplication::KeepEmpty));
        ASSERT_EQ(DecodedLength(record, context), static_cast<std::size_t>(record.size()));
        DeviceConfig read;
        ConfigJsonCheck check;
        ASSERT_TRUE(ReadConfigJson(ConfigToJson(decoded, context), context, true, read, check))
            << type << ": " << check.errors.join(QStringLiteral("; ")).toStdString();
        EXPECT_TRUE(check.warnings.isEmpty())
            << type << ": " << check.warnings.join(u';').toStdString();
        EXPECT_EQ(Encoded(read, context).toHex(' ').toStdString(), record.toHex(' ').toStdString())
            << type << " firmware " << int(version);
        ++compared;
      }
    }
  }
  EXPECT_GT(compared, 200);
}
