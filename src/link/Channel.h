#pragma once

#include <QString>
#include <QStringList>
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
  // False once closed, and once a read or write found the device gone (peer closed or reset the
  // connection, port unplugged): such a channel never recovers and is not worth waiting on.
  virtual bool IsOpen() const = 0;
  // Writes all n bytes; false when the channel refused them.
  virtual bool Write(const std::uint8_t* data, std::size_t n) = 0;
  // Waits up to `wait` for input and returns what arrived (at most max bytes); 0 on timeout or
  // error. Must block on the descriptor, never spin; the one exception is the read that finds the
  // device gone, which returns at once. Reads on a channel that is no longer open sleep out their
  // wait, so a caller that ignores IsOpen() still cannot spin.
  virtual std::size_t Read(std::uint8_t* dest, std::size_t max, Millis wait) = 0;
  virtual void Close() = 0;
  // "tcp:HOST:PORT" or "serial:PATH".
  virtual QString Describe() const = 0;
};

// Why a channel could not be opened, by the cause an installer can act on.
struct OpenFailure {
  enum class Cause { Permission, NoDevice, Refused, NoAnswer, NotAnAddress, Other };
  Cause cause = Cause::Other;
  QString where;         // the port's path, or "ADDRESS:PORT" (just the address for NotAnAddress)
  QString detail;        // the system's own words, for Other
  QString group;         // Permission: the group that owns the port, which the user would join
  bool network = false;  // a TCP address rather than a serial port

  // In English, as the command line says it ("connection refused by 127.0.0.1:1").
  QString Sentence() const;
};

}  // namespace ostrivane
