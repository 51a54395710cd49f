#include "link/CXmit.h"

#include <vector>

namespace ostrivane {

namespace {
constexpr std::size_t kSerialWritePiece = 400;
constexpr std::size_t kReceiveChunk = 1024;
constexpr Millis kReadSlice{100};
constexpr std::size_t kDrainLimit = 16 * kFrameBufferSize;
// A stuffed frame of a whole buffer, its header and checksum.
constexpr std::size_t kReceivedKept = 2 * kFrameBufferSize + 8;
}  // namespace

CXmit::CXmit(Clock& clock, StatusSink& status)
    : m_clock(clock), m_status(status), m_decoder(ReplyData) {}

CXmit::~CXmit() = default;

void CXmit::Attach(std::unique_ptr<Channel> channel) {
  m_channel = std::move(channel);
}

bool CXmit::IsConnected() const {
  return m_channel && m_channel->IsOpen();
}

bool CXmit::HasSerial() const {
  return IsConnected() && m_channel->GetKind() == Channel::Kind::Serial;
}

bool CXmit::HasSocket() const {
  return IsConnected() && m_channel->GetKind() == Channel::Kind::Tcp;
}

void CXmit::CloseSerial() {
  if (m_channel && m_channel->GetKind() == Channel::Kind::Serial) CloseAll();
}

void CXmit::CloseAll() {
  if (m_channel) m_channel->Close();
  m_channel.reset();
}

bool CXmit::Transact(std::uint8_t command, std::span<const std::uint8_t> payload, int timeout) {
  return Run(command, payload, Millis{static_cast<long long>(timeout) * kTimeoutUnitMs});
}

bool CXmit::TransactWriteBlock(std::uint32_t address, std::span<const std::uint8_t> data) {
  WriteIndicator = true;
  std::vector<std::uint8_t> payload;
  payload.reserve(data.size() + 4);
  payload.push_back(0x01);
  payload.push_back(static_cast<std::uint8_t>((address >> 16) & 0xFF));
  payload.push_back(static_cast<std::uint8_t>((address >> 8) & 0xFF));
  payload.push_back(static_cast<std::uint8_t>(address & 0xFF));
  payload.insert(payload.end(), data.begin(), data.end());
  return Run(0xC0, payload, kWriteBlockWait);
}

bool CXmit::Run(std::uint8_t command, std::span<const std::uint8_t> payload, Millis wait) {
  if (!IsConnected() || Interrupted()) {
    if (m_observer) {
      m_observer->OnRefused(
          command, payload,
          IsConnected() ? LinkObserver::Refusal::Cancelled : LinkObserver::Refusal::NotConnected);
    }
    LinkError = true;
    WriteIndicator = false;
    return false;
  }
  // A request that does not fit the transmit buffer is never sent, so it does not flash either.
  if (!EncodeRequest(command, payload, m_transmit)) {
    if (m_observer) m_observer->OnRefused(command, payload, LinkObserver::Refusal::TooLong);
    WriteIndicator = false;
    return false;
  }
  m_status.FlashActivity(WriteIndicator);
  DrainInput();
  // A second attempt only when no checksum-valid frame came back; a refusal is a valid frame. A
  // link that closed under the first one is not tried again: nobody is there to answer.
  bool good = false;
  for (int attempt = 1; attempt <= 2 && !good && m_channel->IsOpen() && !Interrupted(); ++attempt) {
    if (m_observer) m_observer->OnRequest(command, payload, attempt);
    SendRequest();
    good = ReceiveReply(wait);
    NotifyReply(command, good, attempt);
  }
  if (!good) LinkError = true;
  const bool result = good && ReplyStatus == LinkStatus::Accepted;
  WriteIndicator = false;
  return result;
}

void CXmit::DrainInput() {
  // Sockets are drained too: a reply that came late for an earlier attempt would otherwise be
  // taken as the answer to this request. The cap keeps a line that never falls quiet from
  // holding the caller forever.
  std::uint8_t scratch[256];
  std::size_t drained = 0;
  while (drained < kDrainLimit) {
    const std::size_t n = m_channel->Read(scratch, sizeof scratch, Millis{0});
    if (n == 0) break;
    drained += n;
  }
}

void CXmit::SendRequest() {
  if (m_channel->GetKind() == Channel::Kind::Tcp) {
    m_channel->Write(m_transmit.bytes.data(), m_transmit.length);
    return;
  }
  for (std::size_t pos = 0; pos < m_transmit.length; pos += kSerialWritePiece) {
    const std::size_t piece = std::min(kSerialWritePiece, m_transmit.length - pos);
    if (!m_channel->Write(m_transmit.bytes.data() + pos, piece)) return;
  }
}

void CXmit::NotifyReply(std::uint8_t command, bool good, int attempt) {
  if (!m_observer) return;
  using Outcome = LinkObserver::ReplyOutcome;
  const Outcome outcome = good           ? Outcome::Good
                          : m_frameEnded ? Outcome::BadFrame
                                         : Outcome::NoReply;
  m_observer->OnReply(command, outcome, good ? ReplyStatus : LinkStatus::None,
                      good ? Reply() : std::span<const std::uint8_t>(m_received), attempt);
}

bool CXmit::ReceiveReply(Millis wait) {
  m_frameEnded = false;
  m_received.clear();
  const Millis deadline = m_clock.Now() + wait;
  Millis lastTick = m_clock.Now();
  m_decoder.Reset();
  std::uint8_t chunk[kReceiveChunk];
  while (lastTick < deadline && m_channel->IsOpen() && !Interrupted()) {
    lastTick = m_clock.Now();
    Millis remaining = deadline > lastTick ? deadline - lastTick : Millis{0};
    // In slices, so that a cancellation is noticed while waiting.
    remaining = std::min(remaining, kReadSlice);
    const std::size_t n = m_channel->Read(chunk, sizeof chunk, remaining);
    for (std::size_t i = 0; i < n; ++i) {
      // Kept for the observer, so that a frame that does not decode can be looked at.
      if (m_observer && m_received.size() < kReceivedKept) m_received.push_back(chunk[i]);
      const auto result = m_decoder.Feed(chunk[i]);
      if (result == ReplyDecoder::Result::InProgress) continue;
      // Bytes after a complete reply in the same read belong to no request: dropped.
      m_frameEnded = true;
      ReplyStatus = m_decoder.Status();
      ReplyLength = m_decoder.Length();
      return result == ReplyDecoder::Result::GoodFrame;
    }
  }
  return false;
}

}  // namespace ostrivane
