#pragma once

#include <poll.h>
#include <sys/types.h>

#include <QByteArray>
#include <QString>
#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <thread>

#include "link/FrameCodec.h"
#include "sim/SimulatedModulator.h"

namespace ostrivane::sim {

using SteadyTime = std::chrono::steady_clock::time_point;
using Nanos = std::chrono::nanoseconds;

// What the byte-stream servers (TCP, pseudo-terminal) share: a thread of their own blocked in
// poll(), a wake-up pipe so that a stop never waits on the network, and the reply writer that
// honours the device's transport hints (delay, single bytes, dropped link) and the optional pacing
// to a serial line's speed.
class SimServer {
 public:
  SimServer(SimulatedModulator& device, const char* label);
  virtual ~SimServer();
  SimServer(const SimServer&) = delete;
  SimServer& operator=(const SimServer&) = delete;

  // Both settings are read by the server's thread: set them before Start().
  // Each request (command, payload length) is logged to stderr.
  void SetVerbose(bool verbose) { m_verbose = verbose; }
  // Pace both directions to a serial line of this many baud (10 bits per byte); 0 = unpaced.
  void SetBaudRate(int baud);
  bool IsRunning() const { return m_thread.joinable(); }

 protected:
  enum class Wait { Ready, Timeout, Stopping };
  enum class Delivery { Sent, Dropped, Failed, Stopping };

  // Creates the wake-up pipe and runs Serve() on the server's thread.
  bool StartThread(QString* error);
  // Derived destructors call this before their descriptors go away; idempotent.
  void StopThread();
  virtual void Serve() = 0;
  // Writes as many bytes as the descriptor takes now; -1 with errno on failure.
  virtual ssize_t WriteSome(int fd, const char* data, std::size_t n);

  // Waits for one of fds (at most three), the stop request or the timeout (nullptr: none).
  Wait Poll(std::span<pollfd> fds, const Nanos* timeout);
  bool SleepUntil(SteadyTime when);
  bool SleepFor(Nanos duration) { return SleepUntil(std::chrono::steady_clock::now() + duration); }
  bool Stopping() const { return m_stop.load(); }

  // Counts received bytes' wire time when paced; call as soon as bytes are read.
  void AccountReceived(std::size_t n);
  // Hands the bytes to the device and writes every answer to fd.
  Delivery Answer(int fd, const QByteArray& incoming);
  // The peer went away: a partial request of it must not prefix the next peer's first one.
  void ForgetPartialInput();

  SimulatedModulator& m_device;
  const char* m_label;

 private:
  quintptr Source() const { return reinterpret_cast<quintptr>(this); }

  Delivery WriteReply(int fd, const SimReply& reply);
  bool WritePaced(int fd, const char* data, std::size_t n, std::size_t chunk);
  bool WriteAll(int fd, const char* data, std::size_t n);
  void LogRequests(const QByteArray& incoming);

  std::atomic<bool> m_stop{false};
  std::thread m_thread;
  int m_wakeRead = -1;
  int m_wakeWrite = -1;
  bool m_verbose = false;
  Nanos m_byteTime{0};
  SteadyTime m_rxDone{};
  SteadyTime m_txDone{};
  std::array<std::uint8_t, kFrameBufferSize> m_logPayload{};
  ReplyDecoder m_logDecoder;
};

}  // namespace ostrivane::sim
