#pragma once

// What the benchmark programs share: a byte-counting channel wrapper, a CPU meter and the set of
// single instances an operation runs on.

#include <sys/resource.h>

#include <QString>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "common/Clock.h"
#include "common/Prompts.h"
#include "common/StatusSink.h"
#include "link/CXmit.h"
#include "link/Channel.h"
#include "link/Connection.h"
#include "operations/OperationContext.h"

namespace ostrivane::bench {

inline constexpr double kBitsPerByte = 10.0;  // start bit, 8 data bits, stop bit
inline constexpr int kLineBaud = 115200;

// Passes everything through to the real channel and counts the bytes that crossed it, so the
// wire time of a run is computed from what really went out and came back.
class CountingChannel final : public Channel {
 public:
  explicit CountingChannel(std::unique_ptr<Channel> inner) : m_inner(std::move(inner)) {}

  Kind GetKind() const override { return m_inner->GetKind(); }
  bool IsOpen() const override { return m_inner->IsOpen(); }
  bool Write(const std::uint8_t* data, std::size_t n) override {
    const bool ok = m_inner->Write(data, n);
    if (ok) m_written += n;
    return ok;
  }
  std::size_t Read(std::uint8_t* dest, std::size_t max, Millis wait) override {
    const std::size_t n = m_inner->Read(dest, max, wait);
    m_read += n;
    return n;
  }
  void Close() override { m_inner->Close(); }
  QString Describe() const override { return m_inner->Describe(); }

  std::uint64_t Written() const { return m_written; }
  std::uint64_t ReadBytes() const { return m_read; }
  void ResetCounts() { m_written = m_read = 0; }

 private:
  std::unique_ptr<Channel> m_inner;
  std::uint64_t m_written = 0;
  std::uint64_t m_read = 0;
};

inline double WireSeconds(std::uint64_t bytes, int baud) {
  return static_cast<double>(bytes) * kBitsPerByte / baud;
}

// Notes when each request goes out and how many bytes had crossed the channel by then, so a run can
// be split into transactions: each one's duration against its own wire time.
class StampingStatusSink final : public StatusSink {
 public:
  struct Stamp {
    std::chrono::steady_clock::time_point when;
    std::uint64_t bytesBefore = 0;
  };

  void ShowStatusText(const QString&, int, bool) override {}
  void SetProgress(std::uint32_t, std::uint32_t) override {}
  void FlashActivity(bool) override {
    if (m_counter) m_stamps.push_back({std::chrono::steady_clock::now(), Total()});
  }
  void ShowWarningIcon(bool) override {}

  // Starts stamping the requests that cross counter; nullptr stops it.
  void Watch(const CountingChannel* counter) {
    m_counter = counter;
    m_stamps.clear();
  }
  const std::vector<Stamp>& Stamps() const { return m_stamps; }
  std::uint64_t Total() const {
    return m_counter ? m_counter->Written() + m_counter->ReadBytes() : 0;
  }

 private:
  const CountingChannel* m_counter = nullptr;
  std::vector<Stamp> m_stamps;
};

// CPU time (user + system) of the calling thread and of the whole process over a wall interval.
class CpuMeter {
 public:
  struct Result {
    double wallSeconds = 0;
    double threadPercent = 0;   // of one core, the calling (tool) thread only
    double processPercent = 0;  // of one core, every thread (the in-process simulator too)
  };

  CpuMeter() { Restart(); }

  void Restart() {
    m_wallStart = std::chrono::steady_clock::now();
    m_threadStart = CpuSeconds(RUSAGE_THREAD);
    m_processStart = CpuSeconds(RUSAGE_SELF);
  }

  Result Stop() const {
    Result r;
    r.wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - m_wallStart).count();
    if (r.wallSeconds <= 0) return r;
    r.threadPercent = 100.0 * (CpuSeconds(RUSAGE_THREAD) - m_threadStart) / r.wallSeconds;
    r.processPercent = 100.0 * (CpuSeconds(RUSAGE_SELF) - m_processStart) / r.wallSeconds;
    return r;
  }

 private:
  static double CpuSeconds(int who) {
    rusage usage{};
    if (::getrusage(who, &usage) != 0) return 0;
    const auto seconds = [](const timeval& t) {
      return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
  }

  std::chrono::steady_clock::time_point m_wallStart;
  double m_threadStart = 0;
  double m_processStart = 0;
};

// The single instances a running tool owns, wired into one OperationContext on the real clock.
struct ToolSession {
  SteadyClock clock;
  StampingStatusSink status;
  NullPrompts prompts;
  NullPanelDisplays displays;
  CXmit link{clock, status};
  DeviceIdentity identity;
  DeviceConfig config;
  PanelState panel;
  RecordShape shape;
  DeviceStatusPair deviceStatus;
  ApplicationData settings;
  ConnectionFlags flags;
  OperationContext ctx{link,     identity, config, panel,   shape,    deviceStatus,
                       settings, flags,    status, prompts, displays, clock};

  // Attaches channel through a counter and identifies the device; nullptr when either fails.
  CountingChannel* AttachCounted(std::unique_ptr<Channel> channel) {
    if (!channel) return nullptr;
    auto counted = std::make_unique<CountingChannel>(std::move(channel));
    CountingChannel* raw = counted.get();
    link.Attach(std::move(counted));
    if (!Identify(link, identity)) return nullptr;
    shape = RecordShape::ForType(identity.DeviceTypeCode);
    return raw;
  }
};

}  // namespace ostrivane::bench
