#include "cli/fleet/StatusFormats.h"

#include <QJsonArray>
#include <functional>

namespace ostrivane::cli {

namespace {

// A label value with backslash, double quote and line feed escaped.
QString Escaped(QString value) {
  value.replace(u'\\', QStringLiteral("\\\\"));
  value.replace(u'"', QStringLiteral("\\\""));
  value.replace(u'\n', QStringLiteral("\\n"));
  return value;
}

QString Labels(const QString& device, const QList<QPair<QString, QString>>& more = {}) {
  QString labels = QStringLiteral("device=\"%1\"").arg(Escaped(device));
  for (const auto& [name, value] : more)
    labels += QStringLiteral(",%1=\"%2\"").arg(name, Escaped(value));
  return u'{' + labels + u'}';
}

// A gauge family: the series that series(device, add) adds for each device.
using SeriesAdder = std::function<void(const QString& labels, double value)>;
using DeviceSeries = std::function<void(const DeviceScrape&, const SeriesAdder&)>;

void Family(QString& text, const QList<DeviceScrape>& devices, const QString& name,
            const QString& help, const DeviceSeries& series) {
  QString lines;
  for (const DeviceScrape& device : devices)
    series(device, [&](const QString& labels, double value) {
      lines += name + labels + u' ' + QString::number(value, 'g', 15) + u'\n';
    });
  if (lines.isEmpty()) return;
  text += QStringLiteral("# HELP %1 %2\n# TYPE %1 gauge\n").arg(name, help) + lines;
}

QJsonArray Array(const DeviceScrape& device, const char* key) {
  return device.up ? device.status.value(QLatin1String(key)).toArray() : QJsonArray();
}

void PerSlot(const DeviceScrape& device, const char* array, const char* label, const char* key,
             double scale, const SeriesAdder& add) {
  const QJsonArray slots = Array(device, array);
  for (qsizetype i = 0; i < slots.size(); ++i)
    add(Labels(device.name, {{QLatin1String(label), QString::number(i + 1)}}),
        scale * static_cast<double>(slots.at(i).toObject().value(QLatin1String(key)).toInteger()));
}

}  // namespace

QString FormatPrometheus(const QList<DeviceScrape>& devices) {
  QString text;
  Family(text, devices, QStringLiteral("ostrivane_up"),
         QStringLiteral("Whether the device answered (1) or not (0)."),
         [](const DeviceScrape& d, const SeriesAdder& add) { add(Labels(d.name), d.up ? 1 : 0); });
  Family(
      text, devices, QStringLiteral("ostrivane_device_info"),
      QStringLiteral("Model and firmware of the device, always 1."),
      [](const DeviceScrape& d, const SeriesAdder& add) {
        if (!d.up) return;
        const QJsonObject& id = d.identity;
        add(Labels(d.name,
                   {{QStringLiteral("model"), id.value(QStringLiteral("ModelName")).toString()},
                    {QStringLiteral("type_code"),
                     QString::number(id.value(QStringLiteral("DeviceTypeCode")).toInt())},
                    {QStringLiteral("firmware"), id.value(QStringLiteral("Version")).toString()}}),
            1);
      });
  Family(text, devices, QStringLiteral("ostrivane_input_locked"),
         QStringLiteral("Whether the service's HDMI input carries a signal."),
         [](const DeviceScrape& d, const SeriesAdder& add) {
           const QJsonArray inputs = Array(d, "Inputs");
           for (qsizetype i = 0; i < inputs.size(); ++i)
             add(Labels(d.name, {{QStringLiteral("service"), QString::number(i + 1)}}),
                 inputs.at(i).toObject().value(QStringLiteral("InputPresent")).toInt() ? 1 : 0);
         });
  Family(text, devices, QStringLiteral("ostrivane_usb_present"),
         QStringLiteral("Whether a USB medium is plugged into the device."),
         [](const DeviceScrape& d, const SeriesAdder& add) {
           if (d.up)
             add(Labels(d.name), d.status.value(QStringLiteral("UsbPresent")).toInt() ? 1 : 0);
         });
  Family(text, devices, QStringLiteral("ostrivane_output_bitrate_bytes_per_second"),
         QStringLiteral("Bitrate the output carries now, where the model reports it."),
         [](const DeviceScrape& d, const SeriesAdder& add) {
           PerSlot(d, "Bitrates", "output", "BitrateCurrentKbps", 1000.0 / 8, add);
         });
  Family(text, devices, QStringLiteral("ostrivane_output_capacity_bytes_per_second"),
         QStringLiteral("Bitrate the output can carry, where the model reports it."),
         [](const DeviceScrape& d, const SeriesAdder& add) {
           PerSlot(d, "Bitrates", "output", "BitrateCapacity", 1.0 / 8, add);
         });
  return text;
}

QJsonObject ScrapeJson(const QList<DeviceScrape>& devices) {
  QJsonArray list;
  for (const DeviceScrape& d : devices) {
    QJsonObject entry{{QStringLiteral("Device"), d.name}, {QStringLiteral("Up"), d.up}};
    if (d.up) {
      entry.insert(QStringLiteral("Identity"), d.identity);
      entry.insert(QStringLiteral("Status"), d.status);
    }
    list.append(entry);
  }
  return QJsonObject{{QStringLiteral("Devices"), list}};
}

}  // namespace ostrivane::cli
