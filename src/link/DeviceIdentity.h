#pragma once

#include <QString>

#include <cstdint>

namespace ostrivane {

struct FirmwareVersion {
  std::uint8_t main = 0;
  std::uint8_t spare = 0;
  std::uint8_t secondary = 0;
  bool operator==(const FirmwareVersion&) const = default;
};

// Identity of the connected modulator; written only by Identify, kept after the device goes away.
struct DeviceIdentity {
  std::uint8_t DeviceTypeCode = 0;
  FirmwareVersion Version;
  // The identifier the device announced itself under, when it was reached through it (names its
  // backups); empty otherwise.
  QString Name;
  bool operator==(const DeviceIdentity&) const = default;
};

// 121, 128, 131..159, 176, 178 and 192 identify a supported device.
constexpr bool IsAcceptedTypeCode(unsigned code) {
  return code == 121 || code == 128 || (code >= 131 && code <= 159) || code == 176 || code == 178 ||
         code == 192;
}

}  // namespace ostrivane
