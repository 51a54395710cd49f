#pragma once

#include <cstddef>
#include <cstdint>

namespace ostrivane {

// Every buffer that holds a configuration record has this size.
inline constexpr std::size_t kConfigImageMax = 1024;

enum class RecordLayout { LegacyLayout, FourKLayout, MultiLayout, StandardLayout };

RecordLayout LayoutFor(std::uint8_t typeCode);

struct Limits {
  std::uint32_t minimum = 0;
  std::uint32_t maximum = 0;
  std::uint32_t fallback = 0;  // the default
  // Inclusive range test on the value taken as unsigned.
  bool Contains(std::int32_t value) const {
    const auto v = static_cast<std::uint32_t>(value);
    return v >= minimum && v <= maximum;
  }
  bool operator==(const Limits&) const = default;
};

// Counts and limits that the panel owns but that fix the shape of the record.
struct RecordShape {
  int ServiceCount = 1;
  int ModulatorCount = 1;
  Limits FrequencyLimits{47000, 862000, 474000};
  Limits SymbolRateLimits{2000, 6960, 6875};
  Limits VideoBitrateLimits{500, 15000, 9000};

  static RecordShape ForType(std::uint8_t typeCode);
  bool operator==(const RecordShape&) const = default;
};

// What the codec needs to know about the connected device.
struct LayoutContext {
  std::uint8_t typeCode = 0;
  std::uint8_t mainVersion = 0;
  RecordShape shape;
};

}  // namespace ostrivane
