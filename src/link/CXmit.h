#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

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
  // status is meaningful for a Good reply only. payload is the reply's payload when it is Good,
  // else the bytes that came back for this attempt (up to a stuffed frame's worth), which did not
  // decode or never made a whole frame.
  virtual void OnReply(std::uint8_t command, ReplyOutcome outcome, LinkStatus status,
                       std::span<const std::uint8_t> payload, int attempt) = 0;
  // A request that never reached the wire: nothing connected, the link cancelled (a window that
  // closes), or too long for a frame.
  enum class Refusal { NotConnected, Cancelled, TooLong };
  virtual void OnRefused(std::uint8_t, std::span<const std::uint8_t>, Refusal) {}
};

// What a transfer in progress writes: the window says so while it lets the transfer finish.
enum class TransferKind : std::uint8_t {
  None,
  Firmware,        // a firmware image, its flash end and the restart
  FactoryDefault,  // the logo's flash area and the stored default
  Configuration,   // the record, its read-back and the steps that follow it (a 4K restart)
  Logs,            // the log files, each closed on the device
  DeviceFile,      // a file or flash area of the device
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
  // Any thread: while set, requests fail at once as if nothing were connected, and a request
  // waiting for its reply stops waiting; a transfer (see TransferScope) is spared and runs to its
  // end. Closing the window uses it to end a running operation.
  void SetCancelled(bool cancelled) { m_cancelled.store(cancelled); }
  // Any thread: the outermost transfer in progress, None between transfers.
  TransferKind CurrentTransfer() const { return m_transfer.load(); }
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
  friend class TransferScope;
  // Cancelled, and not inside a transfer.
  bool Interrupted() const { return m_cancelled.load() && m_transfer.load() == TransferKind::None; }
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
  std::atomic<TransferKind> m_transfer{TransferKind::None};
  LinkObserver* m_observer = nullptr;
  bool m_frameEnded = false;             // the last receive ended on a frame, good or bad
  std::vector<std::uint8_t> m_received;  // what the last receive read, while observed
};

// The link's thread: while one exists the link's requests are a transfer that a cancellation
// does not cut (a flash area left open, a file on the device left unclosed, half a firmware
// image). Scopes nest; the outermost names the transfer.
class TransferScope {
 public:
  TransferScope(CXmit& link, TransferKind kind) : m_link(link), m_outer(link.m_transfer.load()) {
    if (m_outer == TransferKind::None) m_link.m_transfer.store(kind);
  }
  ~TransferScope() { m_link.m_transfer.store(m_outer); }
  TransferScope(const TransferScope&) = delete;
  TransferScope& operator=(const TransferScope&) = delete;

 private:
  CXmit& m_link;
  TransferKind m_outer;
};

}  // namespace ostrivane
