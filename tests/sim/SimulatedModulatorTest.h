#pragma once

#include <QByteArray>
#include <memory>
#include <span>

#include "common/Clock.h"
#include "common/StatusSink.h"
#include "link/CXmit.h"
#include "sim/SimChannel.h"
#include "sim/SimulatedModulator.h"

namespace ostrivane::sim::testing {

inline SimOptions OptionsFor(std::uint8_t type, std::uint8_t main = 20) {
  SimOptions options;
  options.typeCode = type;
  options.mainVersion = main;
  return options;
}

// The tool's link wired to a simulated device on one fake clock. Members are declared so that
// the link (and its channel) goes before the device.
struct SimRig {
  explicit SimRig(const SimOptions& options = {}, Channel::Kind kind = Channel::Kind::Serial)
      : device(options, &clock), link(clock, sink), m_kind(kind) {
    Reattach();
  }

  // A fresh connection, as after a reconnect.
  void Reattach() { link.Attach(std::make_unique<SimChannel>(device, &clock, m_kind)); }

  bool Send(std::uint8_t command, const QByteArray& payload = {}, int timeout = 500) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(payload.constData());
    return link.Transact(command, std::span(data, static_cast<std::size_t>(payload.size())),
                         timeout);
  }

  QByteArray Reply() const {
    const auto reply = link.Reply();
    return QByteArray(reinterpret_cast<const char*>(reply.data()),
                      static_cast<qsizetype>(reply.size()));
  }

  FakeClock clock;
  NullStatusSink sink;
  SimulatedModulator device;
  CXmit link;

 private:
  Channel::Kind m_kind;
};

inline QByteArray Le16(unsigned value) {
  QByteArray bytes;
  bytes.append(static_cast<char>(value & 0xFF));
  bytes.append(static_cast<char>((value >> 8) & 0xFF));
  return bytes;
}

inline QByteArray Le32(std::uint32_t value) {
  return Le16(value & 0xFFFF) + Le16(value >> 16);
}

}  // namespace ostrivane::sim::testing
