#include "sim/SimChannel.h"

#include <algorithm>
#include <cstring>

namespace ostrivane::sim {

SimChannel::SimChannel(SimulatedModulator& device, Clock* clock, Kind kind)
    : m_device(device), m_clock(clock ? *clock : static_cast<Clock&>(m_ownClock)), m_kind(kind) {}

SimChannel::~SimChannel() {
  Close();
}

bool SimChannel::Write(const std::uint8_t* data, std::size_t n) {
  if (!m_open) return false;
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(n));
  const auto source = reinterpret_cast<quintptr>(this);
  for (const SimReply& reply : m_device.Handle(bytes, source)) {
    if (reply.dropLink) {
      Close();
      return true;
    }
    // Pieces of one reply arrive in order; a later reply never overtakes an earlier one.
    Millis due = m_clock.Now() + reply.delay;
    if (!m_pending.empty()) due = std::max(due, m_pending.back().due);
    if (!reply.splitIntoSingleBytes) {
      if (!reply.bytes.isEmpty()) m_pending.push_back({reply.bytes, due});
      continue;
    }
    for (const char c : reply.bytes) m_pending.push_back({QByteArray(1, c), due});
  }
  return true;
}

std::size_t SimChannel::Read(std::uint8_t* dest, std::size_t max, Millis wait) {
  const Millis now = m_clock.Now();
  if (!m_open || m_pending.empty() || max == 0 || m_pending.front().due > now + wait) {
    m_clock.SleepFor(wait);
    return 0;
  }
  if (m_pending.front().due > now) m_clock.SleepFor(m_pending.front().due - now);
  Piece& piece = m_pending.front();
  const std::size_t n = std::min(max, static_cast<std::size_t>(piece.bytes.size()));
  std::memcpy(dest, piece.bytes.constData(), n);
  piece.bytes.remove(0, static_cast<qsizetype>(n));
  if (piece.bytes.isEmpty()) m_pending.pop_front();
  return n;
}

void SimChannel::Close() {
  if (!m_open) return;
  m_open = false;
  m_pending.clear();
  m_device.ResetInput(reinterpret_cast<quintptr>(this));
}

QString SimChannel::Describe() const {
  return m_kind == Kind::Tcp ? QStringLiteral("tcp:127.0.0.1:6666")
                             : QStringLiteral("serial:simulated");
}

std::size_t SimChannel::PendingBytes() const {
  std::size_t n = 0;
  for (const Piece& piece : m_pending) n += static_cast<std::size_t>(piece.bytes.size());
  return n;
}

}  // namespace ostrivane::sim
