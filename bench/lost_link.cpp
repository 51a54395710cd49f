// How soon a device that goes away is noticed: a request is waiting for its reply when the
// simulator closes its TCP connection or its pseudo-terminal; measured is the time from the close
// to the failed transaction, and to the failure of the next request on the dead link.

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "bench/BenchSupport.h"
#include "link/Commands.h"
#include "link/SerialChannel.h"
#include "link/TcpChannel.h"
#include "sim/PtyServer.h"
#include "sim/SimulatedModulator.h"
#include "sim/TcpServer.h"

namespace {

using namespace ostrivane;
using Clock = std::chrono::steady_clock;

constexpr int kRounds = 5;
constexpr int kConnectTimeoutMs = 3000;
constexpr auto kCloseAfter = std::chrono::milliseconds{300};  // well inside the first wait
constexpr double kTargetMs = 1000;

double Milliseconds(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

struct Round {
  double toFailure = -1;    // close -> failed transaction
  double nextRequest = -1;  // duration of the next request on the dead link
};

// One round: connect and identify, make the device silent, close it while the request waits.
template <class Server, class OpenChannel>
Round MeasureOnce(sim::SimulatedModulator& device, Server& server, OpenChannel open) {
  Round round;
  bench::ToolSession tool;
  if (!tool.AttachCounted(open(server))) return round;
  sim::SimFaults silent;
  silent.silence = true;
  device.SetFaults(silent);
  Clock::time_point closed;
  std::thread unplug([&] {
    std::this_thread::sleep_for(kCloseAfter);
    closed = Clock::now();
    server.Stop();
  });
  const bool answered = tool.link.Transact(cmd::ReadStatus, {}, timeout::Normal);
  const Clock::time_point failed = Clock::now();
  unplug.join();
  device.SetFaults(sim::SimFaults{});
  if (answered || !tool.link.LinkError) return round;
  round.toFailure = Milliseconds(failed - closed);
  const Clock::time_point next = Clock::now();
  tool.link.Transact(cmd::ReadStatus, {}, timeout::Normal);
  round.nextRequest = Milliseconds(Clock::now() - next);
  return round;
}

bool Report(const char* label, std::vector<Round> rounds) {
  std::sort(rounds.begin(), rounds.end(),
            [](const Round& a, const Round& b) { return a.toFailure < b.toFailure; });
  if (rounds.empty() || rounds.front().toFailure < 0) {
    std::printf("%-22s FAILED (the request was answered or the device did not identify)\n", label);
    return false;
  }
  const Round& median = rounds[rounds.size() / 2];
  double worstNext = 0;
  for (const Round& r : rounds) worstNext = std::max(worstNext, r.nextRequest);
  std::printf(
      "%-22s close -> failed transaction: median %7.1f ms, worst %7.1f ms (target < %.0f ms); "
      "next request on the dead link: worst %5.1f ms\n",
      label, median.toFailure, rounds.back().toFailure, kTargetMs, worstNext);
  return rounds.back().toFailure < kTargetMs;
}

bool MeasureTcp(sim::SimulatedModulator& device) {
  std::vector<Round> rounds;
  for (int i = 0; i < kRounds; ++i) {
    sim::TcpServer server(device, 0);
    if (!server.Start()) return false;
    rounds.push_back(MeasureOnce(device, server, [](sim::TcpServer& s) {
      return TcpChannel::Connect(sim::TcpServer::Host(), s.Port(), kConnectTimeoutMs);
    }));
  }
  return Report("TCP peer closes", rounds);
}

bool MeasurePty(sim::SimulatedModulator& device) {
  std::vector<Round> rounds;
  for (int i = 0; i < kRounds; ++i) {
    sim::PtyServer server(device);
    if (!server.Start()) return false;
    rounds.push_back(MeasureOnce(
        device, server, [](sim::PtyServer& s) { return SerialChannel::Open(s.SlavePath()); }));
  }
  return Report("pseudo-terminal closes", rounds);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  sim::SimOptions options;
  options.typeCode = 131;
  sim::SimulatedModulator device(options);
  std::printf(
      "A status request (2 x 2.5 s) is pending when the device closes its end; %d rounds.\n",
      kRounds);
  const bool tcpOk = MeasureTcp(device);
  const bool ptyOk = MeasurePty(device);
  return tcpOk && ptyOk ? 0 : 1;
}
