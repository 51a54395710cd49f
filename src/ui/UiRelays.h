#pragma once

#include <algorithm>
#include <chrono>
#include <thread>

#include "common/StatusSink.h"
#include "operations/OperationContext.h"
#include "ui/device/WindowMailbox.h"

namespace ostrivane {

// The link and the operations are built before the window that shows their effects, so the
// application hands them these forwarders and points them at the window once it exists.
//
// The status relay is called from the device thread as well: there every call is queued to the
// window's thread (in order), and a timed text with wait holds the device thread, not the window.
// Attach is called only while no device work runs.
class StatusRelay final : public StatusSink {
 public:
  // window: the mailbox of the thread that shows the status.
  void Attach(StatusSink* target, WindowMailbox* window) {
    m_target = target ? target : &m_null;
    m_window = target ? window : nullptr;
  }

  void ShowStatusText(const QString& text, int durationMs, bool wait) override {
    if (OnWindowThread()) {
      m_target->ShowStatusText(text, durationMs, wait);
      return;
    }
    Post([text, durationMs](StatusSink& s) { s.ShowStatusText(text, durationMs, false); });
    if (wait) std::this_thread::sleep_for(std::chrono::milliseconds(std::max(durationMs, 0)));
  }
  void SetProgress(std::uint32_t range, std::uint32_t position) override {
    Forward([range, position](StatusSink& s) { s.SetProgress(range, position); });
  }
  void FlashActivity(bool write) override {
    Forward([write](StatusSink& s) { s.FlashActivity(write); });
  }
  void ShowWarningIcon(bool show) override {
    Forward([show](StatusSink& s) { s.ShowWarningIcon(show); });
  }
  void LockWindow(bool locked) override {
    Forward([locked](StatusSink& s) { s.LockWindow(locked); });
  }
  void NoteActivity(const QString& event) override {
    Forward([event](StatusSink& s) { s.NoteActivity(event); });
  }

 private:
  bool OnWindowThread() const { return m_window == nullptr || m_window->OnWindowThread(); }
  template <class Call>
  void Forward(Call call) {
    if (OnWindowThread()) {
      call(*m_target);
    } else {
      Post(std::move(call));
    }
  }
  template <class Call>
  void Post(Call call) {
    StatusSink* target = m_target;
    m_window->Post([target, call = std::move(call)] { call(*target); });
  }

  NullStatusSink m_null;
  StatusSink* m_target = &m_null;
  WindowMailbox* m_window = nullptr;
};

class DisplaysRelay final : public PanelDisplays {
 public:
  void Attach(PanelDisplays* target) { m_target = target ? target : &m_null; }

  void RefreshScheduleList() override { m_target->RefreshScheduleList(); }
  void ShowUsbStatus() override { m_target->ShowUsbStatus(); }
  void ShowServiceTabLabels() override { m_target->ShowServiceTabLabels(); }
  void ShowBitrateMeter() override { m_target->ShowBitrateMeter(); }
  void SetClockText(const QString& text) override { m_target->SetClockText(text); }

 private:
  NullPanelDisplays m_null;
  PanelDisplays* m_target = &m_null;
};

}  // namespace ostrivane
