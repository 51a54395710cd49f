#include "sim/Announcer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace ostrivane::sim {

namespace {

constexpr int kMaxDatagram = 255;  // listeners drop anything longer
constexpr std::chrono::milliseconds kMinInterval{10};
constexpr std::uint32_t kLoopbackNet = 0x7F000000;
constexpr std::uint32_t kLoopbackMask = 0xFF000000;
constexpr unsigned char kMulticastTtl = 0;  // never leaves this host
constexpr unsigned char kMulticastLoop = 1;

bool IsLoopback(const QString& dotted) {
  in_addr parsed{};
  const QByteArray text = dotted.toLatin1();
  if (::inet_pton(AF_INET, text.constData(), &parsed) != 1) return false;
  return (ntohl(parsed.s_addr) & kLoopbackMask) == kLoopbackNet;
}

bool IsPlainIdentifier(const QString& identifier) {
  if (identifier.isEmpty()) return false;
  for (const QChar c : identifier) {
    // "_" separates the tokens; anything outside printable ASCII would not survive the
    // listener's code-page conversion unchanged.
    if (c.unicode() <= 0x20 || c.unicode() >= 0x7F || c == QLatin1Char('_')) return false;
  }
  return true;
}

}  // namespace

Announcer::Announcer(AnnouncerOptions options) : m_options(std::move(options)) {}

Announcer::~Announcer() {
  Stop();
}

QByteArray Announcer::Datagram() const {
  if (!IsPlainIdentifier(m_options.identifier) || !IsLoopback(m_options.address)) return {};
  return "VERUV_c0_" + m_options.identifier.toLatin1() + '_' + m_options.address.toLatin1();
}

bool Announcer::Validate(QString* error) const {
  QString problem;
  if (!IsPlainIdentifier(m_options.identifier)) {
    problem = QStringLiteral("identifier must be printable ASCII without '_' or spaces");
  } else if (!IsLoopback(m_options.address)) {
    problem = QStringLiteral("announced address must be a loopback IPv4 address");
  } else if (m_options.port == 0) {
    problem = QStringLiteral("discovery port must not be 0");
  } else if (m_options.interval < kMinInterval) {
    problem = QStringLiteral("interval must be at least %1 ms").arg(kMinInterval.count());
  } else if (Datagram().size() > kMaxDatagram) {
    problem = QStringLiteral("announcement longer than %1 bytes").arg(kMaxDatagram);
  }
  if (problem.isEmpty()) return true;
  if (error) *error = QStringLiteral("announce: ") + problem;
  return false;
}

bool Announcer::OpenSocket(QString* error) {
  m_socket = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  in_addr loopback{};
  ::inet_pton(AF_INET, kInterface, &loopback);
  // Without every one of these the datagram could leave the host: no socket, no announcement.
  const bool ok =
      m_socket >= 0 &&
      ::setsockopt(m_socket, IPPROTO_IP, IP_MULTICAST_IF, &loopback, sizeof loopback) == 0 &&
      ::setsockopt(m_socket, IPPROTO_IP, IP_MULTICAST_TTL, &kMulticastTtl, 1) == 0 &&
      ::setsockopt(m_socket, IPPROTO_IP, IP_MULTICAST_LOOP, &kMulticastLoop, 1) == 0;
  if (ok) return true;
  if (error) *error = QStringLiteral("announce: socket: %1").arg(std::strerror(errno));
  if (m_socket >= 0) ::close(m_socket);
  m_socket = -1;
  return false;
}

bool Announcer::Start(QString* error) {
  if (m_thread.joinable()) return true;
  if (!Validate(error) || !OpenSocket(error)) return false;
  m_stop = false;
  m_thread = std::thread([this] { Run(); });
  return true;
}

void Announcer::Stop() {
  if (m_thread.joinable()) {
    {
      std::lock_guard lock(m_mutex);
      m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
  }
  if (m_socket >= 0) ::close(m_socket);
  m_socket = -1;
}

void Announcer::Run() {
  const QByteArray datagram = Datagram();
  sockaddr_in group{};
  group.sin_family = AF_INET;
  group.sin_port = htons(m_options.port);
  ::inet_pton(AF_INET, kGroup, &group.sin_addr);
  std::unique_lock lock(m_mutex);
  while (!m_stop) {
    const ssize_t sent =
        ::sendto(m_socket, datagram.constData(), static_cast<std::size_t>(datagram.size()), 0,
                 reinterpret_cast<const sockaddr*>(&group), sizeof group);
    if (sent == datagram.size()) ++m_sent;
    m_wake.wait_for(lock, m_options.interval, [this] { return m_stop; });
  }
}

}  // namespace ostrivane::sim
