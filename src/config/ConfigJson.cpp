#include "config/ConfigJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QSet>
#include <cmath>
#include <limits>

#include "config/ConfigCodec.h"
#include "config/ConfigFields.h"

namespace ostrivane {

namespace {

constexpr int kIndentWidth = 4;

QByteArray QuotedJsonString(const QString& text) {
  // QJsonDocument only serialises containers; strip the array brackets around the one string.
  const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
  return array.mid(1, array.size() - 2);
}

// Writes the fields in declaration order; with a filter, only the paths in it, and only the slots
// holding one of them (the slots in use come first, so positions stay).
class JsonWriter {
 public:
  explicit JsonWriter(const QSet<QString>* filter = nullptr) : m_filter(filter) {}

  // origin, when given, is written first: the type code and main version the fields were read with.
  QByteArray Finish(DeviceConfig& config, const LayoutContext* origin = nullptr) {
    OpenObject();
    if (origin != nullptr) {
      Key(kDeviceTypeCodeKey);
      m_text += QByteArray::number(origin->typeCode);
      Key(kFirmwareVersionKey);
      m_text += QByteArray::number(origin->mainVersion);
    }
    VisitFields(*this, config);
    CloseObject();
    m_text += '\n';
    return m_text;
  }

  void Field(const char* name, std::int32_t& value) {
    if (!Wanted(Path(name))) return;
    Key(name);
    m_text += QByteArray::number(value);
  }
  void Field(const char* name, QString& text) {
    if (!Wanted(Path(name))) return;
    Key(name);
    m_text += QuotedJsonString(text);
  }
  template <std::size_t N>
  void Numbers(const char* name, std::array<std::int32_t, N>& values) {
    if (!Wanted(QStringLiteral("%1[0]").arg(Path(name)))) return;
    Key(name);
    m_text += '[';
    for (std::size_t i = 0; i < N; ++i) {
      if (i > 0) m_text += ", ";
      m_text += QByteArray::number(values[i]);
    }
    m_text += ']';
  }
  template <class T, std::size_t N>
  void Slots(const char* name, std::array<T, N>& slots) {
    const QString outer = m_prefix;
    std::size_t count = 0;
    for (std::size_t i = 0; i < N; ++i)
      if (AnyWanted(SlotPrefix(outer, name, i))) count = i + 1;
    if (count == 0) return;
    Key(name);
    m_text += "[\n";
    ++m_depth;
    for (std::size_t i = 0; i < count; ++i) {
      if (i > 0) m_text += ",\n";
      Indent();
      OpenObject();
      m_prefix = SlotPrefix(outer, name, i);
      VisitFields(*this, slots[i]);
      CloseObject();
    }
    m_prefix = outer;
    --m_depth;
    m_text += '\n';
    Indent();
    m_text += ']';
  }

 private:
  static QString SlotPrefix(const QString& outer, const char* name, std::size_t i) {
    return QStringLiteral("%1%2[%3].").arg(outer, QLatin1String(name)).arg(i);
  }
  QString Path(const char* name) const { return m_prefix + QLatin1String(name); }
  bool Wanted(const QString& path) const { return !m_filter || m_filter->contains(path); }
  bool AnyWanted(const QString& prefix) const {
    if (!m_filter) return true;
    for (const QString& path : *m_filter)
      if (path.startsWith(prefix)) return true;
    return false;
  }
  void Indent() { m_text += QByteArray(m_depth * kIndentWidth, ' '); }
  void Key(const char* name) {
    if (!m_firstInObject) m_text += ',';
    m_text += '\n';
    m_firstInObject = false;
    Indent();
    m_text += '"';
    m_text += name;
    m_text += "\": ";
  }
  void OpenObject() {
    m_text += '{';
    ++m_depth;
    m_firstInObject = true;
  }
  void CloseObject() {
    --m_depth;
    m_text += '\n';
    Indent();
    m_text += '}';
    m_firstInObject = false;
  }

  const QSet<QString>* m_filter;
  QString m_prefix;
  QByteArray m_text;
  int m_depth = 0;
  bool m_firstInObject = true;
};

class JsonReader {
 public:
  JsonReader(const QJsonObject& object, QString prefix, QString& error)
      : m_object(object), m_prefix(std::move(prefix)), m_error(error) {}

