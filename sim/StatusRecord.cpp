#include "sim/StatusRecord.h"

#include <algorithm>

namespace ostrivane::sim {

namespace {

constexpr qsizetype kStatusRecordMax = 1024;
constexpr qsizetype kClockSize = 7;
constexpr qsizetype kBitratePairSize = 8;
constexpr qsizetype kServiceStatusSize = 8;
constexpr std::uint8_t kOverlayMinMain = 15;

void PutByte(QByteArray& out, unsigned value) {
  out.append(static_cast<char>(value & 0xFF));
}

void PutLe16(QByteArray& out, unsigned value) {
  PutByte(out, value);
  PutByte(out, value >> 8);
}

void PutLe32(QByteArray& out, std::uint32_t value) {
  PutLe16(out, value & 0xFFFF);
  PutLe16(out, value >> 16);
}

// Device texts are one byte per character; anything a byte cannot carry becomes a full stop, and
// an embedded zero would end the name early, so it goes too.
QByteArray DeviceText(const QString& text) {
  QByteArray bytes;
  for (const QChar c : text) {
    if (c.unicode() == 0) continue;
    bytes.append(c.unicode() > 0xFF ? '.' : static_cast<char>(c.unicode()));
  }
  bytes.append('\0');
  return bytes;
}

// Writes the count byte and as many names as the budget allows.
void PutNameList(QByteArray& out, bool present, const QStringList& names, qsizetype& budget) {
  if (!present) {
    PutByte(out, kNoMedium);
    return;
  }
  const qsizetype countAt = out.size();
  PutByte(out, 0);
  int count = 0;
  for (const QString& name : names) {
    if (count == kMaxListedNames) break;
    const QByteArray text = DeviceText(name);
    if (text.size() > budget) break;
    out.append(text);
    budget -= text.size();
    ++count;
  }
  out[countAt] = static_cast<char>(count);
}

void PutClock(QByteArray& out, const QDateTime& clock) {
  const QDate date = clock.date();
  const QTime time = clock.time();
  PutLe16(out, static_cast<unsigned>(std::max(date.year(), 0)));
  PutByte(out, static_cast<unsigned>(date.month()));
  PutByte(out, static_cast<unsigned>(date.day()));
  PutByte(out, static_cast<unsigned>(time.hour()));
  PutByte(out, static_cast<unsigned>(time.minute()));
  PutByte(out, static_cast<unsigned>(time.second()));
}

}  // namespace

int StatusServiceCount(std::uint8_t typeCode) {
  switch (typeCode) {
    case 176:
      return 4;
    case 142:
    case 154:
    case 157:
    case 178:
      return 2;
    default:
      return 1;
  }
}

int StatusModulatorCount(std::uint8_t typeCode) {
  if (typeCode == 176) return 2;
  return typeCode == 178 ? 1 : 0;
}

QByteArray BuildStatusRecord(std::uint8_t typeCode, std::uint8_t mainVersion,
                             const SimStatusState& state, const QDateTime& clock) {
  const int services = StatusServiceCount(typeCode);
  const int modulators = StatusModulatorCount(typeCode);
  const bool hasUsbMode = typeCode != 121 && typeCode != 128;
  const bool hasOverlays = typeCode == 192 && mainVersion >= kOverlayMinMain;
  const qsizetype fixed = services * kServiceStatusSize + (hasUsbMode ? 1 : 0) + 1 + kClockSize +
                          (hasOverlays ? 1 : 0) + modulators * kBitratePairSize;
  qsizetype budget = kStatusRecordMax - fixed;

  QByteArray out;
  for (int i = 0; i < services; ++i) {
    const SimServiceStatus& s = state.services[static_cast<std::size_t>(i)];
    PutLe16(out, s.inputPresent);
    PutLe16(out, s.inputLines);
    PutByte(out, s.progressive);
    PutByte(out, s.rate);
    PutByte(out, s.audioIsAc3);
    PutByte(out, s.usbState);
  }
  if (hasUsbMode) PutByte(out, state.usbMode);
  PutNameList(out, state.usbMediumPresent, state.usbFiles, budget);
  PutClock(out, clock);
  if (hasOverlays) PutNameList(out, state.overlayPresent, state.overlayFiles, budget);
  for (int m = 0; m < modulators; ++m) {
    PutLe32(out, state.bitrates[static_cast<std::size_t>(m)].capacityBps);
    PutLe32(out, state.bitrates[static_cast<std::size_t>(m)].currentKbps);
  }
  return out;
}

}  // namespace ostrivane::sim
