// A device that goes away ends the pending transaction at once, and the dead link refuses further
// requests without waiting; a device that is merely silent is still given both waits.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "link/CXmit.h"
#include "link/SerialChannel.h"
#include "link/TcpChannel.h"
#include "tests/link/LinkFakes.h"
#include "tests/link/LoopbackPeers.h"

using namespace ostrivane;
using namespace ostrivane::test;
using namespace std::chrono_literals;

namespace {

constexpr std::uint8_t kIdentify = 0x10;
constexpr int kWait2500ms = 500;  // in 5 ms units
constexpr int kWait100ms = 20;
constexpr int kPeerWaitMs = 5000;

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

enum class PeerEnd { Close, Reset, AnswerThenClose, StaySilent };

// A one-connection device on a loopback port that hears one request and then ends as told.
class LoopbackPeer {
 public:
  explicit LoopbackPeer(PeerEnd end) {
    m_listener = ListenOnLoopback(port);
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
    if (AwaitRequest(peer, kIdentifyRequest, kPeerWaitMs) && end == PeerEnd::AnswerThenClose)
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

  // Opens the channel and gives it to the link; false when it cannot be opened.
  [[nodiscard]] bool AttachTcp(quint16 port) {
    return Attach(TcpChannel::Connect(QStringLiteral("127.0.0.1"), port, 1000));
  }
  [[nodiscard]] bool AttachSerial(const QString& path) { return Attach(SerialChannel::Open(path)); }
  [[nodiscard]] bool Attach(std::unique_ptr<Channel> channel) {
    if (channel == nullptr) return false;
    link.Attach(std::make_unique<WriteCounter>(std::move(channel), writes));
    return true;
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

}  // namespace

TEST(LostTcpLink, PeerClosesOrResets_TransactionFailsWithoutRetryAndLinkCloses) {
  for (const PeerEnd end : {PeerEnd::Close, PeerEnd::Reset}) {
    SCOPED_TRACE(end == PeerEnd::Close ? "closed" : "reset");
    LoopbackPeer peer(end);
    LinkUnderTest tool;
    ASSERT_TRUE(tool.AttachTcp(peer.port));

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
  ASSERT_TRUE(tool.AttachTcp(peer.port));
  ASSERT_TRUE(tool.link.Transact(kIdentify, {}, kWait2500ms));
  EXPECT_EQ(tool.link.ReplyLength, 4u);
  EXPECT_EQ(tool.link.ReplyData[0], 131);
  EXPECT_FALSE(tool.link.LinkError);
}

TEST(LostTcpLink, SilentButOpenPeer_KeepsBothAttemptsAndStaysOpen) {
  LoopbackPeer peer(PeerEnd::StaySilent);
  LinkUnderTest tool;
  ASSERT_TRUE(tool.AttachTcp(peer.port));

  EXPECT_FALSE(tool.link.Transact(kIdentify, {}, kWait100ms));
  EXPECT_TRUE(tool.link.LinkError);
  EXPECT_EQ(tool.writes, 2);
  EXPECT_TRUE(tool.link.HasSocket());
}

TEST(LostSerialLink, PseudoTerminalClosed_TransactionFailsWithoutRetryAndLinkCloses) {
  PseudoTerminal pty;
  ASSERT_FALSE(pty.path.isEmpty());
  LinkUnderTest tool;
  ASSERT_TRUE(tool.AttachSerial(pty.path));
  std::thread device([&] {
    AwaitRequest(pty.master, kIdentifyRequest, kPeerWaitMs);
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
  ASSERT_TRUE(tool.AttachSerial(pty.path));

  EXPECT_FALSE(tool.link.Transact(kIdentify, {}, kWait100ms));
  EXPECT_TRUE(tool.link.LinkError);
  EXPECT_EQ(tool.writes, 2);
  EXPECT_TRUE(tool.link.IsConnected());
}
