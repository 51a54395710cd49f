// CPU spent while the tool waits: an unanswered request (two 2.5 s attempts) and the idle status
// poll of a connected panel, five ticks a second. Both should block on descriptors, not spin.

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <thread>

#include "bench/BenchSupport.h"
#include "link/Commands.h"
#include "link/SerialChannel.h"
#include "link/TcpChannel.h"
#include "operations/Transfer.h"
#include "sim/PtyServer.h"
#include "sim/SimulatedModulator.h"
#include "sim/TcpServer.h"

namespace {

using namespace ostrivane;

constexpr std::uint8_t kTypeCode = 131;
constexpr int kConnectTimeoutMs = 3000;
constexpr int kIdleTicks = 25;  // about 5 s at the window's tick period
constexpr double kTargetPercent = 1.0;

void PrintCpu(const char* label, const bench::CpuMeter::Result& cpu, const char* note) {
  std::printf(
      "%-34s wall %6.3f s, tool thread %5.2f %%, process %5.2f %% of a core (target < %.0f %%)%s\n",
      label, cpu.wallSeconds, cpu.threadPercent, cpu.processPercent, kTargetPercent, note);
}

// One request the device never hears: the link waits out both attempts.
bool UnansweredRequest(const char* label, bench::ToolSession& tool,
                       sim::SimulatedModulator& device) {
  sim::SimFaults silent;
  silent.silence = true;
  device.SetFaults(silent);
  const bench::CpuMeter meter;
  const bool answered = tool.link.Transact(cmd::ReadStatus, {}, timeout::Normal);
  const bench::CpuMeter::Result cpu = meter.Stop();
  device.SetFaults(sim::SimFaults{});
  const bool sawError = tool.link.LinkError;
  tool.link.LinkError = false;
  PrintCpu(label, cpu, answered ? "  UNEXPECTED REPLY" : "");
  return !answered && sawError;
}

// The panel's timer: a tick, then the timer is re-armed for the next period.
bool IdlePolling(const char* label, bench::ToolSession& tool, sim::SimulatedModulator& device) {
  device.ClearRequests();
  const bench::CpuMeter meter;
  for (int i = 0; i < kIdleTicks; ++i) {
    PanelTick(tool.ctx, true);
    std::this_thread::sleep_for(std::chrono::milliseconds(kPanelTickPeriodMs));
  }
  const bench::CpuMeter::Result cpu = meter.Stop();
  int polls = 0;
  for (const sim::SimRequest& request : device.Requests()) {
    if (request.command == cmd::ReadStatus) ++polls;
  }
  const bool ok = polls == kIdleTicks && !tool.link.LinkError;
  PrintCpu(label, cpu, ok ? "" : "  POLLS FAILED");
  return ok;
}

bool RunOver(const char* transport, bench::ToolSession& tool, sim::SimulatedModulator& device) {
  const QByteArray unanswered = QByteArrayLiteral("unanswered request, ") + transport;
  const QByteArray idle = QByteArrayLiteral("idle status poll 5/s, ") + transport;
  const bool first = UnansweredRequest(unanswered.constData(), tool, device);
  const bool second = IdlePolling(idle.constData(), tool, device);
  return first && second;
}

// Each transport's server runs only while it is measured, so 'process' holds one simulator thread.
bool MeasureTcp(sim::SimulatedModulator& device) {
  sim::TcpServer tcp(device, 0);
  QString error;
  if (!tcp.Start(&error)) {
    std::fprintf(stderr, "%s\n", qPrintable(error));
    return false;
  }
  bench::ToolSession tool;
  if (!tool.AttachCounted(
          TcpChannel::Connect(sim::TcpServer::Host(), tcp.Port(), kConnectTimeoutMs))) {
    std::fprintf(stderr, "the simulated device did not identify over TCP\n");
    return false;
  }
  return RunOver("TCP", tool, device);
}

bool MeasurePty(sim::SimulatedModulator& device) {
  sim::PtyServer pty(device);
  QString error;
  if (!pty.Start(&error)) {
    std::fprintf(stderr, "%s\n", qPrintable(error));
    return false;
  }
  bench::ToolSession tool;
  if (!tool.AttachCounted(SerialChannel::Open(pty.SlavePath()))) {
    std::fprintf(stderr, "the simulated device did not identify over its pty\n");
    return false;
  }
  return RunOver("serial pty", tool, device);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  sim::SimOptions options;
  options.typeCode = kTypeCode;
  sim::SimulatedModulator device(options);
  std::printf(
      "CPU use while waiting (getrusage user+sys / wall, %% of one core). 'tool thread' is the\n"
      "thread running the link; 'process' also counts the in-process simulator's thread.\n");
  const bool tcpOk = MeasureTcp(device);
  const bool ptyOk = MeasurePty(device);
  return tcpOk && ptyOk ? 0 : 1;
}
