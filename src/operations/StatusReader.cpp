#include <algorithm>
#include <cstddef>
#include <optional>

#include "config/DeviceCharset.h"
#include "operations/DeviceStatus.h"

namespace ostrivane {

namespace {

constexpr std::size_t kServiceItemSize = 8;
constexpr std::size_t kClockItemSize = 7;
constexpr std::size_t kBitrateItemSize = 8;
constexpr std::uint8_t kNoMedium = 255;
constexpr std::uint8_t kOverlayType = 192;
constexpr std::uint8_t kOverlayMinMainVersion = 15;
constexpr int kMaxServiceSlots =
    static_cast<int>(std::tuple_size_v<decltype(DeviceStatus::Inputs)>);
constexpr int kMaxBitrateSlots =
    static_cast<int>(std::tuple_size_v<decltype(DeviceStatus::Bitrates)>);
const QString kNameSeparator = QStringLiteral("_");

std::uint16_t Le16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

std::uint32_t Le32(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
         (static_cast<std::uint32_t>(b[at + 2]) << 16) |
         (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

// Walks the reply. Once an item does not fit, the cursor is exhausted: nothing after a truncated
// item is trusted, so later items keep their previous values.
class StatusCursor {
 public:
  explicit StatusCursor(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

  bool AtEnd() const { return m_truncated || m_pos >= m_bytes.size(); }
  bool Truncated() const { return m_truncated; }

  std::optional<std::span<const std::uint8_t>> Take(std::size_t n) {
    if (AtEnd() || m_bytes.size() - m_pos < n) {
      m_truncated = true;
      return std::nullopt;
    }
    const auto item = m_bytes.subspan(m_pos, n);
    m_pos += n;
    return item;
  }

  // A text runs to its zero byte; one cut off by the end of the reply is kept as far as it came.
  std::optional<QString> Text() {
    if (AtEnd()) {
      m_truncated = true;
      return std::nullopt;
    }
    QString text;
    while (m_pos < m_bytes.size() && m_bytes[m_pos] != 0) {
      text.append(DeviceCharset::Decode(m_bytes[m_pos++]));
    }
    if (m_pos < m_bytes.size()) {
      ++m_pos;
    } else {
      m_truncated = true;
    }
    return text;
  }

 private:
  std::span<const std::uint8_t> m_bytes;
  std::size_t m_pos = 0;
  bool m_truncated = false;
};

// Names beyond the limit are read past so that the items after them stay in step.
QStringList ReadNames(StatusCursor& cursor, int count) {
  QStringList names;
  for (int i = 0; i < count; ++i) {
    const auto name = cursor.Text();
    if (!name) break;
    if (names.size() < kMaxStatusNames) names.append(*name);
  }
  return names;
}

void ReadInputs(StatusCursor& cursor, int serviceCount, DeviceStatus& status) {
  const int slots = std::clamp(serviceCount, 0, kMaxServiceSlots);
  for (int i = 0; i < slots; ++i) {
    const auto b = cursor.Take(kServiceItemSize);
    if (!b) return;
    ServiceInputStatus& in = status.Inputs[static_cast<std::size_t>(i)];
    in.InputPresent = Le16(*b, 0);
    in.InputLines = Le16(*b, 2);
    in.InputProgressive = (*b)[4];
    in.InputRate = (*b)[5];
    in.AudioIsAc3 = (*b)[6];
    in.UsbState = (*b)[7];
  }
}

void ReadUsbFiles(StatusCursor& cursor, DeviceStatus& status) {
  const auto count = cursor.Take(1);
  if (!count) return;
  if ((*count)[0] == kNoMedium) {
    status.UsbPresent = 0;
    status.UsbFiles.clear();
    return;
  }
  status.UsbPresent = 1;
  status.UsbFiles = ReadNames(cursor, (*count)[0]);
}

void ReadClock(StatusCursor& cursor, DeviceStatus& status) {
  if (cursor.AtEnd()) return;
  const auto b = cursor.Take(kClockItemSize);
  if (!b) return;
  status.DeviceClock = DeviceClockTime{Le16(*b, 0), (*b)[2], (*b)[3], (*b)[4], (*b)[5], (*b)[6]};
}

void ReadOverlayFiles(StatusCursor& cursor, std::uint8_t type, std::uint8_t main,
                      DeviceStatus& status) {
  if (type != kOverlayType || main < kOverlayMinMainVersion) {
    status.OverlayFiles.clear();
    return;
  }
  if (cursor.AtEnd()) return;
  const auto count = cursor.Take(1);
  if (!count) return;
  if ((*count)[0] == kNoMedium) {
    status.OverlayFiles.clear();
    return;
  }
  status.UsbPresent = 1;
  status.OverlayFiles = ReadNames(cursor, (*count)[0]);
}

void ReadBitrates(StatusCursor& cursor, int modulatorCount, DeviceStatus& status) {
  if (cursor.AtEnd()) return;
  const int slots = std::clamp(modulatorCount, 0, kMaxBitrateSlots);
  for (int m = 0; m < slots; ++m) {
    const auto b = cursor.Take(kBitrateItemSize);
    if (!b) return;
    status.Bitrates[static_cast<std::size_t>(m)] = OutputBitrate{Le32(*b, 0), Le32(*b, 4)};
  }
}

bool HasUsbMode(std::uint8_t type) {
  return type != 121 && type != 128;
}

}  // namespace

bool ReadDeviceStatus(std::span<const std::uint8_t> reply, std::uint8_t type, std::uint8_t main,
                      int serviceCount, int modulatorCount, DeviceStatus& status) {
  StatusCursor cursor(reply);
  ReadInputs(cursor, serviceCount, status);
  if (HasUsbMode(type)) {
    if (const auto mode = cursor.Take(1)) status.UsbMode = (*mode)[0];
  } else {
    status.UsbMode = 0;
  }
  ReadUsbFiles(cursor, status);
  ReadClock(cursor, status);
  ReadOverlayFiles(cursor, type, main, status);
  ReadBitrates(cursor, modulatorCount, status);
  status.UsbFileList = status.UsbFiles.join(kNameSeparator);
  status.OverlayFileList = status.OverlayFiles.join(kNameSeparator);
  return !cursor.Truncated();
}

bool SameDisplayedStatus(const DeviceStatus& a, const DeviceStatus& b) {
  return a.Inputs == b.Inputs && a.UsbFileList == b.UsbFileList &&
         a.OverlayFileList == b.OverlayFileList && a.UsbPresent == b.UsbPresent &&
         a.UsbMode == b.UsbMode;
}

void CopyDisplayedStatus(const DeviceStatus& from, DeviceStatus& to) {
  to.Inputs = from.Inputs;
  to.UsbFiles = from.UsbFiles;
  to.UsbFileList = from.UsbFileList;
  to.OverlayFiles = from.OverlayFiles;
  to.OverlayFileList = from.OverlayFileList;
  to.UsbPresent = from.UsbPresent;
  to.UsbMode = from.UsbMode;
}

}  // namespace ostrivane
