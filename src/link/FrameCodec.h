#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace ostrivane {

// Status class carried in the high nibble of every reply header.
enum class LinkStatus : std::uint8_t { None = 0x00, Refused = 0xE0, Accepted = 0xF0 };

inline constexpr std::uint8_t kStx = 0x02;
inline constexpr std::size_t kFrameBufferSize = 4096;

// A stuffed request frame, ready for the channel.
struct EncodedFrame {
  std::array<std::uint8_t, kFrameBufferSize> bytes{};
  std::size_t length = 0;
};

// Builds the stuffed request frame for command (high nibble) and payload. Returns false, leaving
// frame empty, when the stuffed frame would not fit the 4096-byte transmit buffer.
bool EncodeRequest(std::uint8_t command, std::span<const std::uint8_t> payload, EncodedFrame& frame);
// Replies share the request layout, with the status in place of the command.
inline bool EncodeReply(LinkStatus status, std::span<const std::uint8_t> payload,
                        EncodedFrame& frame) {
  return EncodeRequest(static_cast<std::uint8_t>(status), payload, frame);
}

// Byte-at-a-time reply decoder. Payload bytes go into the caller's 4096-byte reply buffer; a header
// announcing more than that is a bad frame and nothing is written past the buffer.
class ReplyDecoder {
 public:
  enum class State { Idle, Header, LengthHigh, LengthLow, Payload, Checksum };
  enum class Result { InProgress, GoodFrame, BadFrame };

  // minimumHeader: headers below it are not frames for this side (0xE0 for replies; the
  // simulated device decodes requests with 0x10).
  explicit ReplyDecoder(std::span<std::uint8_t, kFrameBufferSize> replyData,
                        std::uint8_t minimumHeader = 0xE0);

  void Reset();
  Result Feed(std::uint8_t byte);

  LinkStatus Status() const { return m_status; }
  std::uint32_t Length() const { return m_length; }

 private:
  void StartHeader(std::uint8_t header);
  void AfterLength();

  std::span<std::uint8_t, kFrameBufferSize> m_replyData;
  std::uint8_t m_minimumHeader;
  State m_state = State::Idle;
  bool m_stxSeen = false;
  bool m_oversized = false;
  std::uint8_t m_xor = 0;
  std::uint32_t m_index = 0;
  std::uint32_t m_length = 0;
  LinkStatus m_status = LinkStatus::None;
};

}  // namespace ostrivane
