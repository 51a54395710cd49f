#pragma once

#include "common/StatusSink.h"
#include "operations/OperationContext.h"

namespace ostrivane {

// The link and the operations are built before the window that shows their effects, so the
// application hands them these forwarders and points them at the window once it exists.
class StatusRelay final : public StatusSink {
 public:
  void Attach(StatusSink* target) { m_target = target ? target : &m_null; }

  void ShowStatusText(const QString& text, int durationMs, bool wait) override {
    m_target->ShowStatusText(text, durationMs, wait);
  }
  void SetProgress(std::uint32_t range, std::uint32_t position) override {
    m_target->SetProgress(range, position);
  }
  void FlashActivity(bool write) override { m_target->FlashActivity(write); }
  void ShowWarningIcon(bool show) override { m_target->ShowWarningIcon(show); }

 private:
  NullStatusSink m_null;
  StatusSink* m_target = &m_null;
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
