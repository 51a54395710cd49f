#pragma once

#include <QByteArray>
#include <QString>

#include "config/DeviceConfig.h"

namespace ostrivane {

// A UTF-8 byte order mark at the start is accepted by every reader of the JSON form.
QByteArray WithoutByteOrderMark(const QByteArray& json);

// One indented JSON object keyed by the DeviceConfig field names in declaration order; the slot
// arrays hold objects keyed the same way, MacAddress is an array of six numbers.
QByteArray ConfigToJson(const DeviceConfig& config);

// Reads what ConfigToJson writes. Missing keys leave their field zero or empty and unknown keys
// are ignored; a value of the wrong type, a fraction or a number outside the 32-bit range fails
// with an error naming the key. On failure config is unchanged.
bool ConfigFromJson(const QByteArray& json, DeviceConfig& config, QString& error);
// The same, with missing keys keeping their value in base instead of zero.
bool ConfigFromJson(const QByteArray& json, const DeviceConfig& base, DeviceConfig& config,
                    QString& error);

}  // namespace ostrivane
