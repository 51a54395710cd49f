#pragma once

#include <QString>
#include <cstdint>

namespace ostrivane {

// What the link and the device operations tell the status bar. The window's CInfo implements it;
// the command-line tool and the tests plug in their own.
class StatusSink {
 public:
  virtual ~StatusSink() = default;
  // Shows text for durationMs; with wait, blocks the caller for that long.
  virtual void ShowStatusText(const QString& text, int durationMs, bool wait) = 0;
  // range 0 hides the progress bar; otherwise shows it with 0..range at position.
  virtual void SetProgress(std::uint32_t range, std::uint32_t position) = 0;
  // Called for every request that goes out; write lights the write lamp as well.
  virtual void FlashActivity(bool write) = 0;
  virtual void ShowWarningIcon(bool show) = 0;
  // While the main firmware image is written the window refuses input and cannot be closed:
  // an interrupted transfer leaves the device without working firmware.
  virtual void LockWindow(bool /*locked*/) {}
  // A line for the window's activity panel and log: what an operation did and what came of it
  // (files written, versions before and after), kept after the status text has gone.
  virtual void NoteActivity(const QString& /*event*/) {}
};

class NullStatusSink final : public StatusSink {
 public:
  void ShowStatusText(const QString&, int, bool) override {}
  void SetProgress(std::uint32_t, std::uint32_t) override {}
  void FlashActivity(bool) override {}
  void ShowWarningIcon(bool) override {}
};

}  // namespace ostrivane
