#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QStringList>
#include <array>
#include <cstdint>

namespace ostrivane::sim {

inline constexpr int kSimServiceSlots = 4;
inline constexpr int kSimModulatorSlots = 2;
inline constexpr std::uint8_t kNoMedium = 255;
inline constexpr int kMaxListedNames = 54;

// Input signal of one service's encoder and the USB player state reported with it.
struct SimServiceStatus {
  std::uint16_t inputPresent = 1;
  std::uint16_t inputLines = 1080;
  std::uint8_t progressive = 0;
  std::uint8_t rate = 50;
  std::uint8_t audioIsAc3 = 0;
  std::uint8_t usbState = 0;  // 0 idle, 1 recording, 2 playing
};

struct SimBitrate {
  std::uint32_t capacityBps = 31668000;
  std::uint32_t currentKbps = 12500;
};

// Everything the status record reports apart from the clock.
struct SimStatusState {
  std::array<SimServiceStatus, kSimServiceSlots> services{};
  std::uint8_t usbMode = 1;  // "---"
  bool usbMediumPresent = true;
  QStringList usbFiles{QStringLiteral("Concert.ts"), QStringLiteral("News.ts")};
  bool overlayPresent = true;
  QStringList overlayFiles{QStringLiteral("logo_top.png")};
  std::array<SimBitrate, kSimModulatorSlots> bitrates{};
};

// Services and modulators whose slots the status record of a type carries.
int StatusServiceCount(std::uint8_t typeCode);
int StatusModulatorCount(std::uint8_t typeCode);

// The reply to the status request. Never longer than 1024 bytes: names that would not fit are
// left out and the count byte says how many follow.
QByteArray BuildStatusRecord(std::uint8_t typeCode, std::uint8_t mainVersion,
                             const SimStatusState& state, const QDateTime& clock);

}  // namespace ostrivane::sim
