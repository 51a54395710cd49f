// The window never waits on a device: a 10 ms timer on the window's thread records the largest gap
// between its ticks while the device is silent, goes away, or is flashed; and the time from a
// device that goes away to "Waiting connection..." in the status bar. Real time throughout.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "common/Prompts.h"
#include "sim/Announcer.h"
#include "sim/FirmwareImage.h"
#include "sim/PtyServer.h"
#include "sim/SimulatedModulator.h"
#include "sim/TcpServer.h"
#include "tests/ui/QuietOffscreen.h"
#include "ui/Info.h"
#include "ui/OstrivaneApp.h"
#include "ui/OstrivaneDlg.h"

namespace {

using namespace ostrivane;

constexpr int kProbeMs = 10;
constexpr double kTargetGapMs = 50.0;
const QString kWaiting = QStringLiteral("Waiting connection...");

// The largest gap between two ticks of a 10 ms timer on the window's thread.
class StallProbe {
 public:
  StallProbe() {
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
      const qint64 now = m_clock.nsecsElapsed();
      if (m_last >= 0) m_worst = std::max(m_worst, now - m_last);
      m_last = now;
    });
  }
  void Start() {
    m_worst = 0;
    m_last = -1;
    m_clock.start();
    m_timer.start(kProbeMs);
  }
  double StopMs() {
    m_timer.stop();
    return static_cast<double>(m_worst) / 1e6;
  }

 private:
  QTimer m_timer;
  QElapsedTimer m_clock;
  qint64 m_last = -1;
  qint64 m_worst = 0;
};

