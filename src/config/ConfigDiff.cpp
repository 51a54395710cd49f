#include "config/ConfigDiff.h"

#include "config/ConfigFields.h"

namespace ostrivane {

namespace {

// Every field of a configuration as (key, value) in declaration order, keys as in the JSON form.
class Flattener {
 public:
  void Field(const char* name, std::int32_t& value) { Add(name, value); }
  void Field(const char* name, QString& text) { Add(name, text); }
  template <std::size_t N>
  void Numbers(const char* name, std::array<std::int32_t, N>& values) {
    for (std::size_t i = 0; i < N; ++i)
      entries.append(
          {QStringLiteral("%1%2[%3]").arg(m_prefix, QLatin1String(name)).arg(i), values[i]});
  }
  template <class T, std::size_t N>
  void Slots(const char* name, std::array<T, N>& slots) {
    const QString outer = m_prefix;
    for (std::size_t i = 0; i < N; ++i) {
      m_prefix = QStringLiteral("%1%2[%3].").arg(outer, QLatin1String(name)).arg(i);
      VisitFields(*this, slots[i]);
    }
    m_prefix = outer;
  }

  QList<QPair<QString, QJsonValue>> entries;

 private:
  void Add(const char* name, const QJsonValue& value) {
    entries.append({m_prefix + QLatin1String(name), value});
  }
  QString m_prefix;
};

}  // namespace

QList<QPair<QString, QJsonValue>> FlattenConfig(DeviceConfig config) {
  Flattener flattener;
  VisitFields(flattener, config);
  return flattener.entries;
}

QString ShownValue(const QJsonValue& value) {
  return value.isString() ? QStringLiteral("\"%1\"").arg(value.toString())
                          : QString::number(value.toInteger());
}

QStringList ConfigDiffLines(const DeviceConfig& device, const DeviceConfig& wanted) {
  const auto from = FlattenConfig(device);
  const auto to = FlattenConfig(wanted);
  QStringList lines;
  for (qsizetype i = 0; i < from.size(); ++i)
    if (from[i].second != to[i].second)
      lines << from[i].first + QStringLiteral(": ") + ShownValue(from[i].second) +
                   QStringLiteral(" -> ") + ShownValue(to[i].second);
  return lines;
}

}  // namespace ostrivane
