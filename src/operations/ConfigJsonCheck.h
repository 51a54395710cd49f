#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "config/ConfigJson.h"
#include "config/DeviceConfig.h"
#include "config/RecordShape.h"

namespace ostrivane {

// What a strict reading of a configuration's JSON form found. Errors make the file unusable;
// warnings (missing keys) are reported and the model's defaults fill in.
struct ConfigJsonCheck {
  QStringList errors;
  QStringList warnings;
};

// The configuration a model starts from when a JSON file leaves a field out: the decode defaults
// of its layout and the values the window's pages fall back to.
DeviceConfig ModelDefaults(const LayoutContext& context);

// Empty when a file read from origin may go to a device of context: the same type code, and a
// firmware version whose record is laid out alike; otherwise why not.
QString CheckJsonOrigin(const JsonOrigin& origin, const LayoutContext& context);

// Reads the JSON form for one model. Strict: unknown keys, keys of fields the model's record
// does not carry, values the window would not accept for
// this model (the pages' ranges, text lengths and lists) and characters the device cannot show are
// errors naming the field; the values are checked only where the model's record carries them.
// Lenient: today's reading (missing keys are zero, nothing else checked). False when anything was
// an error; config is then unchanged.
bool ReadConfigJson(const QByteArray& json, const LayoutContext& context, bool strict,
                    DeviceConfig& config, ConfigJsonCheck& check);

// The range, length and character-set rules alone, for a configuration already in memory.
void CheckConfigValues(const DeviceConfig& config, const LayoutContext& context,
                       QStringList& errors);

}  // namespace ostrivane
