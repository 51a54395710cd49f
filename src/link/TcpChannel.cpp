#include "link/TcpChannel.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace ostrivane {

namespace {

// A peer that accepts nothing for this long is treated as gone rather than waited on forever.
constexpr Millis kSendStallLimit{5000};

// poll() on one descriptor, resumed after signals until the wait is used up. Returns the revents,
// 0 on timeout, -1 on error.
int PollFor(int fd, short events, Millis wait) {
  using std::chrono::steady_clock;
  const auto deadline = steady_clock::now() + wait;
  for (;;) {
    const auto left = std::chrono::duration_cast<Millis>(deadline - steady_clock::now());
    pollfd entry{fd, events, 0};
    const int ready = ::poll(&entry, 1, static_cast<int>(std::max<long long>(0, left.count())));
    if (ready > 0) return entry.revents;
    if (ready == 0) return 0;
    if (errno != EINTR) return -1;
  }
}

// 0 when connected, else the errno value that says why not.
int ConnectWithin(int fd, const sockaddr_in& address, int timeoutMs) {
  const auto* raw = reinterpret_cast<const sockaddr*>(&address);
  if (::connect(fd, raw, sizeof address) == 0) return 0;
  if (errno != EINPROGRESS && errno != EINTR) return errno;
  const int ready = PollFor(fd, POLLOUT, Millis{std::max(0, timeoutMs)});
  if (ready == 0) return ETIMEDOUT;
  if (ready < 0) return errno;
  int error = 0;
  socklen_t size = sizeof error;
  if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0) return errno;
  return error;
}

QString ConnectFailure(int error, const QString& host, quint16 port) {
  const QString where = QStringLiteral("%1:%2").arg(host).arg(port);
  switch (error) {
    case ECONNREFUSED:
      return QStringLiteral("connection refused by %1").arg(where);
    case ETIMEDOUT:
      return QStringLiteral("no answer from %1 (connection timed out)").arg(where);
    default:
      return QStringLiteral("cannot connect to %1: %2")
          .arg(where, QString::fromLocal8Bit(std::strerror(error)));
  }
}

}  // namespace

std::unique_ptr<TcpChannel> TcpChannel::Connect(const QString& host, quint16 port, int timeoutMs,
                                                QString* why) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  const QByteArray text = host.toLatin1();
  if (::inet_pton(AF_INET, text.constData(), &address.sin_addr) != 1) {
    if (why) *why = QStringLiteral("%1 is not an IPv4 address").arg(host);
    return nullptr;
  }

  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    if (why) *why = ConnectFailure(errno, host, port);
    return nullptr;
  }
  if (const int error = ConnectWithin(fd, address, timeoutMs); error != 0) {
    ::close(fd);
    if (why) *why = ConnectFailure(error, host, port);
    return nullptr;
  }
  // Requests are single small writes that wait for an answer: never hold them back.
  const int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return std::unique_ptr<TcpChannel>(new TcpChannel(fd, host, port));
}

TcpChannel::TcpChannel(int fd, QString host, quint16 port)
    : m_fd(fd), m_host(std::move(host)), m_port(port) {}

TcpChannel::~TcpChannel() {
  Close();
}

bool TcpChannel::Write(const std::uint8_t* data, std::size_t n) {
  std::size_t sent = 0;
  while (m_fd >= 0 && sent < n) {
    const ssize_t result = ::send(m_fd, data + sent, n - sent, MSG_NOSIGNAL);
    if (result > 0) {
      sent += static_cast<std::size_t>(result);
    } else if (result < 0 && errno == EINTR) {
      continue;
    } else if (result < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (PollFor(m_fd, POLLOUT, kSendStallLimit) <= 0) return false;
    } else {
      m_peerGone = true;
      return false;
    }
  }
  return m_fd >= 0;
}

std::size_t TcpChannel::Read(std::uint8_t* dest, std::size_t max, Millis wait) {
  // A closed or failed connection answers at once; sleeping out the wait keeps the receive loop
  // above from spinning until its deadline.
  if (m_fd < 0 || m_peerGone || max == 0) {
    std::this_thread::sleep_for(wait);
    return 0;
  }
  const auto start = std::chrono::steady_clock::now();
  const int events = PollFor(m_fd, POLLIN, wait);
  if (events <= 0) return 0;
  const ssize_t got = ::recv(m_fd, dest, max, 0);
  if (got > 0) return static_cast<std::size_t>(got);
  if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
    m_peerGone = true;
    std::this_thread::sleep_until(start + wait);
  }
  return 0;
}

void TcpChannel::Close() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
}

QString TcpChannel::Describe() const {
  return QStringLiteral("tcp:%1:%2").arg(m_host).arg(m_port);
}

}  // namespace ostrivane
