#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/resource.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <thread>

#include "link/CXmit.h"
#include "link/FrameCodec.h"
#include "link/SerialChannel.h"
#include "sim/PtyServer.h"
#include "sim/SimulatedModulator.h"

namespace ostrivane::sim {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

constexpr std::uint8_t kIdentify = 0x10;
constexpr int kWait1s = 200;  // in 5 ms units

milliseconds CpuTime() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  const auto total = [](const timeval& t) {
    return milliseconds{t.tv_sec * 1000 + t.tv_usec / 1000};
  };
  return total(usage.ru_utime) + total(usage.ru_stime);
}

// Sends an identify request through the raw slave and returns how many bytes the whole reply
// took on the line, or 0 when no good reply arrived within the wait.
std::size_t IdentifyRaw(int slave, milliseconds wait) {
  // 02 10 10: the identify request, command 0x10 without payload, checksum 0x10.
  const std::array<std::uint8_t, 3> request{0x02, 0x10, 0x10};
  if (::write(slave, request.data(), request.size()) != 3) return 0;
  std::array<std::uint8_t, kFrameBufferSize> payload{};
  ReplyDecoder decoder(payload);
  std::size_t received = 0;
  const auto deadline = steady_clock::now() + wait;
  while (steady_clock::now() < deadline) {
    pollfd in{slave, POLLIN, 0};
    if (::poll(&in, 1, 50) <= 0) continue;
    std::uint8_t byte = 0;
    if (::read(slave, &byte, 1) != 1) return 0;
    ++received;
    const auto result = decoder.Feed(byte);
    if (result == ReplyDecoder::Result::GoodFrame) return received;
    if (result == ReplyDecoder::Result::BadFrame) return 0;
  }
  return 0;
}

TEST(TransportPty, SerialChannel_IdentifiesAndAgainAfterTheSlaveIsReopened) {
  SimulatedModulator device(SimOptions{});
  PtyServer server(device);
  QString error;
  ASSERT_TRUE(server.Start(&error)) << error.toStdString();
  ASSERT_TRUE(server.SlavePath().startsWith(QStringLiteral("/dev/pts/")));

  SteadyClock clock;
  NullStatusSink status;
  CXmit link(clock, status);
  for (int round = 0; round < 2; ++round) {
    auto channel = SerialChannel::Open(server.SlavePath());
    ASSERT_NE(channel, nullptr) << "round " << round;
    link.Attach(std::move(channel));
    ASSERT_TRUE(link.Transact(kIdentify, {}, kWait1s)) << "round " << round;
    EXPECT_EQ(link.Reply()[0], 131);
    link.CloseAll();
    // Let the server run into the hang-up of the closed slave before the reopen.
    std::this_thread::sleep_for(milliseconds{50});
  }
}

TEST(TransportPty, ServerStopsWhileARequestWaits_TransactionFailsAndTheLinkCloses) {
  SimulatedModulator device(SimOptions{});
  PtyServer server(device);
  ASSERT_TRUE(server.Start());
  SimFaults silent;
  silent.silence = true;
  device.SetFaults(silent);
  SteadyClock clock;
  NullStatusSink status;
  CXmit link(clock, status);
  auto channel = SerialChannel::Open(server.SlavePath());
  ASSERT_NE(channel, nullptr);
  link.Attach(std::move(channel));

  // Whether the stop comes before, during or after the send, the device is gone for good.
  std::thread unplug([&] {
    std::this_thread::sleep_for(milliseconds{100});
    server.Stop();
  });
  EXPECT_FALSE(link.Transact(kIdentify, {}, kWait1s * 5));
  unplug.join();
  EXPECT_TRUE(link.LinkError);
  EXPECT_FALSE(link.IsConnected());
  link.LinkError = false;
  EXPECT_FALSE(link.Transact(kIdentify, {}, kWait1s * 5));
  EXPECT_TRUE(link.LinkError);
}

TEST(TransportPty, NoSlaveOpen_ServerWaitsWithoutSpinning) {
  SimulatedModulator device(SimOptions{});
  PtyServer server(device);
  ASSERT_TRUE(server.Start());
  const milliseconds before = CpuTime();
  std::this_thread::sleep_for(milliseconds{400});
  // A loop on the hung-up master would burn the whole 400 ms.
  EXPECT_LT(CpuTime() - before, milliseconds{40});

  const auto start = steady_clock::now();
  server.Stop();
  EXPECT_LT(steady_clock::now() - start, milliseconds{200});
}

TEST(TransportPty, PacedLine_ExchangeTakesAtLeastItsWireTime) {
  constexpr int kBaud = 1200;  // 8.33 ms per byte: large against scheduling noise
  SimulatedModulator device(SimOptions{});
  PtyServer server(device);
  server.SetBaudRate(kBaud);
  ASSERT_TRUE(server.Start());
  const QByteArray path = server.SlavePath().toLocal8Bit();
  const int slave = ::open(path.constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(slave, 0);

  const auto start = steady_clock::now();
  const std::size_t replyBytes = IdentifyRaw(slave, milliseconds{2000});
  const auto elapsed = steady_clock::now() - start;
  ::close(slave);
  ASSERT_GE(replyBytes, 7u);  // 02 F4 04, four identity bytes, checksum
  const auto wire = milliseconds{(3 + replyBytes) * 10 * 1000 / kBaud};
  EXPECT_GE(elapsed, wire - milliseconds{2});
  EXPECT_LT(elapsed, wire + milliseconds{500});
}

}  // namespace
}  // namespace ostrivane::sim
