#include "config/ConfigDiff.h"

#include "config/FieldPaths.h"

namespace ostrivane {

QList<QPair<QString, QJsonValue>> FlattenConfig(DeviceConfig config) {
  QList<QPair<QString, QJsonValue>> entries;
  VisitFieldPaths(
      config, [&](const QString& path, std::int32_t& value) { entries.append({path, value}); },
      [&](const QString& path, QString& text) { entries.append({path, text}); });
  return entries;
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
