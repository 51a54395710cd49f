#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTableWidget>
#include <QTime>
#include <cstdint>

#include "config/DeviceConfig.h"

namespace ostrivane {

// A refused schedule entry is reported by this beep alone.
inline constexpr int kScheduleRefusalBeepHz = 800;
inline constexpr int kScheduleRefusalBeepMs = 200;
inline constexpr std::int32_t kScheduleActionPlay = 0;
inline constexpr std::int32_t kScheduleActionRec = 1;

// year * 65536 + month * 256 + day.
std::int32_t PackScheduleDate(const QDate& date);
// Minutes after midnight.
std::int32_t ScheduleMinute(const QTime& time);

// "2024/05/01" from a packed date, "8:05" from minutes after midnight.
QString ScheduleDateText(std::int32_t packedDate);
QString ScheduleTimeText(std::int32_t minutes);
// Monday to Sunday: the day's letter where the mask has its bit, "-" elsewhere.
QString ScheduleWeekText(std::int32_t weekdayMask, int languageIndex);
// The eight column texts of one row of the schedule list.
QStringList ScheduleRowTexts(const ScheduleEntry& entry, int languageIndex);

// Number of schedule entries in use, whatever the record claimed.
int UsedScheduleEntries(const DeviceConfig& config);

// False when the entry is refused: no file name, stop before start, no weekday, or no room.
bool ScheduleEntryAcceptable(const ScheduleEntry& entry, const DeviceConfig& config);
// Inserts before the first entry that starts later (by date, then by minute) and counts it.
// Returns false and changes nothing when the entry is refused.
bool InsertScheduleEntry(DeviceConfig& config, const ScheduleEntry& entry);
// Removes the entries of the given rows; the following entries move down. Returns how many went.
int RemoveScheduleEntries(DeviceConfig& config, const QList<int>& rows);

// List 1165: a report view without header, several rows selectable, grid lines, full-row
// selection, one row per schedule entry drawn navy for play and maroon for record.
class ScheduleList final : public QTableWidget {
  Q_OBJECT

 public:
  explicit ScheduleList(QWidget* parent);

  // Adds or drops rows at the top until there is one per entry, then writes every row.
  void ShowSchedule(const DeviceConfig& config, int languageIndex);
  // Selected rows among the first `count`, ascending.
  QList<int> SelectedRows(int count) const;

  QSize sizeHint() const override;

 private:
  int ColumnWidth(int column) const;
};

}  // namespace ostrivane
