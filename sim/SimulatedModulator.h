#pragma once

#include <QByteArray>
#include <QVector>
#include <chrono>
#include <cstdint>
#include <mutex>

namespace ostrivane::sim {

// One request as the simulated device received it (after unstuffing).
struct SimRequest {
  std::uint8_t command = 0;  // high nibble of the header, e.g. 0x50
  QByteArray payload;
};

struct SimOptions {
  std::uint8_t typeCode = 131;
  std::uint8_t mainVersion = 20;
  std::uint8_t spareVersion = 0;
  std::uint8_t secondaryVersion = 10;
  // The simulator's helper extends this (files, faults, timings...).
};

// What a transport does with one answer.
struct SimReply {
  QByteArray bytes;                   // stuffed reply frame(s); empty: stay silent
  bool splitIntoSingleBytes = false;  // write one byte at a time
  std::chrono::milliseconds delay{0}; // wait before answering
  bool dropLink = false;              // close the connection instead of answering
};

// The device side of the protocol: fed the bytes the tool sends, it answers like a modulator.
// Thread-safe; the transports (TCP, pty, in-process SimChannel) share one instance.
class SimulatedModulator {
 public:
  explicit SimulatedModulator(const SimOptions& options);

  // Bytes from the tool in; one SimReply per complete request found (incomplete input is kept).
  QVector<SimReply> Handle(const QByteArray& incoming);
  // Convenience: concatenated reply bytes, faults other than silence ignored.
  QByteArray HandleBytes(const QByteArray& incoming);

  // Every complete request received so far, in order.
  QVector<SimRequest> Requests() const;
  void ClearRequests();
};

}  // namespace ostrivane::sim
