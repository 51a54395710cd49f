#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

namespace ostrivane::cli {

// One device's configuration as read from it (the JSON form of its decoded record) and how many
// outputs and services its model drives; slots beyond those are not on the air.
struct RackDevice {
  QString name;  // inventory NAME or announced identifier
  QJsonObject config;
  int modulators = 1;
  int services = 1;
};

// One side of a clash: a device and the fields (path=value) that collide.
struct ClashSide {
  QString device;
  QStringList fields;  // "Modulators[0].FrequencyKhz=474000"
};

struct Clash {
  QString what;  // "channels overlap", "same (OriginalNetworkId, TsId)", ...
  ClashSide first;
  ClashSide second;

  // "A Modulators[0].FrequencyKhz=474000 and B Modulators[1].FrequencyKhz=476000: channels
  // overlap"
  QString Line() const;
  QJsonObject Json() const;
};

// Every pair of outputs, services or devices of the rack (a device with itself included) that
// would collide on the air or on the network, in the order the devices are given.
QList<Clash> FindClashes(const QList<RackDevice>& devices);

}  // namespace ostrivane::cli