// Runs the event loop until condition holds or timeoutMs passed; true when it held.
bool RunUntil(const std::function<bool()>& condition, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (!condition()) {
    if (clock.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

void RunFor(int ms) {
  RunUntil([] { return false; }, ms);
}

struct Window {
  explicit Window(std::uint16_t devicePort, QStringList serial = {}) {
    AppOptions options;
    options.dataFolder = data.path();
    options.desktopFolder = data.path();
    options.discovery.interfaceAddress = QStringLiteral("127.0.0.1");
    options.discovery.port = 0;
    options.connection.tcpPort = devicePort != 0 ? devicePort : 1;
    options.connection.scanUsbPorts = false;
    options.connection.extraSerialPaths = std::move(serial);
    options.prompts = &prompts;
    app = std::make_unique<COstrivaneApp>(options);
  }
  void Start() { app->Start(); }
  COstrivaneDlg& Dialog() { return *app->MainDialog(); }
  QString Text() { return Dialog().Info().StatusText(); }
  bool Connected() { return Dialog().Connected(); }

  QTemporaryDir data;
  NullPrompts prompts;
  std::unique_ptr<COstrivaneApp> app;
};

sim::SimOptions Options(int baud = 0) {
  sim::SimOptions options;
  options.typeCode = 131;
  options.restartDuration = std::chrono::milliseconds(1000);
  options.baudRate = baud;
  return options;
}

struct Row {
  const char* what;
  double worstGapMs;
  double noticedMs;  // < 0: not measured
};
std::vector<Row> g_rows;

void Report(const char* what, double gap, double noticed = -1) {
  g_rows.push_back({what, gap, noticed});
  std::printf("%-52s largest gap %7.1f ms (target <= %.0f)", what, gap, kTargetGapMs);
  if (noticed >= 0) std::printf(", \"Waiting connection...\" after %7.1f ms", noticed);
  std::printf("\n");
  std::fflush(stdout);
}

void SearchOverSilentPorts() {
  std::vector<std::unique_ptr<sim::SimulatedModulator>> devices;
  std::vector<std::unique_ptr<sim::PtyServer>> ptys;
  QStringList paths;
  for (int i = 0; i < 3; ++i) {
    devices.push_back(std::make_unique<sim::SimulatedModulator>(Options()));
    sim::SimFaults silent;
    silent.silence = true;
    devices.back()->SetFaults(silent);
    ptys.push_back(std::make_unique<sim::PtyServer>(*devices.back()));
    ptys.back()->Start();
    paths.append(ptys.back()->SlavePath());
  }
  Window window(0, paths);
  window.Start();
  StallProbe probe;
  probe.Start();
  RunFor(16000);  // one whole pass over the three ports
  Report("search over three silent pseudo-terminals", probe.StopMs());
  window.app.reset();
  for (auto& pty : ptys) pty->Stop();
}

// Connected already: loses the device as lose says, then measures the window until it searches
// again and a second longer.
void MeasureLoss(Window& window, const char* what, const std::function<void()>& lose) {
  if (!RunUntil([&] { return window.Connected(); }, 15000)) {
    std::printf("  the device was not connected\n");
    return;
  }
  RunFor(500);
  StallProbe probe;
  probe.Start();
  QElapsedTimer since;
  since.start();
  lose();
  const bool noticed = RunUntil([&] { return window.Text() == kWaiting; }, 30000);
  const double noticedMs = noticed ? static_cast<double>(since.elapsed()) : -1;
  RunFor(1000);
  Report(what, probe.StopMs(), noticedMs);
}

// Connected over TCP, then the device goes wrong in one of two ways.
void ConnectedTcpDevice(bool closeSocket) {
  sim::SimulatedModulator device(Options());
  sim::TcpServer tcp(device, 0);
  tcp.Start();
  Window window(tcp.Port());
  window.Start();
  sim::AnnouncerOptions announce;
  announce.identifier = QStringLiteral("BENCH");
  announce.port = window.app->DiscoveryPort();
  announce.interval = std::chrono::milliseconds(200);
  sim::Announcer announcer(announce);
  announcer.Start();
  MeasureLoss(window,
              closeSocket ? "TCP device closes its socket" : "connected TCP device stops answering",
              [&] {
                if (closeSocket) {
                  announcer.Stop();
                  tcp.Stop();
                } else {
                  sim::SimFaults silent;
                  silent.silence = true;
                  device.SetFaults(silent);
                }
              });
  announcer.Stop();
  window.app.reset();
  tcp.Stop();
}

void SerialDeviceGoesAway() {
  sim::SimulatedModulator device(Options());
  auto pty = std::make_unique<sim::PtyServer>(device);
  pty->Start();
  Window window(0, {pty->SlavePath()});
  window.Start();
  // The other side of the pseudo-terminal closes.
  MeasureLoss(window, "serial device's pseudo-terminal closes", [&] { pty.reset(); });
  window.app.reset();
}

void FirmwareOverPacedPty() {
  sim::SimulatedModulator device(Options(115200));
  sim::PtyServer pty(device);
  pty.SetBaudRate(115200);
  pty.Start();
  Window window(0, {pty.SlavePath()});
  const QString folder = window.data.path() + QStringLiteral("/firmware");
  QDir().mkpath(folder);
  const QString image = sim::WriteFirmwareImage(folder, QStringLiteral("UNIT131"), 21, 256 * 1024);
  if (image.isEmpty()) std::printf("  no image written into %s\n", qPrintable(folder));
  window.Start();
  // Measured from the window's first search step on: building the window is not device work.
  StallProbe probe;
  probe.Start();
  const bool started = RunUntil([&] { return window.Dialog().Locked(); }, 20000);
  const bool finished = started && RunUntil([&] { return !window.Dialog().Locked(); }, 120000);
  if (!finished) std::printf("  status bar: %s\n", qPrintable(window.Text()));
  Report(finished ? "256 KiB firmware upgrade over a pty at 115200 baud"
                  : "firmware upgrade (did not run to its end)",
         probe.StopMs());
  window.app.reset();
  pty.Stop();
}

void LogDownload() {
  sim::SimOptions options = Options(115200);
  options.logFile0Size = 64 * 1024;
  options.logFileSize = 64 * 1024;
  sim::SimulatedModulator device(options);
  sim::PtyServer pty(device);
  pty.SetBaudRate(115200);
  pty.Start();
  Window window(0, {pty.SlavePath()});
  window.Start();
  if (!RunUntil([&] { return window.Connected(); }, 15000)) return;
  StallProbe probe;
  probe.Start();
  Q_EMIT window.Dialog().Info().LogRequested();
  // The download is over when the files stop growing: the polls carry on meanwhile.
  RunFor(14000);
  Report("log download (2 x 64 KiB over a pty at 115200 baud)", probe.StopMs());
  window.app.reset();
  pty.Stop();
}

}  // namespace

int main(int argc, char** argv) {
  ostrivane::test::UseQuietOffscreenPlatform();
  QApplication app(argc, argv);
  // `bench_ui_stall NAME` runs only the cases whose name contains NAME.
  const QString only = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
  const std::vector<std::pair<QString, std::function<void()>>> cases = {
      {QStringLiteral("search"), SearchOverSilentPorts},
      {QStringLiteral("silent"), [] { ConnectedTcpDevice(false); }},
      {QStringLiteral("tcp-close"), [] { ConnectedTcpDevice(true); }},
      {QStringLiteral("pty-close"), SerialDeviceGoesAway},
      {QStringLiteral("firmware"), FirmwareOverPacedPty},
      {QStringLiteral("logs"), LogDownload},
  };
  for (const auto& [name, run] : cases) {
    if (only.isEmpty() || name.contains(only)) run();
  }
  double worst = 0;
  for (const Row& row : g_rows) worst = std::max(worst, row.worstGapMs);
  std::printf("largest gap over all cases: %.1f ms (target <= %.0f ms)\n", worst, kTargetGapMs);
  return 0;
}
