// Main firmware image transfer over a pseudo-terminal serial line: how close the whole upgrade
// comes to the time its own bytes need on the wire at 115200 baud.

#include <QCoreApplication>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "bench/BenchSupport.h"
#include "link/SerialChannel.h"
#include "operations/FirmwareImageStore.h"
#include "operations/FirmwareUpgrade.h"
#include "operations/ModelTable.h"
#include "sim/FirmwareImage.h"
#include "sim/PtyServer.h"
#include "sim/SimulatedModulator.h"

namespace {

using namespace ostrivane;

constexpr std::uint8_t kTypeCode = 131;  // 512-byte flash blocks, image header and trailer
constexpr std::uint8_t kInstalledVersion = 20;
constexpr int kImageVersion = 30;
constexpr qsizetype kKiB = 1024;
// A whole 1 MiB image needs about 95 s of line time at 115200 baud; the ratio does not depend on
// the size, so the paced run uses a quarter unless asked for the full image.
constexpr qsizetype kPacedImageSize = 256 * kKiB;
constexpr qsizetype kFullImageSize = 1024 * kKiB;
constexpr double kTargetRatio = 1.03;

struct RunResult {
  bool ok = false;
  double wallSeconds = 0;
  std::uint64_t bytesOut = 0;
  std::uint64_t bytesIn = 0;
  int transfersAccepted = 0;
  // Per transaction: its duration minus its own bytes' wire time.
  std::size_t transactions = 0;
  double medianOverheadUs = 0;
  double meanOverheadUs = 0;
};

// Splits the run at each request; a transaction lasts until the next request goes out.
void MeasureOverheads(const bench::StampingStatusSink& sink,
                      std::chrono::steady_clock::time_point end, RunResult& result) {
  const auto& stamps = sink.Stamps();
  std::vector<double> overheads;
  overheads.reserve(stamps.size());
  for (std::size_t i = 0; i < stamps.size(); ++i) {
    const bool last = i + 1 == stamps.size();
    const auto until = last ? end : stamps[i + 1].when;
    const std::uint64_t bytes =
        (last ? sink.Total() : stamps[i + 1].bytesBefore) - stamps[i].bytesBefore;
    const double seconds = std::chrono::duration<double>(until - stamps[i].when).count();
    overheads.push_back(1e6 * (seconds - bench::WireSeconds(bytes, bench::kLineBaud)));
  }
  result.transactions = overheads.size();
  if (overheads.empty()) return;
  double sum = 0;
  for (const double o : overheads) sum += o;
  result.meanOverheadUs = sum / static_cast<double>(overheads.size());
  std::nth_element(overheads.begin(), overheads.begin() + overheads.size() / 2, overheads.end());
  result.medianOverheadUs = overheads[overheads.size() / 2];
}

// The simulated device on its pty, the image file it will be sent, and the tool connected to it.
struct PtyRig {
  QTemporaryDir folder;
  sim::SimulatedModulator device{DeviceOptions()};
  sim::PtyServer pty{device};
  bench::ToolSession tool;
  bench::CountingChannel* counter = nullptr;

  static sim::SimOptions DeviceOptions() {
    sim::SimOptions options;
    options.typeCode = kTypeCode;
    options.mainVersion = kInstalledVersion;
    return options;
  }

