#pragma once

#include <QString>
#include <QStringList>
#include <QVector>
#include <cstdint>

#include "config/DeviceConfig.h"
#include "config/RecordShape.h"

namespace ostrivane {

// One number of the model with its path in the JSON form ("Services[2].Lcn").
struct NumberField {
  QString path;
  std::int32_t* value = nullptr;
};

// Every number of config, in the order of the JSON form.
QVector<NumberField> NumberFields(DeviceConfig& config);

// The numbers a field of the model's record keeps, found from the record itself: a value outside
// comes back from encoding and decoding changed (wrapped to the field's width, or clamped).
struct FieldWidth {
  bool carried = false;  // the record holds the field at all
  std::int64_t low = 0;
  std::int64_t high = 0;
};
FieldWidth WidthOf(const DeviceConfig& config, const LayoutContext& context, int field);
// Whether the field's value comes back from the record unchanged.
bool KeepsValue(const DeviceConfig& config, const LayoutContext& context, int field);

// True when the record would keep sent as kept by cutting it to a byte or 16-bit item.
bool StoredWrapped(std::int32_t sent, std::int32_t kept);

enum class WidthCheck {
  Changed,  // every number the record would give back changed (wrapped, clamped or mapped)
  Wrapped,  // only numbers cut to their item's width (lenient reading keeps the other habits)
};
// "Services[0].Lcn: 70000 does not fit the field (0 to 65535)" for every number the record
// carries but would not give back as it is; paths already in skip are left out.
void CheckFieldWidths(const DeviceConfig& config, const LayoutContext& context, QStringList& errors,
                      WidthCheck check, const QStringList& skip = {});

}  // namespace ostrivane
