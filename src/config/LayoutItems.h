#pragma once

#include <algorithm>
#include <cstdint>

#include "config/DeviceConfig.h"
#include "config/RecordCodings.h"
#include "config/RecordShape.h"

namespace ostrivane {

// Item groups that several layouts share, written for any Io of RecordIo.h.

// The counts come from the panel; never let them walk past the model's slots.
inline int ServicesInUse(const LayoutContext& context) {
  return std::clamp(context.shape.ServiceCount, 0, kServiceSlots);
}
inline int ModulatorsInUse(const LayoutContext& context) {
  return std::clamp(context.shape.ModulatorCount, 0, kModulatorSlots);
}

// An item that is read only while the record lasts; when it has ended the field gets absentValue.
template <class Coding, class Io>
void GuardedItem(Io& io, std::int32_t& field, std::int32_t absentValue) {
  if (io.Optional()) {
    io.template Item<Coding>(field);
  } else {
    io.Implied(field, absentValue);
  }
}

template <class Io>
void GuardedText(Io& io, QString& field, const QString& absentValue) {
  if (io.Optional()) {
    io.Text(field);
  } else {
    io.Implied(field, absentValue);
  }
}

template <class Coding, class Io>
void GuardedItemOrKeep(Io& io, std::int32_t& field) {
  if (io.Optional()) io.template Item<Coding>(field);
}

template <class Io>
void WalkMacAddress(Io& io, DeviceConfig& config) {
  for (std::int32_t& byte : config.MacAddress) io.Byte(byte);
}

template <class Io>
void WalkScheduleEntry(Io& io, ScheduleEntry& entry) {
  io.Le32(entry.StartDate);
  io.Le16(entry.StartMinute);
  io.Le32(entry.StopDate);
  io.Le16(entry.StopMinute);
  io.Byte(entry.WeekdayMask);
  io.Byte(entry.Action);
  io.Text(entry.FileName);
}

// The count byte and its entries. A count beyond the ten slots keeps the first ten entries and
// still steps over the rest, so the items after the block stay in place.
template <class Io>
void WalkSchedule(Io& io, DeviceConfig& config) {
  std::int32_t count = std::clamp(config.ScheduleCount, 0, kScheduleSlots);
  io.Byte(count);
  config.ScheduleCount = std::min(count, kScheduleSlots);
  for (std::int32_t i = 0; i < count; ++i) {
    if (i < kScheduleSlots) {
      WalkScheduleEntry(io, config.Schedule[static_cast<std::size_t>(i)]);
    } else {
      ScheduleEntry skipped;
      WalkScheduleEntry(io, skipped);
    }
  }
}

}  // namespace ostrivane
