// Request/reply round trips per second over TCP loopback: TcpChannel + CXmit against the
// simulator's TcpServer, each on its own thread like the real tool and device.

#include <QCoreApplication>
#include <chrono>
#include <cstdio>

#include "bench/BenchSupport.h"
#include "link/Commands.h"
#include "link/TcpChannel.h"
#include "sim/SimulatedModulator.h"
#include "sim/TcpServer.h"

namespace {

using namespace ostrivane;

constexpr std::uint8_t kTypeCode = 131;
constexpr int kConnectTimeoutMs = 3000;
constexpr std::chrono::seconds kRunPerCommand{2};

struct Rate {
  long long done = 0;
  long long failed = 0;
  double seconds = 0;
  std::uint64_t replyBytes = 0;
};

Rate RunFor(CXmit& link, bench::CountingChannel& counter, std::uint8_t command) {
  Rate rate;
  counter.ResetCounts();
  const auto start = std::chrono::steady_clock::now();
  const auto until = start + kRunPerCommand;
  while (std::chrono::steady_clock::now() < until) {
    if (link.Transact(command, {}, timeout::Normal)) {
      ++rate.done;
    } else {
      ++rate.failed;
      link.LinkError = false;
    }
  }
  rate.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  rate.replyBytes = counter.ReadBytes();
  return rate;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  sim::SimOptions options;
  options.typeCode = kTypeCode;
  sim::SimulatedModulator device(options);
  sim::TcpServer server(device, 0);
  QString error;
  if (!server.Start(&error)) {
    std::fprintf(stderr, "%s\n", qPrintable(error));
    return 1;
  }
  bench::ToolSession tool;
  bench::CountingChannel* counter = tool.AttachCounted(
      TcpChannel::Connect(sim::TcpServer::Host(), server.Port(), kConnectTimeoutMs));
  if (!counter) {
    std::fprintf(stderr, "the simulated device did not identify over TCP\n");
    return 1;
  }

  std::printf(
      "Transactions per second over TCP loopback (CXmit::Transact, %lld s per command, one\n"
      "request in flight at a time; the simulator answers on its own thread).\n",
      static_cast<long long>(kRunPerCommand.count()));
  const struct {
    std::uint8_t command;
    const char* name;
  } kCommands[] = {
      {cmd::Identify, "identify"}, {cmd::ReadStatus, "status"}, {cmd::ReadConfig, "config read"}};
  bool allOk = true;
  for (const auto& entry : kCommands) {
    const Rate rate = RunFor(tool.link, *counter, entry.command);
    const double perSecond = static_cast<double>(rate.done) / rate.seconds;
    const long long total = rate.done + rate.failed;
    std::printf("0x%02X %-12s %9.0f transactions/s, %6.1f us each, reply %llu bytes, %lld failed\n",
                unsigned{entry.command}, entry.name, perSecond, 1e6 / perSecond,
                total > 0 ? static_cast<unsigned long long>(rate.replyBytes / total) : 0ULL,
                rate.failed);
    allOk = allOk && rate.failed == 0 && rate.done > 0;
  }
  return allOk ? 0 : 1;
}
