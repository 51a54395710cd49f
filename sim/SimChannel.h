#pragma once

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <deque>

#include "common/Clock.h"
#include "link/Channel.h"
#include "sim/SimulatedModulator.h"

namespace ostrivane::sim {

// A channel that hands every written request straight to an in-process SimulatedModulator and
// queues its answer, so link and operation tests run without sockets or threads. With a
// FakeClock, waiting (for a delayed reply, or in vain) advances that clock instead of sleeping.
class SimChannel final : public ostrivane::Channel {
 public:
  explicit SimChannel(SimulatedModulator& device, Clock* clock = nullptr, Kind kind = Kind::Serial);
  ~SimChannel() override;

  Kind GetKind() const override { return m_kind; }
  bool IsOpen() const override { return m_open; }
  bool Write(const std::uint8_t* data, std::size_t n) override;
  std::size_t Read(std::uint8_t* dest, std::size_t max, Millis wait) override;
  void Close() override;
  QString Describe() const override;

  // Reply bytes written by the device and not read yet.
  std::size_t PendingBytes() const;

 private:
  // One piece of reply as the device writes it; a split reply is one piece per byte.
  struct Piece {
    QByteArray bytes;
    Millis due{0};
  };

  SimulatedModulator& m_device;
  SteadyClock m_ownClock;
  Clock& m_clock;
  Kind m_kind;
  bool m_open = true;
  std::deque<Piece> m_pending;
};

}  // namespace ostrivane::sim
