// A device that goes away ends the pending transaction at once, and the dead link refuses further
// requests without waiting; a device that is merely silent is still given both waits.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <arpa/inet.h>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "link/CXmit.h"
#include "link/SerialChannel.h"
#include "link/TcpChannel.h"
#include "tests/link/LinkFakes.h"

using namespace ostrivane;
using namespace ostrivane::test;
using namespace std::chrono_literals;

namespace {

const QByteArray kIdentifyRequest = Hex("021010");
// Type 131, main 5, spare 0, secondary 2 (the 02 doubled on the wire).
const QByteArray kIdentifyReply = Hex("02f404830500020274");
constexpr std::uint8_t kIdentify = 0x10;
constexpr int kWait2500ms = 500;  // in 5 ms units
constexpr int kWait100ms = 20;

// Counts the requests that reach the real channel, so a retry shows without timing anything.
class WriteCounter final : public Channel {
 public:
  WriteCounter(std::unique_ptr<Channel> inner, int& writes)
      : m_inner(std::move(inner)), m_writes(writes) {}
  Kind GetKind() const override { return m_inner->GetKind(); }
  bool IsOpen() const override { return m_inner->IsOpen(); }
  bool Write(const std::uint8_t* data, std::size_t n) override {
    ++m_writes;
    return m_inner->Write(data, n);
  }
  std::size_t Read(std::uint8_t* dest, std::size_t max, Millis wait) override {
    return m_inner->Read(dest, max, wait);
  }
  void Close() override { m_inner->Close(); }
  QString Describe() const override { return m_inner->Describe(); }

 private:
  std::unique_ptr<Channel> m_inner;
  int& m_writes;
};

// Reads from fd until the whole request has arrived; false when the line closed or stayed quiet.
bool AwaitRequest(int fd, const QByteArray& expected) {
  QByteArray got;
  while (!got.contains(expected)) {
    pollfd entry{fd, POLLIN, 0};
    char buffer[256];
    if (::poll(&entry, 1, 5000) <= 0) return false;
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n <= 0) return false;
    got.append(buffer, n);
  }
  return true;
}

enum class PeerEnd { Close, Reset, AnswerThenClose, StaySilent };

// A one-connection device on a loopback port that hears one request and then ends as told.
class LoopbackPeer {
 public:
  explicit LoopbackPeer(PeerEnd end) {
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), size);
    ::listen(m_listener, 1);
    ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &size);
    port = ntohs(address.sin_port);
    m_thread = std::thread([this, end] { Serve(end); });
  }
  ~LoopbackPeer() {
    m_thread.join();
    ::close(m_listener);
  }

  quint16 port = 0;

 private:
  void Serve(PeerEnd end) {
    const int peer = ::accept(m_listener, nullptr, nullptr);
    if (peer < 0) return;
    if (end == PeerEnd::StaySilent) {
      char buffer[256];
      while (::read(peer, buffer, sizeof buffer) > 0) {
      }
      ::close(peer);
      return;
    }
    if (AwaitRequest(peer, kIdentifyRequest) && end == PeerEnd::AnswerThenClose)
      (void)!::write(peer, kIdentifyReply.constData(), kIdentifyReply.size());
    if (end == PeerEnd::Reset) {
      const linger abortive{1, 0};  // close with RST instead of FIN
      ::setsockopt(peer, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
    }
    ::close(peer);
  }

  int m_listener = -1;
  std::thread m_thread;
};

struct LinkUnderTest {
  SteadyClock clock;
  RecordingStatus status;
  CXmit link{clock, status};
  int writes = 0;

  void Attach(std::unique_ptr<Channel> channel) {
    link.Attach(std::make_unique<WriteCounter>(std::move(channel), writes));
  }
  // The dead link fails the next request before sending or flashing anything.
  void ExpectDeadLinkRefusesAtOnce() {
    const auto flashes = status.flashes.size();
    link.LinkError = false;
    EXPECT_FALSE(link.Transact(kIdentify, {}, kWait2500ms));
    EXPECT_TRUE(link.LinkError);
    EXPECT_EQ(writes, 1);
    EXPECT_EQ(status.flashes.size(), flashes);
  }
};