  // Writes the image, starts the device and identifies it; the image ready to send on success.
  FirmwareImage Prepare(qsizetype imageSize, int baud) {
    const QString model = ModelName(kTypeCode, tool.prompts);
    if (!folder.isValid() ||
        sim::WriteFirmwareImage(folder.path(), model, kImageVersion, imageSize).isEmpty()) {
      std::fprintf(stderr, "cannot write the firmware image\n");
      return {};
    }
    pty.SetBaudRate(baud);
    QString error;
    if (!pty.Start(&error)) {
      std::fprintf(stderr, "%s\n", qPrintable(error));
      return {};
    }
    tool.settings.SetFirmwareFolder(folder.path() + QLatin1Char('/'));
    counter = tool.AttachCounted(SerialChannel::Open(pty.SlavePath()));
    if (!counter) {
      std::fprintf(stderr, "the device on %s did not identify\n", qPrintable(pty.SlavePath()));
      return {};
    }
    FirmwareImage image = FindFirmwareImage(tool.ctx, model);
    if (!image.found || image.bytes.size() != imageSize) {
      std::fprintf(stderr, "the firmware image was not found\n");
      return {};
    }
    return image;
  }
};

// Times the upgrade alone; setting up and identifying the device stay outside the measurement.
RunResult UpgradeOverPty(qsizetype imageSize, int baud) {
  RunResult result;
  PtyRig rig;
  const FirmwareImage image = rig.Prepare(imageSize, baud);
  if (!image.found) return result;

  rig.counter->ResetCounts();
  rig.tool.status.Watch(rig.counter);
  const auto start = std::chrono::steady_clock::now();
  const MainUpgradeResult upgrade = MainImageUpgrade(rig.tool.ctx, image);
  const auto end = std::chrono::steady_clock::now();
  result.wallSeconds = std::chrono::duration<double>(end - start).count();
  MeasureOverheads(rig.tool.status, end, result);
  rig.tool.status.Watch(nullptr);
  result.bytesOut = rig.counter->Written();
  result.bytesIn = rig.counter->ReadBytes();
  for (const sim::FlashTransfer& transfer : rig.device.FlashTransfers()) {
    if (transfer.accepted) ++result.transfersAccepted;
  }
  result.ok = upgrade.beganOk && upgrade.lastResult && result.transfersAccepted == 1;
  return result;
}

bool Report(const char* label, qsizetype imageSize, const RunResult& run, bool paced) {
  if (!run.ok) {
    std::printf("%-10s FAILED: the device did not accept the image (%d transfers accepted)\n",
                label, run.transfersAccepted);
    return false;
  }
  const double wire = bench::WireSeconds(run.bytesOut + run.bytesIn, bench::kLineBaud);
  const double kibPerSecond = static_cast<double>(imageSize) / run.wallSeconds / kKiB;
  std::printf(
      "%-10s %4lld KiB: wall %7.3f s, 115200-baud wire time %7.3f s (%llu bytes out, %llu in), "
      "wall/wire %.4f, %.1f KiB/s\n",
      label, static_cast<long long>(imageSize / kKiB), run.wallSeconds, wire,
      static_cast<unsigned long long>(run.bytesOut), static_cast<unsigned long long>(run.bytesIn),
      run.wallSeconds / wire, kibPerSecond);
  // Without a line limit no wire time is spent: a transaction's whole round trip is the overhead.
  if (!paced) {
    std::printf("%-10s %zu transactions: %.0f us per round trip (request out, reply back)\n", "",
                run.transactions, 1e6 * run.wallSeconds / static_cast<double>(run.transactions));
    return true;
  }
  const double medianTotal =
      wire + static_cast<double>(run.transactions) * run.medianOverheadUs / 1e6;
  std::printf(
      "%-10s %zu transactions: overhead beyond own wire time median %.0f us, mean %.0f us; "
      "wall/wire if every one had the median %.4f\n",
      "", run.transactions, run.medianOverheadUs, run.meanOverheadUs, medianTotal / wire);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const bool full = app.arguments().contains(QStringLiteral("--full"));
  const qsizetype pacedSize = full ? kFullImageSize : kPacedImageSize;

  std::printf(
      "Main image upgrade (type %u, 512-byte flash blocks) through SerialChannel + CXmit to the\n"
      "simulator's pty. wall/wire = elapsed time / (every request and reply byte x 10 bits /\n"
      "115200). Paced: the simulator holds both directions to 115200 baud, target <= %.2f.\n"
      "Unpaced: the same path with no line limit (how much faster than the line the software is).\n"
      "%s\n",
      unsigned{kTypeCode}, kTargetRatio,
      full ? "Paced run uses the full 1 MiB image."
           : "Paced run uses 256 KiB (1 MiB takes ~95 s; the ratio is size-independent; --full "
             "for 1 MiB).");

  const bool pacedOk =
      Report("paced", pacedSize, UpgradeOverPty(pacedSize, bench::kLineBaud), true);
  const bool unpacedOk =
      Report("unpaced", kFullImageSize, UpgradeOverPty(kFullImageSize, 0), false);
  return pacedOk && unpacedOk ? 0 : 1;
}
