#include "link/Commands.h"

#include <array>
#include <vector>

#include "link/CXmit.h"

namespace ostrivane {

namespace {

constexpr std::size_t kSizeFieldBytes = 4;

// Sub-operation byte followed by the encoded path in one text payload; empty when it does not fit.
std::span<const std::uint8_t> BuildPathPayload(std::array<std::uint8_t, kTextPayloadSize>& buffer,
                                               std::uint8_t subOperation, const QString& path) {
  buffer[0] = subOperation;
  const int written = EncodeDeviceText(path, std::span<std::uint8_t>(buffer).subspan(1));
  if (written < 0) return {};
  return std::span<const std::uint8_t>(buffer).first(1 + static_cast<std::size_t>(written));
}

}  // namespace

int EncodeDeviceText(const QString& text, std::span<std::uint8_t> destination) {
  const auto length = static_cast<std::size_t>(text.size());
  if (length + 1 > destination.size()) return -1;
  for (std::size_t i = 0; i < length; ++i) {
    // Only the low byte of each UTF-16 unit goes out: the device knows no other encoding.
    destination[i] = static_cast<std::uint8_t>(text.at(static_cast<qsizetype>(i)).unicode() & 0xFF);
  }
  destination[length] = 0x00;
  return static_cast<int>(length + 1);
}

std::int64_t OpenDeviceFileForRead(CXmit& link, const QString& remotePath) {
  std::array<std::uint8_t, kTextPayloadSize> buffer{};
  const auto payload = BuildPathPayload(buffer, sub::FileOpenRead, remotePath);
  if (payload.empty()) return -1;
  if (!link.Transact(cmd::FileTransfer, payload, timeout::Short)) return -1;
  const auto reply = link.Reply();
  // A reply too short to hold a size says nothing about the file.
  if (reply.size() < kSizeFieldBytes) return -1;
  const std::uint32_t raw =
      static_cast<std::uint32_t>(reply[0]) | (static_cast<std::uint32_t>(reply[1]) << 8) |
      (static_cast<std::uint32_t>(reply[2]) << 16) | (static_cast<std::uint32_t>(reply[3]) << 24);
  // The size travels as a signed 32-bit value: all bits set reads as the failure value -1, and no
  // file of 2 GiB or more is plausible, so such sizes read negative and callers skip them.
  return static_cast<std::int32_t>(raw);
}

bool OpenDeviceFileForWrite(CXmit& link, const QString& remotePath) {
  std::array<std::uint8_t, kTextPayloadSize> buffer{};
  const auto payload = BuildPathPayload(buffer, sub::FileOpenWrite, remotePath);
  if (payload.empty()) return false;
  link.WriteIndicator = true;
  return link.Transact(cmd::FileTransfer, payload, timeout::Short);
}

bool FlashBegin(CXmit& link, std::uint16_t area) {
  const std::array<std::uint8_t, 3> payload{sub::FlashBegin, static_cast<std::uint8_t>(area & 0xFF),
                                            static_cast<std::uint8_t>(area >> 8)};
  return link.Transact(cmd::Flash, payload, timeout::Normal);
}

bool FlashWrite(CXmit& link, std::span<const std::uint8_t> data) {
  if (data.size() > kFlashBlockSize) return false;
  std::vector<std::uint8_t> payload;
  payload.reserve(1 + data.size());
  payload.push_back(sub::FlashData);
  payload.insert(payload.end(), data.begin(), data.end());
  return link.Transact(cmd::Flash, payload, timeout::Long);
}

bool FlashEnd(CXmit& link) {
  const std::array<std::uint8_t, 1> payload{sub::FlashEnd};
  return link.Transact(cmd::Flash, payload, timeout::Long);
}

bool RunDeviceCommand(CXmit& link, const QString& commandLine) {
  std::array<std::uint8_t, kTextPayloadSize> buffer{};
  const int written = EncodeDeviceText(commandLine, buffer);
  if (written < 0) return false;
  link.WriteIndicator = true;
  return link.Transact(
      cmd::RunCommandLine,
      std::span<const std::uint8_t>(buffer).first(static_cast<std::size_t>(written)),
      timeout::Long);
}

}  // namespace ostrivane
