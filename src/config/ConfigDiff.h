#pragma once

#include <QJsonValue>
#include <QList>
#include <QPair>
#include <QStringList>

#include "config/DeviceConfig.h"

namespace ostrivane {

// Every field of a configuration as (key, value) in declaration order, keys as in the JSON form.
QList<QPair<QString, QJsonValue>> FlattenConfig(DeviceConfig config);
// A value as the diff shows it: a text quoted, a number as it is.
QString ShownValue(const QJsonValue& value);
// "path: from -> to" for every field that differs, in declaration order.
QStringList ConfigDiffLines(const DeviceConfig& from, const DeviceConfig& to);

}  // namespace ostrivane
