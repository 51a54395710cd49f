// Configuration record decode and encode, per record layout, in records per second. Each layout is
// measured on the record a new simulated device of a representative type holds, and on the same
// record with every text and schedule entry filled (the largest records the tool handles).

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <cstdio>
#include <string>
#include <vector>

#include "config/ConfigCodec.h"
#include "sim/DeviceDefaults.h"

namespace {

using namespace ostrivane;

constexpr std::uint8_t kMainVersion = 20;

struct LayoutCase {
  const char* layout;
  std::uint8_t typeCode;
  bool filled;
};

constexpr LayoutCase kCases[] = {
    {"LegacyLayout/121", 121, false},       {"FourKLayout/192", 192, false},
    {"MultiLayout/176", 176, false},        {"StandardLayout/131", 131, false},
    {"LegacyLayout/121 filled", 121, true}, {"FourKLayout/192 filled", 192, true},
    {"MultiLayout/176 filled", 176, true},  {"StandardLayout/131 filled", 131, true},
};
constexpr int kCaseCount = static_cast<int>(std::size(kCases));

struct Fixture {
  LayoutContext context;
  QByteArray record;
  DeviceConfig config;
  PanelState panel;
  bool ok = false;
};

// Texts start longer than any field and shrink until the whole record fits its 1024 bytes.
const QString kLongText = QStringLiteral("Ostrivane benchmark text 0123456789 abcdefghijklmnop");
constexpr qsizetype kTextShrinkStep = 4;

void FillTexts(DeviceConfig& config, PanelState& panel, const QString& text) {
  for (ServiceSettings& service : config.Services) {
    service.ServiceName = service.EitEventName = service.EitEventText = text;
    service.AitRootUrl = service.AitPath = service.AitAppName = text;
  }
  config.NetworkName = config.Reference = config.LogoName = text;
  config.ScheduleCount = kScheduleSlots;
  for (ScheduleEntry& entry : config.Schedule) entry.FileName = text;
  panel.UsbFileNameText = panel.OverlayFileText = panel.LogoFieldText = text;
}

// The largest record this layout takes with every text filled to one common length.
bool FillRecord(Fixture& f) {
  const DeviceConfig base = f.config;
  for (qsizetype length = kLongText.size(); length > 0; length -= kTextShrinkStep) {
    f.config = base;
    FillTexts(f.config, f.panel, kLongText.left(length));
    if (EncodeConfigImage(f.config, f.panel, f.context, f.record)) {
      return DecodeConfigImage(f.record, f.context, f.config, f.panel);
    }
  }
  return false;
}

// A decoded model of the device's record, ready for either direction.
Fixture Prepare(const LayoutCase& layoutCase) {
  Fixture f;
  f.context =
      LayoutContext{layoutCase.typeCode, kMainVersion, RecordShape::ForType(layoutCase.typeCode)};
  f.record = sim::DefaultConfigRecord(layoutCase.typeCode, kMainVersion);
  f.ok = DecodeConfigImage(f.record, f.context, f.config, f.panel);
  if (f.ok && layoutCase.filled) f.ok = FillRecord(f);
  return f;
}

bool Start(benchmark::State& state, Fixture& f) {
  const LayoutCase& layoutCase = kCases[state.range(0)];
  f = Prepare(layoutCase);
  state.SetLabel(layoutCase.layout);
  if (f.ok) return true;
  state.SkipWithError("the record of this type does not decode");
  return false;
}

void Finish(benchmark::State& state, const Fixture& f) {
  state.SetItemsProcessed(state.iterations());
  state.counters["record_bytes"] = static_cast<double>(f.record.size());
}

void BM_Decode(benchmark::State& state) {
  Fixture f;
  if (!Start(state, f)) return;
  for (auto _ : state) {
    bool ok = DecodeConfigImage(f.record, f.context, f.config, f.panel);
    benchmark::DoNotOptimize(ok);
  }
  Finish(state, f);
}

void BM_Encode(benchmark::State& state) {
  Fixture f;
  if (!Start(state, f)) return;
  QByteArray out;
  for (auto _ : state) {
    bool ok = EncodeConfigImage(f.config, f.panel, f.context, out);
    benchmark::DoNotOptimize(ok);
    benchmark::DoNotOptimize(out.constData());
  }
  if (out.isEmpty()) state.SkipWithError("the model did not encode");
  Finish(state, f);
}

// What a read-modify-send cycle costs the tool: the device's record in, the tool's record out.
void BM_DecodeEncode(benchmark::State& state) {
  Fixture f;
  if (!Start(state, f)) return;
  QByteArray out;
  for (auto _ : state) {
    bool decoded = DecodeConfigImage(f.record, f.context, f.config, f.panel);
    bool encoded = EncodeConfigImage(f.config, f.panel, f.context, out);
    benchmark::DoNotOptimize(decoded);
    benchmark::DoNotOptimize(encoded);
    benchmark::DoNotOptimize(out.constData());
  }
  Finish(state, f);
}

BENCHMARK(BM_Decode)->DenseRange(0, kCaseCount - 1);
BENCHMARK(BM_Encode)->DenseRange(0, kCaseCount - 1);
BENCHMARK(BM_DecodeEncode)->DenseRange(0, kCaseCount - 1);

}  // namespace

int main(int argc, char** argv) {
  std::printf(
      "Configuration record codec per layout (records per second = items_per_second).\n"
      "Target: decode + encode well over 100000 records/s.\n");
  // Short runs keep the whole program well under a minute on a busy two-core machine; an explicit
  // --benchmark_min_time given later on the command line wins.
  std::vector<char*> args(argv, argv + argc);
  std::string minTime = "--benchmark_min_time=0.2";
  args.insert(args.begin() + 1, minTime.data());
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
