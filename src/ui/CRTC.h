#pragma once

#include <QDateTime>
#include <QDialog>
#include <cstdint>

#include "operations/DeviceStatus.h"

class QDateEdit;
class QTimeEdit;

namespace ostrivane {

// Numbers of the clock dialog's controls.
namespace clockcontrol {
inline constexpr int DatePicker = 1166;
inline constexpr int TimePicker = 1167;
inline constexpr int Ok = 1;
inline constexpr int Cancel = 2;
}  // namespace clockcontrol

// True when the six values name a real date and time from the year 1900 on.
bool IsValidDeviceClock(const DeviceClockTime& clock);

// The clock dialog: a date picker and an hours-and-minutes picker on the device's clock. OK with
// a different date or time keeps the new values with the second at 0 and marks them changed;
// Cancel keeps nothing.
class CRTC final : public QDialog {
  Q_OBJECT

 public:
  // A device clock that names no real time (all zero on a device that lost its time, say) is
  // shown as `now`, the computer's time, so that OK sets the device to it.
  CRTC(const DeviceClockTime& deviceClock, const QDateTime& now, QWidget* parent,
       int languageIndex = 0);

  bool Changed() const { return m_changed; }
  // The values the dialog was opened with, or those chosen when Changed().
  DeviceClockTime Clock() const;

  QDateEdit* DatePicker() const { return m_date; }
  QTimeEdit* TimePicker() const { return m_time; }

 public Q_SLOTS:
  void accept() override;

 private:
  void BuildControls(int languageIndex);
  void OnInitDialog(const QDateTime& now);

  std::uint16_t m_year = 0;
  std::uint8_t m_month = 0;
  std::uint8_t m_day = 0;
  std::uint8_t m_hour = 0;
  std::uint8_t m_minute = 0;
  std::uint8_t m_second = 0;
  bool m_changed = false;
  QDateEdit* m_date = nullptr;
  QTimeEdit* m_time = nullptr;
};

}  // namespace ostrivane
