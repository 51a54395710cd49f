#include "cli/fleet/RackCheck.h"

#include <QJsonArray>
#include <QMap>
#include <cstdlib>
#include <functional>

namespace ostrivane::cli {

namespace {

constexpr int kModeIp = 0;
constexpr int kModeTerrestrial = 1;
constexpr int kModeCable = 2;
constexpr int kModeSatellite = 3;
constexpr int kNarrowestBandwidthKhz = 6000;  // Bandwidth 0: 6 MHz, 1: 7 MHz, 2: 8 MHz

// One thing that must be unique in the rack: whose it is, its values and each value's path.
struct Item {
  QString device;
  QJsonObject values;
  QMap<QString, QString> paths;  // key in values -> field path in the device's configuration
};

using Test = std::function<bool(const QJsonObject&, const QJsonObject&)>;

bool Used(const QString& address) {
  return !address.isEmpty() && address != QStringLiteral("0.0.0.0");
}

// Slot index of array in device, with the device-wide keys copied in beside the slot's own.
QList<Item> SlotItems(const QList<RackDevice>& devices, const QString& array,
                      const QStringList& deviceKeys) {
  QList<Item> items;
  for (const RackDevice& device : devices) {
    const QJsonArray slots = device.config.value(array).toArray();
    const int count = array == QStringLiteral("Modulators") ? device.modulators : device.services;
    for (int i = 0; i < count && i < slots.size(); ++i) {
      Item item{device.name, slots.at(i).toObject(), {}};
      for (auto it = item.values.constBegin(); it != item.values.constEnd(); ++it)
        item.paths.insert(it.key(), QStringLiteral("%1[%2].%3").arg(array).arg(i).arg(it.key()));
      for (const QString& key : deviceKeys) {
        item.values.insert(key, device.config.value(key));
        item.paths.insert(key, key);
      }
      items.append(item);
    }
  }
  return items;
}

QString Shown(const QJsonValue& value) {
  return value.isString() ? value.toString() : QString::number(value.toInteger());
}

ClashSide Side(const Item& item, const QStringList& keys) {
  ClashSide side{item.device, {}};
  for (const QString& key : keys)
    side.fields << item.paths.value(key, key) + u'=' + Shown(item.values.value(key));
  return side;
}

void Pairs(const QList<Item>& items, const QString& what, const QStringList& keys,
           const Test& clash, QList<Clash>& found) {
  for (int i = 0; i < items.size(); ++i)
    for (int j = i + 1; j < items.size(); ++j)
      if (clash(items.at(i).values, items.at(j).values))
        found.append({what, Side(items.at(i), keys), Side(items.at(j), keys)});
}

qint64 Int(const QJsonObject& o, const char* key) {
  return o.value(QLatin1String(key)).toInteger();
}

bool Overlap(const QJsonObject& a, const QJsonObject& b) {
  const qint64 mode = Int(a, "Mode");
  if (mode != Int(b, "Mode")) return false;
  const qint64 fa = Int(a, "FrequencyKhz");
  const qint64 fb = Int(b, "FrequencyKhz");
  // No polarisation is configured: two satellite outputs on one frequency are taken to collide.
  if (mode == kModeSatellite) return fa == fb;
  if (mode != kModeTerrestrial && mode != kModeCable) return false;
  const auto width = [](const QJsonObject& o) {
    return kNarrowestBandwidthKhz + 1000 * Int(o, "Bandwidth");
  };
  return 2 * std::llabs(fa - fb) < width(a) + width(b);
}

// The same values under every key, the last one not zero (zero: not assigned).
Test SameAssigned(const QStringList& keys) {
  return [keys](const QJsonObject& a, const QJsonObject& b) {
    for (const QString& key : keys)
      if (a.value(key) != b.value(key)) return false;
    return a.value(keys.last()).toInteger() != 0;
  };
}

Test SameAddress(const QString& address, const QString& other) {
  return [address, other](const QJsonObject& a, const QJsonObject& b) {
    const QString value = a.value(address).toString();
    return Used(value) && value == b.value(address).toString() &&
           (other.isEmpty() || a.value(other) == b.value(other));
  };
}

QList<Item> DeviceItems(const QList<RackDevice>& devices) {
  QList<Item> items;
  for (const RackDevice& device : devices) {
    // An address taken from DHCP is not the one the record holds.
    if (device.config.value(QStringLiteral("Dhcp")).toInt() != 0) continue;
    const QString key = QStringLiteral("IpAddress");
    items.append({device.name, {{key, device.config.value(key)}}, {{key, key}}});
  }
  return items;
}

}  // namespace

QString Clash::Line() const {
  return QStringLiteral("%1 %2 and %3 %4: %5")
      .arg(first.device, first.fields.join(QStringLiteral(", ")), second.device,
           second.fields.join(QStringLiteral(", ")), what);
}

QJsonObject Clash::Json() const {
  const auto side = [](const ClashSide& s) {
    return QJsonObject{{QStringLiteral("Device"), s.device},
                       {QStringLiteral("Fields"), QJsonArray::fromStringList(s.fields)}};
  };
  return QJsonObject{{QStringLiteral("Clash"), what},
                     {QStringLiteral("First"), side(first)},
                     {QStringLiteral("Second"), side(second)}};
}

QList<Clash> FindClashes(const QList<RackDevice>& devices) {
  const QString onid = QStringLiteral("OriginalNetworkId");
  const QString nid = QStringLiteral("NetworkId");
  QList<Clash> found;
  const QList<Item> outputs = SlotItems(devices, QStringLiteral("Modulators"), {onid});
  QList<Item> onAir;
  for (const Item& item : outputs)
    if (Int(item.values, "Mode") != kModeIp) onAir.append(item);
  Pairs(onAir, QStringLiteral("channels overlap"),
        {QStringLiteral("Mode"), QStringLiteral("FrequencyKhz"), QStringLiteral("Bandwidth")},
        Overlap, found);
  Pairs(outputs, QStringLiteral("same original network id and transport stream id"),
        {onid, QStringLiteral("TsId")}, SameAssigned({onid, QStringLiteral("TsId")}), found);
  const QList<Item> services = SlotItems(devices, QStringLiteral("Services"), {onid, nid});
  Pairs(services, QStringLiteral("same service id in one network"),
        {onid, QStringLiteral("ServiceId")}, SameAssigned({onid, QStringLiteral("ServiceId")}),
        found);
  Pairs(services, QStringLiteral("same LCN in one network"), {nid, QStringLiteral("Lcn")},
        SameAssigned({nid, QStringLiteral("Lcn")}), found);
  Pairs(services, QStringLiteral("same destination address and port"),
        {QStringLiteral("DestAddress"), QStringLiteral("DestPort")},
        SameAddress(QStringLiteral("DestAddress"), QStringLiteral("DestPort")), found);
  Pairs(DeviceItems(devices), QStringLiteral("same IP address"), {QStringLiteral("IpAddress")},
        SameAddress(QStringLiteral("IpAddress"), {}), found);
  return found;
}

}  // namespace ostrivane::cli
