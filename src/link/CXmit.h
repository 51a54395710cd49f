#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <span>

#include "common/Clock.h"
#include "common/StatusSink.h"
#include "link/Channel.h"
#include "link/FrameCodec.h"

namespace ostrivane {

// Timeouts of Transact are counted in units of 5 ms per attempt.
inline constexpr int kTimeoutUnitMs = 5;
inline constexpr Millis kWriteBlockWait{25000};

// Sees every frame the link sends and what came back, e.g. to write a trace for a support case.
// Called on the thread that runs the transaction; attempt is 1 or 2.
class LinkObserver {
 public:
  enum class ReplyOutcome { Good, BadFrame, NoReply };
  virtual ~LinkObserver() = default;
  virtual void OnRequest(std::uint8_t command, std::span<const std::uint8_t> payload,
                         int attempt) = 0;
  // status and payload are meaningful for a Good reply only.
  virtual void OnReply(std::uint8_t command, ReplyOutcome outcome, LinkStatus status,
                       std::span<const std::uint8_t> payload, int attempt) = 0;
};

// The one link object: owns the open channel and runs every request/reply transaction.
class CXmit {
 public:
  CXmit(Clock& clock, StatusSink& status);
  virtual ~CXmit();
  CXmit(const CXmit&) = delete;
  CXmit& operator=(const CXmit&) = delete;

  // Command with payload; timeout in 5 ms units per attempt, two attempts. True only for a
  // checksum-valid reply with status Accepted; its payload is in ReplyData/ReplyLength.
  bool Transact(std::uint8_t command, std::span<const std::uint8_t> payload, int timeout);
  // 0xC0/1: firmware block for type 121 at a 24-bit big-endian offset, 25 s per attempt.
  bool TransactWriteBlock(std::uint32_t address, std::span<const std::uint8_t> data);

  // Channel management (ConnectDevice, the connection loop, Reset).
  void Attach(std::unique_ptr<Channel> channel);
  bool IsConnected() const;
  bool HasSerial() const;
  bool HasSocket() const;
  void CloseSerial();
  void CloseAll();
  const Channel* CurrentChannel() const { return m_channel.get(); }
  // Any thread: while set, requests fail at once as if nothing were connected. Closing the window
  // uses it to end a running operation after its current request.
  void SetCancelled(bool cancelled) { m_cancelled.store(cancelled); }
  // nullptr: nobody watches. The observer must outlive the link or be removed first.
  void SetObserver(LinkObserver* observer) { m_observer = observer; }

  // Payload of the last good reply (never longer than the buffer).
  std::span<const std::uint8_t> Reply() const {
    return {ReplyData.data(), std::min<std::size_t>(ReplyLength, ReplyData.size())};
  }

  LinkStatus ReplyStatus = LinkStatus::None;
  std::array<std::uint8_t, kFrameBufferSize> ReplyData{};
  std::uint32_t ReplyLength = 0;
  bool WriteIndicator = false;
  bool LinkError = false;

 private:
  bool Run(std::uint8_t command, std::span<const std::uint8_t> payload, Millis wait);
  void DrainInput();
  void SendRequest();
  bool ReceiveReply(Millis wait);
  void NotifyReply(std::uint8_t command, bool good, int attempt);

  Clock& m_clock;
  StatusSink& m_status;
  std::unique_ptr<Channel> m_channel;
  EncodedFrame m_transmit;
  ReplyDecoder m_decoder;
  std::atomic<bool> m_cancelled{false};
  LinkObserver* m_observer = nullptr;
  bool m_frameEnded = false;  // the last receive ended on a frame, good or bad
};

}  // namespace ostrivane