struct PseudoTerminal {
  PseudoTerminal() {
    master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0)
      path = QString::fromLocal8Bit(::ptsname(master));
  }
  ~PseudoTerminal() { CloseMaster(); }
  void CloseMaster() {
    if (master >= 0) ::close(master);
    master = -1;
  }
  int master = -1;
  QString path;
};

}  // namespace

TEST(LostTcpLink, PeerClosesOrResets_TransactionFailsWithoutRetryAndLinkCloses) {
  for (const PeerEnd end : {PeerEnd::Close, PeerEnd::Reset}) {
    SCOPED_TRACE(end == PeerEnd::Close ? "closed" : "reset");
    LoopbackPeer peer(end);
    LinkUnderTest tool;
    auto channel = TcpChannel::Connect(QStringLiteral("127.0.0.1"), peer.port, 1000);
    ASSERT_NE(channel, nullptr);
    tool.Attach(std::move(channel));

    EXPECT_FALSE(tool.link.Transact(kIdentify, {}, kWait2500ms));
    EXPECT_TRUE(tool.link.LinkError);
    EXPECT_EQ(tool.writes, 1) << "a second attempt was sent to a closed connection";
    EXPECT_FALSE(tool.link.IsConnected());
    EXPECT_FALSE(tool.link.HasSocket());
    tool.ExpectDeadLinkRefusesAtOnce();
  }
}

TEST(LostTcpLink, ReplyFollowedByClose_IsStillDelivered) {
  LoopbackPeer peer(PeerEnd::AnswerThenClose);
  LinkUnderTest tool;
  auto channel = TcpChannel::Connect(QStringLiteral("127.0.0.1"), peer.port, 1000);
  ASSERT_NE(channel, nullptr);
  tool.Attach(std::move(channel));
  ASSERT_TRUE(tool.link.Transact(kIdentify, {}, kWait2500ms));
  EXPECT_EQ(tool.link.ReplyLength, 4u);
  EXPECT_EQ(tool.link.ReplyData[0], 131);
  EXPECT_FALSE(tool.link.LinkError);
}

TEST(LostTcpLink, SilentButOpenPeer_KeepsBothAttemptsAndStaysOpen) {
  LoopbackPeer peer(PeerEnd::StaySilent);
  LinkUnderTest tool;
  auto channel = TcpChannel::Connect(QStringLiteral("127.0.0.1"), peer.port, 1000);
  ASSERT_NE(channel, nullptr);
  tool.Attach(std::move(channel));

  EXPECT_FALSE(tool.link.Transact(kIdentify, {}, kWait100ms));
  EXPECT_TRUE(tool.link.LinkError);
  EXPECT_EQ(tool.writes, 2);
  EXPECT_TRUE(tool.link.HasSocket());
}

TEST(LostSerialLink, PseudoTerminalClosed_TransactionFailsWithoutRetryAndLinkCloses) {
  PseudoTerminal pty;
  ASSERT_FALSE(pty.path.isEmpty());
  LinkUnderTest tool;
  auto channel = SerialChannel::Open(pty.path);
  ASSERT_NE(channel, nullptr);
  tool.Attach(std::move(channel));
  std::thread device([&] {
    AwaitRequest(pty.master, kIdentifyRequest);
    pty.CloseMaster();
  });

  EXPECT_FALSE(tool.link.Transact(kIdentify, {}, kWait2500ms));
  device.join();
  EXPECT_TRUE(tool.link.LinkError);
  EXPECT_EQ(tool.writes, 1) << "a second attempt was sent to a closed port";
  EXPECT_FALSE(tool.link.IsConnected());
  EXPECT_FALSE(tool.link.HasSerial());
  tool.ExpectDeadLinkRefusesAtOnce();
}

TEST(LostSerialLink, SilentButOpenPort_KeepsBothAttemptsAndStaysOpen) {
  PseudoTerminal pty;
  ASSERT_FALSE(pty.path.isEmpty());
  LinkUnderTest tool;
  auto channel = SerialChannel::Open(pty.path);
  ASSERT_NE(channel, nullptr);
  tool.Attach(std::move(channel));

  EXPECT_FALSE(tool.link.Transact(kIdentify, {}, kWait100ms));
  EXPECT_TRUE(tool.link.LinkError);
  EXPECT_EQ(tool.writes, 2);
  EXPECT_TRUE(tool.link.IsConnected());
}
