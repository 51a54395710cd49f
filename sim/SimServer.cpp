#include "sim/SimServer.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace ostrivane::sim {

namespace {

constexpr std::size_t kMaxPolled = 3;
// A peer that takes none of a reply for this long is treated as gone, so the thread never
// hangs on a tool that stopped reading.
constexpr Nanos kWriteStall = std::chrono::seconds(2);
// Paced writes go out in small pieces so that the reader sees a steady stream.
constexpr std::size_t kPacedChunk = 16;
constexpr long long kBitsPerByte = 10;  // start bit, 8 data bits, stop bit
constexpr long long kNanosPerSecond = 1'000'000'000;
constexpr std::uint8_t kLowestRequestHeader = 0x10;

timespec ToTimespec(Nanos duration) {
  const long long ns = std::max<long long>(0, duration.count());
  timespec ts{};
  ts.tv_sec = static_cast<time_t>(ns / kNanosPerSecond);
  ts.tv_nsec = static_cast<long>(ns % kNanosPerSecond);
  return ts;
}

}  // namespace

SimServer::SimServer(SimulatedModulator& device, const char* label)
    : m_device(device), m_label(label), m_logDecoder(m_logPayload, kLowestRequestHeader) {}

SimServer::~SimServer() {
  StopThread();
}

void SimServer::SetBaudRate(int baud) {
  m_byteTime = baud > 0 ? Nanos{kBitsPerByte * kNanosPerSecond / baud} : Nanos{0};
}

bool SimServer::StartThread(QString* error) {
  if (m_thread.joinable()) return true;
  int fds[2] = {-1, -1};
  if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
    if (error) *error = QStringLiteral("cannot create wake-up pipe: %1").arg(std::strerror(errno));
    return false;
  }
  m_wakeRead = fds[0];
  m_wakeWrite = fds[1];
  m_stop = false;
  m_logDecoder.Reset();
  m_thread = std::thread([this] { Serve(); });
  return true;
}

void SimServer::StopThread() {
  if (m_thread.joinable()) {
    m_stop = true;
    const char byte = 1;
    // The pipe stays readable from now on, so every later wait returns at once as well.
    [[maybe_unused]] const ssize_t rc = ::write(m_wakeWrite, &byte, 1);
    m_thread.join();
  }
  for (int* fd : {&m_wakeRead, &m_wakeWrite}) {
    if (*fd >= 0) ::close(*fd);
    *fd = -1;
  }
}

ssize_t SimServer::WriteSome(int fd, const char* data, std::size_t n) {
  return ::write(fd, data, n);
}

SimServer::Wait SimServer::Poll(std::span<pollfd> fds, const Nanos* timeout) {
  std::array<pollfd, kMaxPolled + 1> all{};
  const std::size_t count = std::min(fds.size(), kMaxPolled);
  all[0] = pollfd{m_wakeRead, POLLIN, 0};
  std::copy_n(fds.begin(), count, all.begin() + 1);
  const SteadyTime start = std::chrono::steady_clock::now();
  int rc = -1;
  do {
    timespec ts{};
    if (timeout) ts = ToTimespec(*timeout - (std::chrono::steady_clock::now() - start));
    rc = ::ppoll(all.data(), count + 1, timeout ? &ts : nullptr, nullptr);
  } while (rc < 0 && errno == EINTR && !m_stop);
  if (m_stop || (all[0].revents & POLLIN)) return Wait::Stopping;
  std::copy_n(all.begin() + 1, count, fds.begin());
  if (rc < 0) {
    // Report the failure on the first descriptor so that callers treat it like a broken peer.
    if (count > 0) fds[0].revents = POLLERR;
    return Wait::Ready;
  }
  return rc == 0 ? Wait::Timeout : Wait::Ready;
}

bool SimServer::SleepUntil(SteadyTime when) {
  for (;;) {
    const Nanos remaining = when - std::chrono::steady_clock::now();
    if (remaining <= Nanos{0}) return !m_stop;
    if (Poll({}, &remaining) == Wait::Stopping) return false;
  }
}

