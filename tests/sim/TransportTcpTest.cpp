#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "link/CXmit.h"
#include "link/TcpChannel.h"
#include "sim/SimulatedModulator.h"
#include "sim/TcpServer.h"

namespace ostrivane::sim {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

constexpr int kConnectTimeoutMs = 1000;
constexpr std::uint8_t kIdentify = 0x10;
constexpr std::uint8_t kReadConfig = 0x70;
constexpr int kWait1s = 200;     // in 5 ms units
constexpr int kWait500ms = 100;  // in 5 ms units

milliseconds Since(steady_clock::time_point start) {
  return std::chrono::duration_cast<milliseconds>(steady_clock::now() - start);
}

// A simulated device on an ephemeral loopback port, and a link object that talks to it over TCP.
struct TcpRig {
  explicit TcpRig(const SimOptions& options = {}) : device(options), server(device, 0) {
    started = server.Start(&error);
  }
  bool Connect() {
    auto channel = TcpChannel::Connect(TcpServer::Host(), server.Port(), kConnectTimeoutMs);
    if (!channel) return false;
    link.Attach(std::move(channel));
    return true;
  }
  std::vector<std::uint8_t> Reply() const { return {link.Reply().begin(), link.Reply().end()}; }

  SimulatedModulator device;
  TcpServer server;
  QString error;
  bool started = false;
  SteadyClock clock;
  NullStatusSink status;
  CXmit link{clock, status};
};

int ConnectRaw(std::uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

TEST(TransportTcp, Identify_AnswersWithConfiguredIdentityOnEphemeralLoopbackPort) {
  SimOptions options;
  options.typeCode = 150;
  options.mainVersion = 21;
  options.spareVersion = 3;
  options.secondaryVersion = 7;
  TcpRig rig(options);
  ASSERT_TRUE(rig.started) << rig.error.toStdString();
  EXPECT_NE(rig.server.Port(), 0);
  ASSERT_TRUE(rig.Connect());

  ASSERT_TRUE(rig.link.Transact(kIdentify, {}, kWait1s));
  EXPECT_EQ(rig.Reply(), (std::vector<std::uint8_t>{150, 21, 3, 7}));
  EXPECT_FALSE(rig.link.LinkError);
  EXPECT_EQ(rig.server.AcceptedConnections(), 1);
}

TEST(TransportTcp, SplitReplies_DecodeTheSameAsWholeOnes) {
  TcpRig rig;
  ASSERT_TRUE(rig.started && rig.Connect());
  ASSERT_TRUE(rig.link.Transact(kReadConfig, {}, kWait1s));
  const std::vector<std::uint8_t> whole = rig.Reply();
  ASSERT_GT(whole.size(), 16u);  // long enough to arrive over many reads when split

  SimFaults split;
  split.splitReplies = true;
  rig.device.SetFaults(split);
  ASSERT_TRUE(rig.link.Transact(kReadConfig, {}, kWait1s));
  EXPECT_EQ(rig.Reply(), whole);
  ASSERT_TRUE(rig.link.Transact(kIdentify, {}, kWait1s));
  EXPECT_EQ(rig.Reply().size(), 4u);
}

TEST(TransportTcp, DelayedReply_InsideDeadlineSucceedsBeyondBothWaitsFailsAndStopIsPrompt) {
  auto rig = std::make_unique<TcpRig>();
  ASSERT_TRUE(rig->started && rig->Connect());
  SimFaults slow;
  slow.delay = milliseconds{300};
  rig->device.SetFaults(slow);
  auto start = steady_clock::now();
  EXPECT_TRUE(rig->link.Transact(kIdentify, {}, kWait1s));
  EXPECT_GE(Since(start), milliseconds{300});

  slow.delay = milliseconds{1500};
  rig->device.SetFaults(slow);
  start = steady_clock::now();
  EXPECT_FALSE(rig->link.Transact(kIdentify, {}, kWait500ms));
  EXPECT_TRUE(rig->link.LinkError);
  EXPECT_GE(Since(start), milliseconds{950});

  // The server is still sleeping on the first of those replies: stopping must not wait it out.
  start = steady_clock::now();
  rig.reset();
  EXPECT_LT(Since(start), milliseconds{300});
}

TEST(TransportTcp, DropAfterRequests_RaisesLinkErrorAndANewConnectionIdentifies) {
  TcpRig rig;
  ASSERT_TRUE(rig.started && rig.Connect());
  SimFaults drop;
  drop.dropLinkAfterRequests = 2;
  rig.device.SetFaults(drop);
  EXPECT_TRUE(rig.link.Transact(kIdentify, {}, kWait500ms));
  EXPECT_TRUE(rig.link.Transact(kIdentify, {}, kWait500ms));
  EXPECT_FALSE(rig.link.LinkError);
  EXPECT_FALSE(rig.link.Transact(kIdentify, {}, kWait500ms));
  EXPECT_TRUE(rig.link.LinkError);

  rig.device.SetFaults({});
  rig.link.LinkError = false;
  ASSERT_TRUE(rig.Connect());
  EXPECT_TRUE(rig.link.Transact(kIdentify, {}, kWait500ms));
  EXPECT_EQ(rig.server.AcceptedConnections(), 2);
}

TEST(TransportTcp, DeviceDropsTheConnection_TransactionFailsAndTheLinkCloses) {
  TcpRig rig;
  ASSERT_TRUE(rig.started && rig.Connect());
  SimFaults drop;
  drop.dropLinkAfterRequests = 1;
  rig.device.SetFaults(drop);
  ASSERT_TRUE(rig.link.Transact(kIdentify, {}, kWait500ms * 5));
  EXPECT_FALSE(rig.link.Transact(kIdentify, {}, kWait500ms * 5));
  EXPECT_TRUE(rig.link.LinkError);
  EXPECT_FALSE(rig.link.IsConnected());
  EXPECT_EQ(rig.server.AcceptedConnections(), 1);
}

TEST(TransportTcp, ServerStopsWhileARequestWaits_TransactionFailsAndTheLinkCloses) {
  TcpRig rig;
  ASSERT_TRUE(rig.started && rig.Connect());
  SimFaults silent;
  silent.silence = true;
  rig.device.SetFaults(silent);
  std::thread unplug([&] {
    std::this_thread::sleep_for(milliseconds{100});
    rig.server.Stop();
  });
  EXPECT_FALSE(rig.link.Transact(kIdentify, {}, kWait500ms * 5));
  unplug.join();
  EXPECT_TRUE(rig.link.LinkError);
  EXPECT_FALSE(rig.link.IsConnected());
}

TEST(TransportTcp, NewConnection_ReplacesTheOldOneAndForgetsItsPartialRequest) {
  TcpRig rig;
  ASSERT_TRUE(rig.started);
  const int stale = ConnectRaw(rig.server.Port());
  ASSERT_GE(stale, 0);
  // A lone STX: kept as the start of a frame, it would swallow the next client's STX.
  const char stx = 0x02;
  ASSERT_EQ(::send(stale, &stx, 1, 0), 1);

  ASSERT_TRUE(rig.Connect());
  const auto start = steady_clock::now();
  EXPECT_TRUE(rig.link.Transact(kIdentify, {}, kWait500ms));
  EXPECT_LT(Since(start), milliseconds{450}) << "answered only after a retry";

  pollfd closed{stale, POLLIN, 0};
  ASSERT_EQ(::poll(&closed, 1, 1000), 1);
  char byte = 0;
  EXPECT_EQ(::recv(stale, &byte, 1, 0), 0) << "the replaced client must see end of stream";
  ::close(stale);
  EXPECT_EQ(rig.server.AcceptedConnections(), 2);
}

}  // namespace
}  // namespace ostrivane::sim
