#pragma once

#include <QDateTime>
#include <chrono>
#include <thread>

namespace ostrivane {

using Millis = std::chrono::milliseconds;

// Time source of the link and the operations. Production code uses SteadyClock; tests inject a
// fake so that 2.5 s deadlines pass in microseconds.
class Clock {
 public:
  virtual ~Clock() = default;
  // Monotonic milliseconds since an arbitrary origin.
  virtual Millis Now() const = 0;
  virtual void SleepFor(Millis duration) = 0;
  // Local calendar time, for names that carry a date (backups).
  virtual QDateTime LocalTime() const { return QDateTime::currentDateTime(); }
};

class SteadyClock final : public Clock {
 public:
  Millis Now() const override {
    return std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now().time_since_epoch());
  }
  void SleepFor(Millis duration) override { std::this_thread::sleep_for(duration); }
};

// Manually advanced clock for tests.
class FakeClock final : public Clock {
 public:
  Millis Now() const override { return m_now; }
  void SleepFor(Millis duration) override { m_now += duration; }
  void Advance(Millis duration) { m_now += duration; }
  QDateTime LocalTime() const override {
    return QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)).addMSecs(m_now.count());
  }

 private:
  Millis m_now{1000};
};

}  // namespace ostrivane
