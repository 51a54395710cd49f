#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "link/CXmit.h"
#include "link/Connection.h"
#include "link/SerialChannel.h"
#include "link/TcpChannel.h"
#include "tests/link/LinkFakes.h"
#include "tests/link/LoopbackPeers.h"

using namespace ostrivane;
using namespace ostrivane::test;
using namespace std::chrono_literals;

namespace {

// Waits up to 2 s for `expected`, then writes `reply` in two parts.
void AnswerOnce(int fd, const QByteArray& expected, const QByteArray& reply) {
  if (!AwaitRequest(fd, expected, 2000)) return;
  const auto half = reply.size() / 2;
  (void)!::write(fd, reply.constData(), half);
  std::this_thread::sleep_for(20ms);
  (void)!::write(fd, reply.constData() + half, reply.size() - half);
}

// A read that finds nothing must block for its wait: returning early would make callers spin.
template <class C>
void ExpectReadBlocksFor(C& channel, Millis wait) {
  std::uint8_t byte = 0;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(channel.Read(&byte, 1, wait), 0u);
  EXPECT_GE(std::chrono::steady_clock::now() - start, wait - 5ms);
}

bool IdentifyOver(std::unique_ptr<Channel> channel, DeviceIdentity& identity) {
  SteadyClock clock;
  NullStatusSink status;
  CXmit link(clock, status);
  link.Attach(std::move(channel));
  return Identify(link, identity);
}

}  // namespace

TEST(TcpChannelLoopback, IdentifiesThroughALoopbackPeerAndWaitsWithoutSpinning) {
  quint16 port = 0;
  const int listener = ListenOnLoopback(port);
  int peer = -1;
  std::thread device([&] {
    peer = ::accept(listener, nullptr, nullptr);
    AnswerOnce(peer, kIdentifyRequest, kIdentifyReply);
  });
  auto channel = TcpChannel::Connect("127.0.0.1", port, 1000);
  ASSERT_NE(channel, nullptr);
  EXPECT_EQ(channel->Describe(), QStringLiteral("tcp:127.0.0.1:%1").arg(port));
  TcpChannel* raw = channel.get();
  DeviceIdentity identity;
  SteadyClock clock;
  NullStatusSink status;
  CXmit link(clock, status);
  link.Attach(std::move(channel));
  EXPECT_TRUE(Identify(link, identity));
  EXPECT_EQ(identity.DeviceTypeCode, 131);
  EXPECT_EQ(identity.Version.secondary, 2);
  device.join();

  ExpectReadBlocksFor(*raw, 50ms);  // quiet peer
  EXPECT_TRUE(raw->IsOpen());
  ::close(peer);
  // The end of the stream ends the read at once and closes the channel.
  std::uint8_t byte = 0;
  EXPECT_EQ(raw->Read(&byte, 1, 10s), 0u);
  EXPECT_FALSE(raw->IsOpen());
  ExpectReadBlocksFor(*raw, 50ms);  // a connection known to be closed
  ::close(listener);
}

TEST(TcpChannelLoopback, LargeWriteArrivesWholeAndFailuresGiveNoChannel) {
  quint16 port = 0;
  const int listener = ListenOnLoopback(port);
  constexpr std::size_t kSize = 8 * 1024 * 1024;  // far beyond the socket buffers
  std::size_t received = 0;
  std::thread device([&] {
    const int peer = ::accept(listener, nullptr, nullptr);
    char buffer[65536];
    for (ssize_t n; (n = ::read(peer, buffer, sizeof buffer)) > 0;) received += std::size_t(n);
    ::close(peer);
  });
  auto channel = TcpChannel::Connect("127.0.0.1", port, 1000);
  ASSERT_NE(channel, nullptr);
  const std::vector<std::uint8_t> data(kSize, 0x5A);
  EXPECT_TRUE(channel->Write(data.data(), data.size()));
  channel->Close();
  device.join();
  EXPECT_EQ(received, kSize);
  EXPECT_FALSE(channel->IsOpen());

  ::close(listener);  // nobody listens on the port any more
  EXPECT_EQ(TcpChannel::Connect("127.0.0.1", port, 1000), nullptr);
  EXPECT_EQ(TcpChannel::Connect("not an address", port, 1000), nullptr);
}

TEST(SerialChannelPty, IdentifiesOverAPseudoTerminal) {
  PseudoTerminal pty;
  ASSERT_FALSE(pty.path.isEmpty());
  const QString& path = pty.path;
  const int master = pty.master;

  auto channel = SerialChannel::Open(path);
  ASSERT_NE(channel, nullptr);
  EXPECT_EQ(channel->Describe(), "serial:" + path);
  ExpectReadBlocksFor(*channel, 50ms);

  std::thread device([&] {
    (void)!::write(master, "\x55\x66", 2);  // line noise before the request
    AnswerOnce(master, kIdentifyRequest, kIdentifyReply);
  });
  DeviceIdentity identity;
  EXPECT_TRUE(IdentifyOver(std::move(channel), identity));
  device.join();
  EXPECT_EQ(identity.DeviceTypeCode, 131);
  EXPECT_EQ(identity.Version.main, 5);

  EXPECT_EQ(SerialChannel::Open("/dev/does-not-exist"), nullptr);
}
