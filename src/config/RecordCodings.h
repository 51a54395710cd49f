#pragma once

#include <cstdint>

#include "config/DeviceCodes.h"

namespace ostrivane {

// How an item travels on the wire. Multi-byte items are little-endian.
enum class Wire { Byte, Le16, Le32 };

// A coding turns the raw wire value of one item into a model value and back. The writer keeps
// only the low bits of Encode's result that fit the wire item.
namespace coding {

template <Wire W>
struct Plain {
  static constexpr Wire kWire = W;
  static std::int32_t Decode(std::uint32_t raw) { return static_cast<std::int32_t>(raw); }
  static std::uint32_t Encode(std::int32_t value) { return static_cast<std::uint32_t>(value); }
};

using Byte = Plain<Wire::Byte>;
using Le16 = Plain<Wire::Le16>;
using Le32 = Plain<Wire::Le32>;

// Sign and magnitude: bit 15 is the sign, so 0x8005 is -5.
struct Sm16 {
  static constexpr Wire kWire = Wire::Le16;
  static constexpr std::uint32_t kSignBit = 0x8000;
  static std::int32_t Decode(std::uint32_t raw) {
    const auto magnitude = static_cast<std::int32_t>(raw & (kSignBit - 1));
    return (raw & kSignBit) != 0 ? -magnitude : magnitude;
  }
  static std::uint32_t Encode(std::int32_t value) {
    if (value >= 0) return static_cast<std::uint32_t>(value);
    return static_cast<std::uint32_t>(-static_cast<std::int64_t>(value)) | kSignBit;
  }
};

// The multi-output devices store 1 for AAC-LC, the model keeps 0 for it.
struct InvertedCodec {
  static constexpr Wire kWire = Wire::Byte;
  static std::int32_t Decode(std::uint32_t raw) { return 1 - static_cast<std::int32_t>(raw); }
  static std::uint32_t Encode(std::int32_t value) {
    return static_cast<std::uint32_t>(1 - static_cast<std::int64_t>(value));
  }
};

// Bandwidth in kHz on the wire (6000, 7000, 8000), a list index in the model.
struct BandwidthKhz {
  static constexpr Wire kWire = Wire::Le16;
  static constexpr std::int32_t kLowestMhz = 6;
  static constexpr std::int32_t kKhzPerMhz = 1000;
  static std::int32_t Decode(std::uint32_t raw) {
    return static_cast<std::int32_t>(raw) / kKhzPerMhz - kLowestMhz;
  }
  static std::uint32_t Encode(std::int32_t value) {
    return static_cast<std::uint32_t>((static_cast<std::int64_t>(value) + kLowestMhz) * kKhzPerMhz);
  }
};

// Signed symbols per second on the wire, kS/s in the model (truncated toward zero).
struct SymbolRateSps {
  static constexpr Wire kWire = Wire::Le32;
  static constexpr std::int32_t kPerKilo = 1000;
  static std::int32_t Decode(std::uint32_t raw) {
    return static_cast<std::int32_t>(raw) / kPerKilo;
  }
  static std::uint32_t Encode(std::int32_t value) {
    return static_cast<std::uint32_t>(static_cast<std::int64_t>(value) * kPerKilo);
  }
};

// Bits per second on the wire, a list index (128, 192, 256, 320 kb/s) in the model.
struct AudioBitrateBps {
  static constexpr Wire kWire = Wire::Le32;
  static constexpr std::uint32_t kRates[] = {128000, 192000, 256000, 320000};
  static constexpr std::int32_t kHighest = 3;
  static std::int32_t Decode(std::uint32_t raw) {
    for (std::int32_t index = 0; index < kHighest; ++index) {
      if (raw == kRates[index]) return index;
    }
    return kHighest;
  }
  static std::uint32_t Encode(std::int32_t value) {
    return value >= 0 && value < kHighest ? kRates[value] : kRates[kHighest];
  }
};

// One byte standing for the output mode: set means DVB-C, clear means DVB-T. The 4K and multi
// devices set it for everything but DVB-T...
struct DvbcFlagUnlessDvbt {
  static constexpr Wire kWire = Wire::Byte;
  static std::int32_t Decode(std::uint32_t raw) { return raw != 0 ? kModeDvbC : kModeDvbT; }
  static std::uint32_t Encode(std::int32_t mode) { return mode != kModeDvbT ? 1U : 0U; }
};

// ...the standard devices only for DVB-C.
struct DvbcFlagWhenDvbc {
  static constexpr Wire kWire = Wire::Byte;
  static std::int32_t Decode(std::uint32_t raw) { return DvbcFlagUnlessDvbt::Decode(raw); }
  static std::uint32_t Encode(std::int32_t mode) { return mode == kModeDvbC ? 1U : 0U; }
};

// Types 158 and 159 number their LCN countries from the "---" entry: byte 0 is list item 27.
struct ShiftedLcnCountry {
  static constexpr Wire kWire = Wire::Byte;
  static constexpr std::int32_t kShift = 27;
  static std::int32_t Decode(std::uint32_t raw) {
    return static_cast<std::int32_t>((raw + kShift) & 0xFF);
  }
  static std::uint32_t Encode(std::int32_t value) {
    return static_cast<std::uint32_t>(static_cast<std::int64_t>(value) - kShift);
  }
};

}  // namespace coding
}  // namespace ostrivane
