#pragma once

#include <QByteArray>
#include <QString>

#include "config/DeviceConfig.h"
#include "config/RecordShape.h"

namespace ostrivane {

// A UTF-8 byte order mark at the start is accepted by every reader of the JSON form.
QByteArray WithoutByteOrderMark(const QByteArray& json);

// One indented JSON object keyed by the DeviceConfig field names in declaration order; the slot
// arrays hold objects keyed the same way, MacAddress is an array of six numbers.
QByteArray ConfigToJson(const DeviceConfig& config);

// Where a file's configuration was read: the keys the tool writes before the fields.
inline constexpr char kDeviceTypeCodeKey[] = "DeviceTypeCode";
inline constexpr char kFirmwareVersionKey[] = "FirmwareVersion";

// The JSON form as one model's record holds it: the type code and main firmware version it was
// read with, then only the fields the record carries (and only the slots it carries).
QByteArray ConfigToJson(const DeviceConfig& config, const LayoutContext& context);

struct JsonOrigin {
  int typeCode = -1;  // -1: not given (a file written before the keys existed)
  int mainVersion = -1;
};
// The origin keys of json; false with error when one is there but not a byte value.
bool ReadJsonOrigin(const QByteArray& json, JsonOrigin& origin, QString& error);

// Reads what ConfigToJson writes. Missing keys leave their field zero or empty and unknown keys
// are ignored; a value of the wrong type, a fraction or a number outside the 32-bit range fails
// with an error naming the key. On failure config is unchanged.
bool ConfigFromJson(const QByteArray& json, DeviceConfig& config, QString& error);
// The same, with missing keys keeping their value in base instead of zero.
bool ConfigFromJson(const QByteArray& json, const DeviceConfig& base, DeviceConfig& config,
                    QString& error);

}  // namespace ostrivane
