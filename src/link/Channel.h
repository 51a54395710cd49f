#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>

#include "common/Clock.h"

namespace ostrivane {

// One open connection to a modulator: a serial port or a TCP socket.
class Channel {
 public:
  enum class Kind { Serial, Tcp };

  virtual ~Channel() = default;
  virtual Kind GetKind() const = 0;
  virtual bool IsOpen() const = 0;
  // Writes all n bytes; false when the channel refused them.
  virtual bool Write(const std::uint8_t* data, std::size_t n) = 0;
  // Waits up to `wait` for input and returns what arrived (at most max bytes); 0 on timeout,
  // error or a closed peer. Must block on the descriptor, never spin.
  virtual std::size_t Read(std::uint8_t* dest, std::size_t max, Millis wait) = 0;
  virtual void Close() = 0;
  // "tcp:HOST:PORT" or "serial:PATH".
  virtual QString Describe() const = 0;
};

}  // namespace ostrivane
