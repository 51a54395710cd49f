#include "sim/TcpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace ostrivane::sim {

namespace {

constexpr int kListenBacklog = 4;
constexpr std::size_t kReceiveChunk = 4096;
constexpr int kLoopbackShift = 24;
constexpr std::uint32_t kLoopbackNet = 127;

}  // namespace

TcpServer::TcpServer(SimulatedModulator& device, std::uint16_t port, QString host)
    : SimServer(device, "tcp"), m_requestedPort(port), m_host(std::move(host)) {}

TcpServer::~TcpServer() {
  Stop();
}

bool TcpServer::Start(QString* error) {
  if (IsRunning()) return true;
  if (!OpenListener(error)) return false;
  if (StartThread(error)) return true;
  ::close(m_listenFd);
  m_listenFd = -1;
  return false;
}

void TcpServer::Stop() {
  StopThread();
  CloseClient();
  if (m_listenFd >= 0) ::close(m_listenFd);
  m_listenFd = -1;
}

bool TcpServer::OpenListener(QString* error) {
  const auto fail = [&](const char* what) {
    if (error) *error = QStringLiteral("tcp: %1: %2").arg(what, std::strerror(errno));
    if (m_listenFd >= 0) ::close(m_listenFd);
    m_listenFd = -1;
    return false;
  };
  m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (m_listenFd < 0) return fail("socket");
  const int one = 1;
  // A restarted simulator must get its port back while old connections linger in TIME_WAIT.
  ::setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(m_requestedPort);
  const QByteArray host = m_host.toLatin1();
  if (::inet_pton(AF_INET, host.constData(), &address.sin_addr) != 1 ||
      (ntohl(address.sin_addr.s_addr) >> kLoopbackShift) != kLoopbackNet) {
    if (error) *error = QStringLiteral("tcp: %1 is not a loopback address").arg(m_host);
    ::close(m_listenFd);
    m_listenFd = -1;
    return false;
  }
  if (::bind(m_listenFd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    return fail("bind");
  }
  if (::listen(m_listenFd, kListenBacklog) != 0) return fail("listen");
  socklen_t length = sizeof address;
  if (::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    return fail("getsockname");
  }
  m_port = ntohs(address.sin_port);
  return true;
}

void TcpServer::Serve() {
  while (!Stopping()) {
    std::array<pollfd, 2> fds{pollfd{m_clientFd, POLLIN, 0}, pollfd{m_listenFd, POLLIN, 0}};
    if (Poll(fds, nullptr) == Wait::Stopping) break;
    // The client first: an accept below may replace it.
    if (m_clientFd >= 0 && fds[0].revents != 0) ServeClient();
    if (fds[1].revents & POLLIN) AcceptClient();
  }
}

ssize_t TcpServer::WriteSome(int fd, const char* data, std::size_t n) {
  return ::send(fd, data, n, MSG_NOSIGNAL);
}

void TcpServer::AcceptClient() {
  const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
  if (fd < 0) return;
  CloseClient();
  m_clientFd = fd;
  const int one = 1;
  // Single-byte replies must leave as single segments, not be coalesced by Nagle.
  ::setsockopt(m_clientFd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  ++m_accepted;
}

void TcpServer::ServeClient() {
  char buffer[kReceiveChunk];
  const ssize_t n = ::recv(m_clientFd, buffer, sizeof buffer, 0);
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return;
  if (n <= 0) {
    CloseClient();
    return;
  }
  AccountReceived(static_cast<std::size_t>(n));
  const Delivery result = Answer(m_clientFd, QByteArray(buffer, static_cast<qsizetype>(n)));
  if (result == Delivery::Dropped || result == Delivery::Failed) CloseClient();
}

void TcpServer::CloseClient() {
  if (m_clientFd < 0) return;
  ::close(m_clientFd);
  m_clientFd = -1;
  ForgetPartialInput();
}

}  // namespace ostrivane::sim
