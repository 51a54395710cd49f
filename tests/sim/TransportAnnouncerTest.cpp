#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <optional>
#include <string>

#include "sim/Announcer.h"

namespace ostrivane::sim {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

struct Received {
  std::string text;
  std::string sender;
  int ttl = -1;
};

// A discovery listener in miniature: joined to the group on the loopback interface, on a port
// of the system's choosing (never the real discovery port).
class GroupListener {
 public:
  GroupListener() {
    m_fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    ::inet_pton(AF_INET, Announcer::kGroup, &address.sin_addr);
    socklen_t length = sizeof address;
    ip_mreq membership{};
    membership.imr_multiaddr = address.sin_addr;
    ::inet_pton(AF_INET, "127.0.0.1", &membership.imr_interface);
    const int one = 1;
    m_ok = m_fd >= 0 &&
           ::bind(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
           ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length) == 0 &&
           ::setsockopt(m_fd, IPPROTO_IP, IP_ADD_MEMBERSHIP, &membership, sizeof membership) == 0 &&
           ::setsockopt(m_fd, IPPROTO_IP, IP_RECVTTL, &one, sizeof one) == 0;
    m_port = ntohs(address.sin_port);
  }
  ~GroupListener() {
    if (m_fd >= 0) ::close(m_fd);
  }
  bool ok() const { return m_ok; }
  std::uint16_t port() const { return m_port; }

  std::optional<Received> Receive(int waitMs) {
    pollfd in{m_fd, POLLIN, 0};
    if (::poll(&in, 1, waitMs) != 1) return std::nullopt;
    char text[512];
    char control[CMSG_SPACE(sizeof(int))];
    sockaddr_in from{};
    iovec data{text, sizeof text};
    msghdr message{};
    message.msg_name = &from;
    message.msg_namelen = sizeof from;
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t n = ::recvmsg(m_fd, &message, 0);
    if (n < 0) return std::nullopt;
    Received out;
    out.text.assign(text, static_cast<std::size_t>(n));
    char dotted[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &from.sin_addr, dotted, sizeof dotted);
    out.sender = dotted;
    for (cmsghdr* c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
      if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_TTL) {
        std::memcpy(&out.ttl, CMSG_DATA(c), sizeof out.ttl);
      }
    }
    return out;
  }

 private:
  int m_fd = -1;
  bool m_ok = false;
  std::uint16_t m_port = 0;
};

TEST(TransportAnnouncer, Announcement_ReachesTheGroupOnLoopbackRepeatedlyWithTtlZero) {
  GroupListener listener;
  ASSERT_TRUE(listener.ok());
  AnnouncerOptions options;
  options.identifier = QStringLiteral("SIM131");
  options.port = listener.port();
  options.interval = milliseconds{50};
  Announcer announcer(options);
  QString error;
  ASSERT_TRUE(announcer.Start(&error)) << error.toStdString();

  for (int i = 0; i < 2; ++i) {
    const auto got = listener.Receive(2000);
    ASSERT_TRUE(got.has_value()) << "announcement " << i;
    EXPECT_EQ(got->text, "VERUV_c0_SIM131_127.0.0.1");
    EXPECT_EQ(got->sender, "127.0.0.1");
    EXPECT_EQ(got->ttl, 0);
  }
  announcer.Stop();
  EXPECT_GE(announcer.SentCount(), 2);
}

TEST(TransportAnnouncer, MalformedOrOffHostAnnouncements_AreRefusedAndNothingIsSent) {
  struct Case {
    QString identifier;
    QString address;
    std::uint16_t port;
  };
  const QString id = QStringLiteral("A1");
  const QString lo = QStringLiteral("127.0.0.1");
  const Case cases[] = {
      {QStringLiteral("A_1"), lo, 40000},  // would shift every later token
      {QString(), lo, 40000},
      {QStringLiteral("A 1"), lo, 40000},
      {id, QStringLiteral("192.168.1.20"), 40000},  // the tool would connect off this host
      {id, QStringLiteral("127.0.0.1x"), 40000},
      {QString(250, QLatin1Char('X')), lo, 40000},  // datagram over 255 bytes
      {id, lo, 0},
  };
  for (const Case& c : cases) {
    Announcer announcer({c.identifier, c.address, c.port, milliseconds{10}});
    QString error;
    EXPECT_FALSE(announcer.Start(&error)) << c.identifier.toStdString();
    EXPECT_FALSE(error.isEmpty());
    announcer.Stop();
    EXPECT_EQ(announcer.SentCount(), 0);
  }
}

TEST(TransportAnnouncer, LongInterval_StopDoesNotWaitForTheNextAnnouncement) {
  GroupListener listener;
  ASSERT_TRUE(listener.ok());
  AnnouncerOptions options;
  options.identifier = QStringLiteral("A1");
  options.address = QStringLiteral("127.0.0.2");
  options.port = listener.port();
  options.interval = milliseconds{60000};
  Announcer announcer(options);
  ASSERT_TRUE(announcer.Start());
  EXPECT_EQ(announcer.Datagram(), QByteArray("VERUV_c0_A1_127.0.0.2"));
  const auto start = steady_clock::now();
  announcer.Stop();
  EXPECT_LT(steady_clock::now() - start, milliseconds{200});
}

}  // namespace
}  // namespace ostrivane::sim
