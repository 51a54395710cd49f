// Strict reading of the JSON form: what the window would not accept for a model is refused with
// the field named, and everything a device itself holds still reads back.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include "config/ConfigCodec.h"
#include "config/ConfigJson.h"
#include "link/DeviceIdentity.h"
#include "operations/ConfigJsonCheck.h"
#include "operations/FieldWidths.h"
#include "sim/DeviceDefaults.h"

using namespace ostrivane;

namespace {

LayoutContext ContextFor(std::uint8_t type, std::uint8_t main = 20) {
  return LayoutContext{type, main, RecordShape::ForType(type)};
}

// The JSON form of the simulated device's default configuration of this type.
QJsonObject DeviceJson(std::uint8_t type) {
  DeviceConfig config;
  PanelState panel;
  EXPECT_TRUE(
      DecodeConfigImage(sim::DefaultConfigRecord(type, 20), ContextFor(type), config, panel));
  return QJsonDocument::fromJson(ConfigToJson(config)).object();
}

void SetSlotField(QJsonObject& root, const char* array, int index, const char* key,
                  const QJsonValue& value) {
  QJsonArray slots = root.value(QLatin1String(array)).toArray();
  QJsonObject slot = slots.at(index).toObject();
  slot.insert(QLatin1String(key), value);
  slots.replace(index, slot);
  root.insert(QLatin1String(array), slots);
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
    ASSERT_TRUE(DecodeConfigImage(record, ContextFor(code), decoded, panel)) << type;
    DeviceConfig read;
    ConfigJsonCheck check;
    ASSERT_TRUE(ReadConfigJson(ConfigToJson(decoded), ContextFor(code), true, read, check))
        << type << ": " << check.errors.join(QStringLiteral("; ")).toStdString();
    EXPECT_TRUE(check.warnings.isEmpty()) << type;
    EXPECT_TRUE(read == decoded) << type;
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

TEST(ConfigJsonCheckTest, FieldsTheModelDoesNotCarry_AreNotChecked) {
  // Only the first of a single-service model's slots reaches its record.
  QJsonObject root = DeviceJson(131);
  SetSlotField(root, "Services", 3, "ServiceId", 70000);
  EXPECT_TRUE(Check(root, 131).errors.isEmpty());
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
          if (!ReadConfigJson(ConfigToJson(config), ContextFor(type), strict, read, check)) {
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
    EXPECT_TRUE(Mentions(check.errors, QStringLiteral("Services[1].Lcn: given more than once")))
        << check.errors.join(QStringLiteral("; ")).toStdString();
    EXPECT_TRUE(Mentions(check.errors, QStringLiteral("NetworkId: given more than once")));
    ConfigJsonCheck marked;
    EXPECT_TRUE(ReadConfigJson("\xEF\xBB\xBF" + json, ContextFor(131), strict, config, marked))
        << marked.errors.join(QStringLiteral("; ")).toStdString();
  }
}
