#include "discovery/DiscoveryListener.h"

#include <QByteArray>
#include <QHostAddress>
#include <QNetworkInterface>
#include <system_error>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>

#include "discovery/Announcement.h"

namespace ostrivane {

namespace {

// One byte more than the longest announcement, so that an over-long datagram shows as such.
constexpr std::size_t kReceiveBufferBytes = kMaxAnnouncementBytes + 1;

// Dotted address of the first up, running, non-loopback interface that has an IPv4 address.
QString FirstActiveIpv4Address() {
  const auto interfaces = QNetworkInterface::allInterfaces();
  for (const QNetworkInterface& candidate : interfaces) {
    const auto flags = candidate.flags();
    if (!flags.testFlag(QNetworkInterface::IsUp) || !flags.testFlag(QNetworkInterface::IsRunning))
      continue;
    if (flags.testFlag(QNetworkInterface::IsLoopBack)) continue;
    for (const QNetworkAddressEntry& entry : candidate.addressEntries()) {
      if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol) return entry.ip().toString();
    }
  }
  return QString();
}

bool ParseIpv4(const QString& text, in_addr& address) {
  const QByteArray ascii = text.toLatin1();
  return !text.isEmpty() && inet_pton(AF_INET, ascii.constData(), &address) == 1;
}

void CloseDescriptor(int& descriptor) {
  if (descriptor >= 0) ::close(descriptor);
  descriptor = -1;
}

bool SetReuseAddress(int socket) {
  const int on = 1;
  return setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) == 0;
}

bool BindAnyAddress(int socket, quint16 port, quint16& boundPort) {
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = htonl(INADDR_ANY);
  local.sin_port = htons(port);
  if (bind(socket, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) return false;
  socklen_t length = sizeof local;
  if (getsockname(socket, reinterpret_cast<sockaddr*>(&local), &length) != 0) return false;
  boundPort = ntohs(local.sin_port);
  return true;
}

bool JoinGroup(int socket, const QString& group, const in_addr& interfaceAddress) {
  ip_mreq request{};
  if (!ParseIpv4(group, request.imr_multiaddr)) return false;
  request.imr_interface = interfaceAddress;
  return setsockopt(socket, IPPROTO_IP, IP_ADD_MEMBERSHIP, &request, sizeof request) == 0;
}

}  // namespace

DiscoveryListener::DiscoveryListener(DiscoveryTable& table, Clock& clock)
    : m_table(table), m_clock(clock) {}

DiscoveryListener::~DiscoveryListener() {
  Stop();
}

int DiscoveryListener::Start(const DiscoveryOptions& options) {
  Stop();
  m_table.Clear();
  m_receiveTimeout = options.receiveTimeout;
  const int code = OpenSocket(options);
  if (code != discovery_start::kStarted) {
    CloseDescriptors();
    return code;
  }
  try {
    m_thread = std::thread(&DiscoveryListener::Run, this);
  } catch (const std::system_error&) {
    CloseDescriptors();
    return discovery_start::kThreadFailed;
  }
  return discovery_start::kStarted;
}

int DiscoveryListener::OpenSocket(const DiscoveryOptions& options) {
  m_socket = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (m_socket < 0) return discovery_start::kSocketFailed;
  if (!SetReuseAddress(m_socket)) return discovery_start::kReuseAddressFailed;
  if (!BindAnyAddress(m_socket, options.port, m_boundPort)) return discovery_start::kBindFailed;

  const QString local =
      options.interfaceAddress.isEmpty() ? FirstActiveIpv4Address() : options.interfaceAddress;
  in_addr interfaceAddress{};
  if (!ParseIpv4(local, interfaceAddress)) return discovery_start::kNoInterface;
  if (!JoinGroup(m_socket, options.group, interfaceAddress)) return discovery_start::kJoinFailed;

  // The pipe wakes the thread for Stop without waiting for the receive time-out.
  int wake[2];
  if (pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) return discovery_start::kThreadFailed;
  m_wakeRead = wake[0];
  m_wakeWrite = wake[1];
  return discovery_start::kStarted;
}

void DiscoveryListener::Stop() {
  if (m_thread.joinable()) {
    const char stop = 1;
    ssize_t written = -1;
    do {
      written = ::write(m_wakeWrite, &stop, 1);
    } while (written < 0 && errno == EINTR);
    m_thread.join();
  }
  CloseDescriptors();
}

void DiscoveryListener::CloseDescriptors() {
  CloseDescriptor(m_socket);
  CloseDescriptor(m_wakeRead);
  CloseDescriptor(m_wakeWrite);
  m_boundPort = 0;
}

void DiscoveryListener::Run() {
  QByteArray datagram;
  while (WaitAndReceive(datagram)) {
    QString identifier;
    QString address;
    const bool accepted = !datagram.isEmpty() && ParseAnnouncement(datagram, identifier, address);
    m_table.Process(accepted, identifier, address, Tick());
    ++m_passes;
  }
}

bool DiscoveryListener::WaitAndReceive(QByteArray& datagram) {
  datagram.clear();
  pollfd descriptors[2] = {{m_socket, POLLIN, 0}, {m_wakeRead, POLLIN, 0}};
  const int ready = ::poll(descriptors, 2, static_cast<int>(m_receiveTimeout.count()));
  if (ready <= 0) return true;  // time-out or interruption: an empty pass still ages the table
  if (descriptors[1].revents != 0) return false;
  if (descriptors[0].revents == 0) return true;

  char buffer[kReceiveBufferBytes];
  const ssize_t received = ::recv(m_socket, buffer, sizeof buffer, MSG_DONTWAIT);
  // Errors, empty datagrams and over-long (truncated) ones all count as nothing received.
  if (received > 0 && received <= kMaxAnnouncementBytes)
    datagram = QByteArray(buffer, static_cast<qsizetype>(received));
  return true;
}

std::uint32_t DiscoveryListener::Tick() const {
  // The table works on a 32-bit millisecond counter that wraps; truncation gives exactly that.
  return static_cast<std::uint32_t>(m_clock.Now().count());
}

DiscoveryStart StartDiscovery(DiscoveryTable& table, const DiscoveryOptions& options,
                              Clock& clock) {
  DiscoveryStart result;
  result.listener = std::make_unique<DiscoveryListener>(table, clock);
  result.code = result.listener->Start(options);
  if (result.code != discovery_start::kStarted) result.listener.reset();
  return result;
}

}  // namespace ostrivane
