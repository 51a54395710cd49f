#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <span>

namespace ostrivane {

struct ServiceInputStatus {
  std::uint16_t InputPresent = 0;
  std::uint16_t InputLines = 0;
  std::uint8_t InputProgressive = 0;
  std::uint8_t InputRate = 0;
  std::uint8_t AudioIsAc3 = 0;
  std::uint8_t UsbState = 0;  // 1 recording, 2 playing
  bool operator==(const ServiceInputStatus&) const = default;
};

struct DeviceClockTime {
  std::uint16_t year = 0;
  std::uint8_t month = 0, day = 0, hour = 0, minute = 0, second = 0;
  bool operator==(const DeviceClockTime&) const = default;
};

struct OutputBitrate {
  std::uint32_t BitrateCapacity = 0;  // bit/s, 0: no measurement yet
  std::uint32_t BitrateCurrentKbps = 0;
  bool operator==(const OutputBitrate&) const = default;
};

inline constexpr int kMaxStatusNames = 54;

// The reply of the status request.
struct DeviceStatus {
  std::array<ServiceInputStatus, 4> Inputs{};
  std::uint8_t UsbMode = 0;
  std::uint8_t UsbPresent = 0;
  QStringList UsbFiles;
  DeviceClockTime DeviceClock;
  QStringList OverlayFiles;
  std::array<OutputBitrate, 2> Bitrates{};
  // Names joined with "_", for change detection only.
  QString UsbFileList;
  QString OverlayFileList;
  bool operator==(const DeviceStatus&) const = default;
};

// The panel's current and previous status (the previous one drives change detection).
struct DeviceStatusPair {
  DeviceStatus current;
  DeviceStatus previous;
  // Last text handed to the panel's clock field, so that an unchanged time is not rewritten.
  QString ClockText;
  bool operator==(const DeviceStatusPair&) const = default;
};

// Reads the status reply (payload of length L = reply.size(), at most the 4096-byte reply buffer)
// into status. Items past the end of the reply keep their previous values; name lists keep their
// first kMaxStatusNames names. Returns false when the reply ended inside an item.
bool ReadDeviceStatus(std::span<const std::uint8_t> reply, std::uint8_t type, std::uint8_t main,
                      int serviceCount, int modulatorCount, DeviceStatus& status);

// The fields whose change refills the USB page: inputs of all four slots, both name lists,
// UsbPresent and UsbMode. The clock and the bitrates are deliberately left out.
bool SameDisplayedStatus(const DeviceStatus& a, const DeviceStatus& b);
void CopyDisplayedStatus(const DeviceStatus& from, DeviceStatus& to);

}  // namespace ostrivane