void SimServer::AccountReceived(std::size_t n) {
  if (m_byteTime == Nanos{0}) return;
  const SteadyTime now = std::chrono::steady_clock::now();
  m_rxDone = std::max(m_rxDone, now) + m_byteTime * static_cast<long long>(n);
}

SimServer::Delivery SimServer::Answer(int fd, const QByteArray& incoming) {
  if (m_verbose) LogRequests(incoming);
  const QVector<SimReply> replies = m_device.Handle(incoming, Source());
  for (const SimReply& reply : replies) {
    const Delivery result = WriteReply(fd, reply);
    if (result != Delivery::Sent) return result;
  }
  return Delivery::Sent;
}

void SimServer::ForgetPartialInput() {
  m_device.ResetInput(Source());
  m_logDecoder.Reset();
}

SimServer::Delivery SimServer::WriteReply(int fd, const SimReply& reply) {
  // The device answers only once the request's last byte has crossed the line.
  if (m_byteTime > Nanos{0} && !SleepUntil(m_rxDone)) return Delivery::Stopping;
  if (reply.delay > std::chrono::milliseconds{0} && !SleepFor(reply.delay)) {
    return Delivery::Stopping;
  }
  if (reply.dropLink) return Delivery::Dropped;
  if (reply.bytes.isEmpty()) return Delivery::Sent;
  const std::size_t chunk = reply.splitIntoSingleBytes ? 1 : kPacedChunk;
  const char* data = reply.bytes.constData();
  const auto size = static_cast<std::size_t>(reply.bytes.size());
  bool ok = false;
  if (m_byteTime > Nanos{0}) {
    ok = WritePaced(fd, data, size, chunk);
  } else if (reply.splitIntoSingleBytes) {
    ok = true;
    for (std::size_t i = 0; ok && i < size; ++i) ok = WriteAll(fd, data + i, 1);
  } else {
    ok = WriteAll(fd, data, size);
  }
  if (ok) return Delivery::Sent;
  return m_stop ? Delivery::Stopping : Delivery::Failed;
}

bool SimServer::WritePaced(int fd, const char* data, std::size_t n, std::size_t chunk) {
  m_txDone = std::max(m_txDone, std::chrono::steady_clock::now());
  for (std::size_t pos = 0; pos < n; pos += chunk) {
    const std::size_t piece = std::min(chunk, n - pos);
    // A piece becomes visible only when its last bit would have left the wire.
    m_txDone += m_byteTime * static_cast<long long>(piece);
    if (!SleepUntil(m_txDone) || !WriteAll(fd, data + pos, piece)) return false;
  }
  return true;
}

bool SimServer::WriteAll(int fd, const char* data, std::size_t n) {
  std::size_t pos = 0;
  while (pos < n) {
    const ssize_t rc = WriteSome(fd, data + pos, n - pos);
    if (rc > 0) {
      pos += static_cast<std::size_t>(rc);
      continue;
    }
    if (rc < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return false;
    std::array<pollfd, 1> out{pollfd{fd, POLLOUT, 0}};
    if (Poll(out, &kWriteStall) != Wait::Ready) return false;
    // Hang-up or error without room to write: the peer is gone (and polling again would spin).
    if (!(out[0].revents & POLLOUT)) return false;
  }
  return true;
}

void SimServer::LogRequests(const QByteArray& incoming) {
  for (const char c : incoming) {
    const auto result = m_logDecoder.Feed(static_cast<std::uint8_t>(c));
    if (result == ReplyDecoder::Result::InProgress) continue;
    const auto command = static_cast<unsigned>(m_logDecoder.Status());
    if (result == ReplyDecoder::Result::GoodFrame) {
      std::fprintf(stderr, "%s: request 0x%02X, payload %u bytes\n", m_label, command,
                   static_cast<unsigned>(m_logDecoder.Length()));
    } else {
      std::fprintf(stderr, "%s: bad request frame (header 0x%02X)\n", m_label, command);
    }
  }
}

}  // namespace ostrivane::sim