  void Field(const char* name, std::int32_t& value) {
    if (Present(name)) ReadInteger(m_object.value(QLatin1String(name)), KeyOf(name), value);
  }
  void Field(const char* name, QString& text) {
    if (!Present(name)) return;
    const QJsonValue value = m_object.value(QLatin1String(name));
    if (value.isString()) {
      text = value.toString();
    } else {
      Fail(KeyOf(name), QStringLiteral("expected a text"));
    }
  }
  template <std::size_t N>
  void Numbers(const char* name, std::array<std::int32_t, N>& values) {
    QJsonArray array;
    if (!ArrayOf(name, N, array)) return;
    for (qsizetype i = 0; i < array.size(); ++i) {
      ReadInteger(array.at(i), IndexedKey(name, i), values[static_cast<std::size_t>(i)]);
    }
  }
  template <class T, std::size_t N>
  void Slots(const char* name, std::array<T, N>& slots) {
    QJsonArray array;
    if (!ArrayOf(name, N, array)) return;
    for (qsizetype i = 0; i < array.size() && m_error.isEmpty(); ++i) {
      if (!array.at(i).isObject()) {
        Fail(IndexedKey(name, i), QStringLiteral("expected an object"));
        return;
      }
      JsonReader slot(array.at(i).toObject(), IndexedKey(name, i) + QLatin1Char('.'), m_error);
      VisitFields(slot, slots[static_cast<std::size_t>(i)]);
    }
  }

 private:
  bool Present(const char* name) const {
    return m_error.isEmpty() && m_object.contains(QLatin1String(name));
  }
  QString KeyOf(const char* name) const { return m_prefix + QLatin1String(name); }
  QString IndexedKey(const char* name, qsizetype index) const {
    return QStringLiteral("%1[%2]").arg(KeyOf(name)).arg(index);
  }
  void Fail(const QString& key, const QString& what) {
    if (m_error.isEmpty()) m_error = QStringLiteral("%1: %2").arg(key, what);
  }

  bool ArrayOf(const char* name, std::size_t capacity, QJsonArray& array) {
    if (!Present(name)) return false;
    const QJsonValue value = m_object.value(QLatin1String(name));
    if (!value.isArray() || static_cast<std::size_t>(value.toArray().size()) > capacity) {
      Fail(KeyOf(name), QStringLiteral("expected an array of at most %1 entries").arg(capacity));
      return false;
    }
    array = value.toArray();
    return true;
  }

  void ReadInteger(const QJsonValue& value, const QString& key, std::int32_t& field) {
    if (!m_error.isEmpty()) return;
    const double number = value.toDouble();
    if (!value.isDouble() || !std::isfinite(number) || std::trunc(number) != number) {
      Fail(key, QStringLiteral("expected an integer"));
      return;
    }
    if (number < std::numeric_limits<std::int32_t>::min() ||
        number > std::numeric_limits<std::int32_t>::max()) {
      Fail(key, QStringLiteral("outside the 32-bit integer range"));
      return;
    }
    field = static_cast<std::int32_t>(number);
  }

  QJsonObject m_object;
  QString m_prefix;
  QString& m_error;
};

}  // namespace

QByteArray ConfigToJson(const DeviceConfig& config) {
  DeviceConfig copy = config;  // the field list is walked through non-const references
  return JsonWriter().Finish(copy);
}

QByteArray ConfigToJson(const DeviceConfig& config, const LayoutContext& context) {
  DeviceConfig copy = config;
  const QSet<QString> carried = CarriedFieldPaths(copy, context);
  return JsonWriter(&carried).Finish(copy, &context);
}

bool ReadJsonOrigin(const QByteArray& json, JsonOrigin& origin, QString& error) {
  origin = {};
  const QJsonObject root = QJsonDocument::fromJson(WithoutByteOrderMark(json)).object();
  const auto read = [&](const char* key, int& value) {
    const QJsonValue given = root.value(QLatin1String(key));
    if (given.isUndefined()) return true;
    const double number = given.toDouble(-1);
    if (!given.isDouble() || number < 0 || number > 255 || std::trunc(number) != number) {
      error = QStringLiteral("%1: expected a number from 0 to 255").arg(QLatin1String(key));
      return false;
    }
    value = static_cast<int>(number);
    return true;
  };
  return read(kDeviceTypeCodeKey, origin.typeCode) && read(kFirmwareVersionKey, origin.mainVersion);
}

bool ConfigFromJson(const QByteArray& json, DeviceConfig& config, QString& error) {
  return ConfigFromJson(json, DeviceConfig{}, config, error);
}

QByteArray WithoutByteOrderMark(const QByteArray& json) {
  return json.startsWith("\xEF\xBB\xBF") ? json.mid(3) : json;
}

bool ConfigFromJson(const QByteArray& json, const DeviceConfig& base, DeviceConfig& config,
                    QString& error) {
  error.clear();
  QJsonParseError parseError;
  const QJsonDocument document = QJsonDocument::fromJson(WithoutByteOrderMark(json), &parseError);
  if (parseError.error != QJsonParseError::NoError) {
    error = QStringLiteral("JSON error at offset %1: %2")
                .arg(parseError.offset)
                .arg(parseError.errorString());
    return false;
  }
  if (!document.isObject()) {
    error = QStringLiteral("expected a JSON object");
    return false;
  }
  DeviceConfig parsed = base;
  JsonReader reader(document.object(), QString(), error);
  VisitFields(reader, parsed);
  if (!error.isEmpty()) return false;
  config = std::move(parsed);
  return true;
}

}  // namespace ostrivane
