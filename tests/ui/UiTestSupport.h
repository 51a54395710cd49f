#pragma once

// The window against a simulated modulator: the simulator serves TCP (and optionally a
// pseudo-terminal) on its own threads, on 127.0.0.1 only; the window's discovery listens on
// 127.0.0.1 on a free port. The link runs on an accelerated clock so that a device that stops
// answering is given up in a fraction of a second instead of ten.

#include <QFile>
#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <thread>

#include "common/Clock.h"
#include "common/Prompts.h"
#include "sim/Announcer.h"
#include "sim/PtyServer.h"
#include "sim/SimulatedModulator.h"
#include "sim/TcpServer.h"
#include "ui/ControlIds.h"
#include "ui/Info.h"
#include "ui/OstrivaneApp.h"
#include "ui/OstrivaneDlg.h"
#include "ui/Setting.h"
#include "ui/pages/PanelPage.h"

namespace ostrivane::uitest {

// How much faster than real time the window tests' link clock runs. Sanitized builds run the
// threads several times slower, so the device's deadlines are stretched less there.
#ifdef OSTRIVANE_SANITIZER_BUILD
inline constexpr int kClockFactor = 5;
#else
inline constexpr int kClockFactor = 20;
#endif

// Real time, running `factor` times faster; stateless, so any thread may read it.
class AcceleratedClock final : public Clock {
 public:
  explicit AcceleratedClock(int factor) : m_factor(factor) {}
  Millis Now() const override {
    const auto elapsed = std::chrono::steady_clock::now() - m_origin;
    return std::chrono::duration_cast<Millis>(elapsed * m_factor) + Millis{1000};
  }
  void SleepFor(Millis duration) override { std::this_thread::sleep_for(duration / m_factor); }

 private:
  int m_factor;
  std::chrono::steady_clock::time_point m_origin = std::chrono::steady_clock::now();
};

// Real time plus an offset that a test moves forward (the discovery table ages by it); the
// listener thread reads it.
class ShiftedClock final : public Clock {
 public:
  Millis Now() const override {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<Millis>(now) + Millis{m_offsetMs.load()};
  }
  void SleepFor(Millis duration) override { std::this_thread::sleep_for(duration); }
  void Advance(Millis by) { m_offsetMs += by.count(); }

 private:
  std::atomic<long long> m_offsetMs{0};
};

// Answers message boxes from a script (OK once the script is used up) and records them.
class RecordingPrompts final : public Prompts {
 public:
  PromptAnswer ShowMessage(const MessageBoxRequest& request) override {
    messages.append(request);
    if (answers.empty()) return PromptAnswer::Ok;
    const PromptAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }
  QString GetSaveFileName(const FileDialogRequest&) override { return saveAnswer; }
  QString GetOpenFileName(const FileDialogRequest&) override { return openAnswer; }
  void Beep(int, int) override { ++beeps; }
  // With hold set, the window-modal questions stay open: held keeps their answers for later.
  void AskMessage(const MessageBoxRequest& request,
                  std::function<void(PromptAnswer)> answer) override {
    if (!hold) return Prompts::AskMessage(request, std::move(answer));
    messages.append(request);
    heldMessages.push_back(std::move(answer));
  }
  void AskOpenFileName(const FileDialogRequest& request,
                       std::function<void(const QString&)> answer) override {
    if (!hold) return Prompts::AskOpenFileName(request, std::move(answer));
    heldFile = std::move(answer);
  }

  bool hold = false;
  std::deque<std::function<void(PromptAnswer)>> heldMessages;
  std::function<void(const QString&)> heldFile;
  std::deque<PromptAnswer> answers;
  QList<MessageBoxRequest> messages;
  QString saveAnswer;
  QString openAnswer;
  int beeps = 0;
};

// A simulated modulator serving TCP on a free loopback port, optionally a pseudo-terminal and
// multicast announcements.
struct SimSetup {
  std::uint8_t type = 131;
  bool withPty = false;
  // Several devices share one port number on different loopback addresses, as a rack does.
  QString address = QStringLiteral("127.0.0.1");
  std::uint16_t tcpPort = 0;  // 0: a free one
  QString identifier = QStringLiteral("UITEST");
};

class SimDevice {
 public:
  explicit SimDevice(std::uint8_t type = 131, bool withPty = false);
  explicit SimDevice(const SimSetup& setup);
  ~SimDevice();

