#pragma once

#include <QString>
#include <cstdint>
#include <optional>

#include "common/Prompts.h"
#include "link/DeviceIdentity.h"

namespace ostrivane {

// Everything derived from the type code alone. The module holds no state: callers pass the code
// (and the main version byte where a rule needs it) of the identity they work with.

// How a secondary (programmable-logic) version byte V is written in messages.
enum class SecondaryVersionFormat {
  Tenths,  // V/10 "." V%10
  Whole,   // V
};

inline constexpr int kSecondaryBlockSize = 512;

// Flash transfer parameters of one type code. Areas are the area numbers of FlashBegin.
struct FirmwareUpgradeProfile {
  // Absent for type 121, which is programmed through the 0xC0 sequence instead of flash areas.
  std::optional<std::uint16_t> mainStartArea;
  bool mainHeader = false;   // 8-byte image header record before the image
  bool mainTrailer = false;  // 4-byte checksum record after the image
  int mainBlockSize = 512;
  // Absent when the type has no secondary image (121).
  std::optional<std::uint16_t> secondaryStartArea;
  int secondarySkip = 0;  // leading image bytes that are not sent (0 or 16)
  std::optional<std::uint16_t> secondaryVersionArea;
  SecondaryVersionFormat secondaryVersionFormat = SecondaryVersionFormat::Whole;
};

// Model name ("UNIT142"). An unknown code shows "UNDEFINED VALUE" / "ERROR" and yields "", which
// matches no firmware image.
QString ModelName(unsigned typeCode, Prompts& prompts);
// Secondary image family; "FWFAMNONE" for every code without a family of its own.
QString FirmwareFamilyName(unsigned typeCode);
// Profile row of an accepted type code; nothing for any other code.
std::optional<FirmwareUpgradeProfile> UpgradeProfile(unsigned typeCode);

// 121 and 132: the main version byte holds major*10+minor.
bool UsesDecimalVersion(unsigned typeCode);
bool HasUsbPlayRecord(unsigned typeCode);
bool HasAudioDelay(unsigned typeCode, unsigned mainVersion);
bool HasDvbC(unsigned typeCode);

// "1.2" for decimal-version types, otherwise the plain number.
QString FormatMainVersion(unsigned typeCode, unsigned mainVersion);
// By the profile's format; codes without a secondary image give the plain number.
QString FormatSecondaryVersion(unsigned typeCode, unsigned secondaryVersion);
// Version part of the window title: main/10 "." main%10 for decimal-version types, otherwise
// main "." secondary.
QString FormatTitleVersion(const DeviceIdentity& identity);

}  // namespace ostrivane
