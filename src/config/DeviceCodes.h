#pragma once

#include <cstdint>

namespace ostrivane {

// Device type codes whose records or pages differ from the rest.
inline constexpr std::uint8_t kLegacyType = 121;     // the first model: ".tmc" files, short record
inline constexpr std::uint8_t kSatelliteType = 156;  // DVB-S output
inline constexpr std::uint8_t kMultiFourType = 176;  // four outputs
inline constexpr std::uint8_t kMultiTwoType = 178;   // two outputs
inline constexpr std::uint8_t kFourKType = 192;      // 4K input

// Output modes of a modulator (its Mode field).
inline constexpr std::int32_t kModeIp = 0;
inline constexpr std::int32_t kModeDvbT = 1;
inline constexpr std::int32_t kModeDvbC = 2;
inline constexpr std::int32_t kModeDvbS = 3;

}  // namespace ostrivane
