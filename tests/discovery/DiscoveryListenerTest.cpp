#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "discovery/DiscoveryListener.h"

namespace ostrivane {
namespace {

using namespace std::chrono_literals;

constexpr char kLoopback[] = "127.0.0.1";
constexpr char kGroup[] = "239.255.255.250";

// The listener reads the clock from its own thread, so the test clock must be atomic.
class AtomicFakeClock final : public Clock {
 public:
  Millis Now() const override { return Millis(m_now.load()); }
  void SleepFor(Millis duration) override { Advance(duration); }
  void Advance(Millis duration) { m_now += duration.count(); }

 private:
  std::atomic<Millis::rep> m_now{1000};
};

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(5ms);
  }
  return true;
}

// Sends to the group through the loopback interface only, and never past this host (TTL 0).
void SendAnnouncement(const QByteArray& datagram, quint16 port) {
  const int sender = ::socket(AF_INET, SOCK_DGRAM, 0);
  ASSERT_GE(sender, 0);
  in_addr loopback{};
  inet_pton(AF_INET, kLoopback, &loopback);
  const unsigned char ttl = 0;
  ASSERT_EQ(setsockopt(sender, IPPROTO_IP, IP_MULTICAST_IF, &loopback, sizeof loopback), 0);
  ASSERT_EQ(setsockopt(sender, IPPROTO_IP, IP_MULTICAST_TTL, &ttl, sizeof ttl), 0);
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(port);
  inet_pton(AF_INET, kGroup, &target.sin_addr);
  const ssize_t sent = ::sendto(sender, datagram.constData(), datagram.size(), 0,
                                reinterpret_cast<const sockaddr*>(&target), sizeof target);
  ::close(sender);
  ASSERT_EQ(sent, datagram.size());
}

DiscoveryOptions LoopbackOptions() {
  DiscoveryOptions options;
  options.interfaceAddress = kLoopback;
  options.port = 0;  // any free port: parallel test runs never share one
  return options;
}

TEST(DiscoveryListener, LoopbackAnnouncements_ReachTheTableAndBadOnesAreDropped) {
  DiscoveryTable table;
  SteadyClock clock;
  DiscoveryListener listener(table, clock);
  ASSERT_EQ(listener.Start(LoopbackOptions()), discovery_start::kStarted);
  const quint16 port = listener.BoundPort();
  ASSERT_NE(port, 0);
  // Another program may hold the same port (SSDP shares it); both must hear the group.
  DiscoveryTable neighbourTable;
  DiscoveryListener neighbour(neighbourTable, clock);
  DiscoveryOptions shared = LoopbackOptions();
  shared.port = port;
  ASSERT_EQ(neighbour.Start(shared), discovery_start::kStarted);

  const QByteArray head = "VERUV_c0_LONG_127.0.0.1_";
  SendAnnouncement(head + QByteArray(256 - head.size(), 'x'), port);  // one byte too long
  SendAnnouncement("VERUV_C0_CASE_127.0.0.1", port);
  SendAnnouncement("VERUV_c0_SIM1_127.0.0.1", port);
  ASSERT_TRUE(WaitUntil([&] { return !table.Copy().isEmpty(); }, 1000ms));
  const auto entries = table.Copy();
  ASSERT_EQ(entries.size(), 1);
  EXPECT_EQ(entries[0].identifier, QStringLiteral("SIM1"));
  EXPECT_EQ(entries[0].address, QStringLiteral("127.0.0.1"));
  EXPECT_TRUE(WaitUntil([&] { return neighbourTable.Copy().size() == 1; }, 1000ms));
}

TEST(DiscoveryListener, NoDatagrams_TableStillAgesOnEachTimeOut) {
  DiscoveryTable table;
  AtomicFakeClock clock;
  DiscoveryListener listener(table, clock);
  DiscoveryOptions options = LoopbackOptions();
  options.receiveTimeout = 20ms;
  ASSERT_EQ(listener.Start(options), discovery_start::kStarted);

  table.Update("QUIET", kLoopback, static_cast<std::uint32_t>(clock.Now().count()));
  const quint64 passes = listener.PassCount();
  ASSERT_TRUE(WaitUntil([&] { return listener.PassCount() >= passes + 2; }, 1000ms));
  EXPECT_EQ(table.Copy().size(), 1);  // not yet expired

  clock.Advance(Millis(DiscoveryTable::kLifetimeMs + 1));
  EXPECT_TRUE(WaitUntil([&] { return table.Copy().isEmpty(); }, 1000ms));
}

TEST(DiscoveryListener, StopWhileWaiting_ReturnsPromptlyAndCanRestart) {
  DiscoveryTable table;
  SteadyClock clock;
  auto listener = std::make_unique<DiscoveryListener>(table, clock);
  ASSERT_EQ(listener->Start(LoopbackOptions()), discovery_start::kStarted);  // 2 s time-out
  std::this_thread::sleep_for(50ms);  // let the thread settle into its wait

  auto started = std::chrono::steady_clock::now();
  listener->Stop();
  EXPECT_LT(std::chrono::steady_clock::now() - started, 500ms);
  EXPECT_FALSE(listener->IsRunning());
  listener->Stop();  // harmless twice

  ASSERT_EQ(listener->Start(LoopbackOptions()), discovery_start::kStarted);
  std::this_thread::sleep_for(20ms);
  started = std::chrono::steady_clock::now();
  listener.reset();  // destruction stops it too
  EXPECT_LT(std::chrono::steady_clock::now() - started, 500ms);
}

TEST(StartDiscovery, Failures_GiveTheirCodesNoListenerAndAnEmptyTable) {
  DiscoveryTable table;
  SteadyClock clock;
  DiscoveryOptions options = LoopbackOptions();

  table.Update("STALE", kLoopback, 0);
  options.interfaceAddress = "not-an-address";
  DiscoveryStart result = StartDiscovery(table, options, clock);
  EXPECT_EQ(result.code, discovery_start::kNoInterface);
  EXPECT_EQ(result.listener, nullptr);
  EXPECT_TRUE(table.Copy().isEmpty());

  options = LoopbackOptions();
  options.group = kLoopback;  // not a multicast group
  EXPECT_EQ(StartDiscovery(table, options, clock).code, discovery_start::kJoinFailed);

  // A socket that did not ask to share its port keeps others off it.
  const int blocker = ::socket(AF_INET, SOCK_DGRAM, 0);
  ASSERT_GE(blocker, 0);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  inet_pton(AF_INET, kLoopback, &local.sin_addr);
  ASSERT_EQ(::bind(blocker, reinterpret_cast<const sockaddr*>(&local), sizeof local), 0);
  socklen_t length = sizeof local;
  ASSERT_EQ(getsockname(blocker, reinterpret_cast<sockaddr*>(&local), &length), 0);
  options = LoopbackOptions();
  options.port = ntohs(local.sin_port);
  EXPECT_EQ(StartDiscovery(table, options, clock).code, discovery_start::kBindFailed);
  ::close(blocker);

  result = StartDiscovery(table, LoopbackOptions(), clock);
  EXPECT_EQ(result.code, discovery_start::kStarted);
  ASSERT_NE(result.listener, nullptr);
  EXPECT_TRUE(result.listener->IsRunning());
}

}  // namespace
}  // namespace ostrivane
