#include "link/FrameCodec.h"

namespace ostrivane {

namespace {

class StuffingWriter {
 public:
  explicit StuffingWriter(EncodedFrame& frame) : m_frame(frame) {}

  bool Emit(std::uint8_t byte, bool checksummed = true) {
    if (checksummed) m_xor ^= byte;
    if (!Append(byte)) return false;
    return byte != kStx || Append(byte);
  }
  bool Append(std::uint8_t byte) {
    if (m_frame.length >= m_frame.bytes.size()) return false;
    m_frame.bytes[m_frame.length++] = byte;
    return true;
  }
  std::uint8_t Xor() const { return m_xor; }

 private:
  EncodedFrame& m_frame;
  std::uint8_t m_xor = 0;
};

}  // namespace

bool EncodeRequest(std::uint8_t command, std::span<const std::uint8_t> payload, EncodedFrame& frame) {
  frame.length = 0;
  StuffingWriter out(frame);
  const std::size_t n = payload.size();
  bool ok = out.Append(kStx);
  if (n <= 3) {
    ok = ok && out.Emit(static_cast<std::uint8_t>(command | n));
  } else if (n <= 255) {
    ok = ok && out.Emit(static_cast<std::uint8_t>(command | 0x04)) &&
         out.Emit(static_cast<std::uint8_t>(n));
  } else if (n <= 0xFFFF) {
    ok = ok && out.Emit(static_cast<std::uint8_t>(command | 0x08)) &&
         out.Emit(static_cast<std::uint8_t>(n >> 8)) && out.Emit(static_cast<std::uint8_t>(n & 0xFF));
  } else {
    ok = false;
  }
  for (std::size_t i = 0; ok && i < n; ++i) ok = out.Emit(payload[i]);
  ok = ok && out.Emit(out.Xor(), false);
  if (!ok) frame.length = 0;
  return ok;
}

ReplyDecoder::ReplyDecoder(std::span<std::uint8_t, kFrameBufferSize> replyData,
                           std::uint8_t minimumHeader)
    : m_replyData(replyData), m_minimumHeader(minimumHeader) {}

void ReplyDecoder::Reset() {
  m_state = State::Idle;
  m_stxSeen = false;
  m_oversized = false;
  m_xor = 0;
  m_index = 0;
}

void ReplyDecoder::StartHeader(std::uint8_t header) {
  if (header < m_minimumHeader) {
    m_state = State::Idle;
    return;
  }
  m_xor = header;
  m_status = static_cast<LinkStatus>(header & 0xF0);
  m_length = header & 0x03;
  m_index = 0;
  m_oversized = false;
  if (header & 0x08) {
    m_state = State::LengthHigh;
  } else if (header & 0x04) {
    m_state = State::LengthLow;
  } else {
    m_state = m_length == 0 ? State::Checksum : State::Payload;
  }
}

void ReplyDecoder::AfterLength() {
  m_oversized = m_length > kFrameBufferSize;
  m_state = m_length == 0 ? State::Checksum : State::Payload;
}

ReplyDecoder::Result ReplyDecoder::Feed(std::uint8_t byte) {
  if (m_stxSeen) {
    m_stxSeen = false;
    if (byte != kStx) m_state = State::Header;
  } else if (byte == kStx) {
    m_stxSeen = true;
    return Result::InProgress;
  }
  m_xor ^= byte;
  switch (m_state) {
    case State::Idle:
      break;
    case State::Header:
      StartHeader(byte);
      break;
    case State::LengthHigh:
      m_length += 256u * byte;
      m_state = State::LengthLow;
      break;
    case State::LengthLow:
      m_length += byte;
      AfterLength();
      break;
    case State::Payload:
      // An oversized frame is still consumed to its end so that it fails as one bad frame.
      if (!m_oversized) m_replyData[m_index] = byte;
      if (++m_index == m_length) m_state = State::Checksum;
      break;
    case State::Checksum:
      m_state = State::Idle;
      return (m_xor == 0 && !m_oversized) ? Result::GoodFrame : Result::BadFrame;
  }
  return Result::InProgress;
}

}  // namespace ostrivane
