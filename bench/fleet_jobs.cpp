// The headend's parallel work: sixteen simulated modulators on 127.0.3.x, each answering a record
// read half a second late, backed up through an inventory with --jobs 8 and with --jobs 1.
// Prints both wall times and their ratio.

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "cli/Cli.h"
#include "sim/SimulatedModulator.h"
#include "sim/TcpServer.h"

namespace {

using namespace ostrivane;
using Clock = std::chrono::steady_clock;

constexpr int kDevices = 16;
constexpr std::chrono::milliseconds kRecordDelay{500};
constexpr double kTargetRatio = 5.0;

struct Device {
  explicit Device(int i)
      : modulator([] {
          sim::SimOptions options;
          options.faults.delay = kRecordDelay;
          options.faults.onlyCommand = 0x70;  // every record read
          return options;
        }()),
        server(modulator, 0, QStringLiteral("127.0.3.%1").arg(i + 1)) {}
  sim::SimulatedModulator modulator;
  sim::TcpServer server;
};

// One backup of the whole inventory; the wall time in seconds, negative when it failed.
double BackUp(const QString& inventory, const QString& into, int jobs) {
  QByteArray out;
  QByteArray err;
  QBuffer outBuffer(&out);
  QBuffer errBuffer(&err);
  outBuffer.open(QIODevice::WriteOnly);
  errBuffer.open(QIODevice::WriteOnly);
  QTextStream outStream(&outBuffer);
  QTextStream errStream(&errBuffer);
  const auto start = Clock::now();
  const int code = cli::RunCli(
      {QStringLiteral("backup"), QStringLiteral("--devices"), inventory, QStringLiteral("--jobs"),
       QString::number(jobs), QStringLiteral("--into"), into, QStringLiteral("--quiet")},
      outStream, errStream);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  if (code != cli::kExitOk) {
    errStream.flush();
    std::fprintf(stderr, "backup --jobs %d failed (%d): %s\n", jobs, code, err.constData());
    return -1;
  }
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  std::vector<std::unique_ptr<Device>> devices;
  QTemporaryDir folder;
  QFile inventory(folder.filePath(QStringLiteral("rack.txt")));
  if (!inventory.open(QIODevice::WriteOnly)) return 1;
  for (int i = 0; i < kDevices; ++i) {
    devices.push_back(std::make_unique<Device>(i));
    if (!devices.back()->server.Start()) return 1;
    inventory.write(QStringLiteral("slow-%1 tcp:%2:%3\n")
                        .arg(i)
                        .arg(devices.back()->server.Address())
                        .arg(devices.back()->server.Port())
                        .toUtf8());
  }
  inventory.close();
  const double parallel = BackUp(inventory.fileName(), folder.path(), 8);
  const double serial = BackUp(inventory.fileName(), folder.path(), 1);
  if (parallel <= 0 || serial <= 0) return 1;
  std::printf(
      "backup of %d devices (record read answered %lld ms late): --jobs 8 %.2f s, "
      "--jobs 1 %.2f s, ratio %.2f (target >= %.1f)\n",
      kDevices, static_cast<long long>(kRecordDelay.count()), parallel, serial, serial / parallel,
      kTargetRatio);
  return 0;
}