  // Announces the device (its identifier and address) to a discovery listener on this port,
  // every 200 ms.
  bool Announce(quint16 discoveryPort);
  void StopAnnouncing();
  bool Started() const { return m_started; }
  std::uint16_t TcpPort() const { return m_tcp.Port(); }
  const QString& Identifier() const { return m_setup.identifier; }
  QString PtyPath() const { return m_pty ? m_pty->SlavePath() : QString(); }
  // Requests received so far with this command.
  int Count(std::uint8_t command) const;
  bool Received(std::uint8_t command, const QByteArray& payload) const;
  void GoSilent();
  void Answer();

  sim::SimulatedModulator device;

 private:
  static sim::SimOptions Options(std::uint8_t type);

  SimSetup m_setup;
  sim::TcpServer m_tcp;
  bool m_started = false;
  std::unique_ptr<sim::PtyServer> m_pty;
  std::unique_ptr<sim::Announcer> m_announcer;
};

struct HarnessSetup {
  bool advanced = false;
  bool manufacturer = false;
  std::uint16_t devicePort = 0;  // TCP port of announced devices
  QStringList serialPaths{};
  // Short, so that a lone announced device is connected without the full period's wait.
  int announcementPeriodMs = 300;
  QString lastDevice{};  // written to last_device.txt before the start
  QString language{};    // written to pref.txt ("FR", "DE", ...) before the start
  Clock* discoveryClock = nullptr;
};

// The whole application, started, with its data and desktop folders in temporary directories.
class UiHarness {
 public:
  explicit UiHarness(const HarnessSetup& setup);
  ~UiHarness();

  COstrivaneApp& App() { return *m_app; }
  COstrivaneDlg& Dialog() { return *m_app->MainDialog(); }
  CInfo& Info() { return Dialog().Info(); }
  CSetting& Setting() { return Dialog().Setting(); }
  OperationContext& Ctx() { return m_app->Context(); }
  QString DesktopFolder() const { return m_desktop.path(); }
  QString FirmwareFolder() const { return m_data.path() + QStringLiteral("/firmware"); }
  QString DataFolder() const { return m_data.path(); }

  // Waits (running the event loop) until the window has connected a device.
  bool WaitConnected(int timeoutMs = 8000);
  // Waits until the device thread has no work left (what a click queued has been done).
  bool WaitDeviceIdle(int timeoutMs = 5000);

  RecordingPrompts prompts;

 private:
  AcceleratedClock m_clock{kClockFactor};
  QTemporaryDir m_data;
  QTemporaryDir m_desktop;
  std::unique_ptr<COstrivaneApp> m_app;
};

// Runs the event loop until condition holds or the time is up.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs);
// Runs the event loop until the application's device thread has no work left.
bool WaitDeviceIdle(COstrivaneApp& app, int timeoutMs = 5000);

// The child of root whose "controlId" is id.
template <class W = QWidget>
W* FindControl(QWidget& root, int id) {
  for (W* widget : root.findChildren<W*>()) {
    if (widget->property(control::kProperty).toInt() == id) return widget;
  }
  return nullptr;
}

// The panel as far as pages on their own need it: it remembers the selections it is told.
class BenchHost final : public PanelHost {
 public:
  int CurrentPage() const override { return page; }
  int CurrentService() const override { return service; }
  int CurrentModulator() const override { return modulator; }
  void ChooseService(int index) override { service = index; }
  void ChooseModulator(int index) override { modulator = index; }
  void SelectPage(int index) override { page = index; }
  // A page on its own has no device thread: the work runs at once on the bench's context.
  void RunOnDevice(std::function<void(OperationContext&)> work) override {
    if (ctx != nullptr) work(*ctx);
  }

  int page = 0;
  int service = 0;
  int modulator = 0;
  OperationContext* ctx = nullptr;
};

}  // namespace ostrivane::uitest
