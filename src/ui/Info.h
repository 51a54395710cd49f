#pragma once

#include <QColor>
#include <QTimer>
#include <QWidget>
#include <cstdint>

#include "common/StatusSink.h"

class QLabel;
class QProgressBar;
class QToolButton;

namespace ostrivane {

class ApplicationData;
class LampWidget;

// The status bar below the settings panel: timed status text, progress bar, activity and write
// lamps, warning icon, and the log button (advanced mode) or the application icon in its place.
class CInfo final : public QWidget, public StatusSink {
  Q_OBJECT

 public:
  static constexpr int kActivityLampMs = 100;
  static constexpr int kWriteLampMs = 200;
  static const QColor kWarningTextColour;
  static const QColor kNormalTextColour;

  CInfo(const ApplicationData& settings, QWidget* parent);

  void ShowStatusText(const QString& text, int durationMs, bool wait) override;
  void SetProgress(std::uint32_t range, std::uint32_t position) override;
  void FlashActivity(bool write) override;
  void ShowWarningIcon(bool show) override;
  // Passed on to the main window, which owns the input and the closing.
  void LockWindow(bool locked) override { Q_EMIT WindowLockRequested(locked); }
  // Passed on to the main window, which keeps the activity panel.
  void NoteActivity(const QString& event) override { Q_EMIT ActivityNoted(event); }

  // The timers that put the lamps out (tests follow their order).
  const QTimer& ActivityLampTimer() const { return m_activityTimer; }
  const QTimer& WriteLampTimer() const { return m_writeTimer; }

  // The log button works only while a device is connected.
  void EnableLogButton(bool enable);
  // "Change device" is offered only where there is something to change to (several modulators
  // on the network).
  void ShowChangeDevice(bool show);
  // The "Write state" label, and "Send again" beside it after a write that did not apply.
  void ShowWriteState(const QString& text, bool offerSendAgain);
  // The connected unit (identifier, address or port, MAC); empty while none is.
  void ShowUnit(const QString& text);

  QString WriteStateText() const;
  QString UnitText() const;
  bool SendAgainOffered() const;

  QString StatusText() const;
  std::uint32_t ProgressRange() const { return m_progressRange; }
  bool ActivityLit() const;
  bool WriteLit() const;
  bool WarningShown() const;
  QColor TextColour() const;

 Q_SIGNALS:
  // Click of the log button.
  void LogRequested();
  // Click of "Change device".
  void ChangeDeviceRequested();
  void SendAgainRequested();
  // Click of "Activity".
  void ActivityRequested();
  // Every status text, as it is shown (the activity panel keeps them).
  void StatusShown(const QString& text);
  void ActivityNoted(const QString& event);
  void WindowLockRequested(bool locked);

 private:
  void BuildControls(int languageIndex);
  void BuildChangeDevice(int languageIndex);
  void BuildWriteRow(int languageIndex);
  void BuildLayout();
  void InitIndicators(bool advancedMode);
  void ApplyTextColour();

  QLabel* m_statusText = nullptr;
  QProgressBar* m_progress = nullptr;
  LampWidget* m_activityLamp = nullptr;
  LampWidget* m_writeLamp = nullptr;
  QLabel* m_warningIcon = nullptr;
  QToolButton* m_logButton = nullptr;
  QLabel* m_applicationIcon = nullptr;
  QToolButton* m_changeDevice = nullptr;
  QLabel* m_unit = nullptr;
  QLabel* m_writeState = nullptr;
  QToolButton* m_sendAgain = nullptr;
  QToolButton* m_activity = nullptr;
  std::uint32_t m_progressRange = 0;
  QTimer m_textTimer;
  QTimer m_activityTimer;
  QTimer m_writeTimer;
};

}  // namespace ostrivane
