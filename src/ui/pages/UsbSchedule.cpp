#include "ui/pages/UsbSchedule.h"

#include <QHeaderView>
#include <algorithm>
#include <array>

#include "texts/TextTable.h"

namespace ostrivane {

namespace {

constexpr int kDaysPerWeek = 7;
constexpr int kMinutesPerHour = 60;
constexpr int kVisibleRows = 6;

struct ScheduleColumn {
  int width;
  Qt::Alignment alignment;
};

// Column 0 is a one-pixel stub: the first column of a report view cannot be centred.
constexpr std::array<ScheduleColumn, 8> kColumns{{
    {1, Qt::AlignLeft},
    {75, Qt::AlignLeft},
    {75, Qt::AlignHCenter},
    {75, Qt::AlignHCenter},
    {75, Qt::AlignHCenter},
    {120, Qt::AlignHCenter},
    {40, Qt::AlignHCenter},
    {300, Qt::AlignLeft},
}};

// The column widths are those of the classic 8-point dialog font, whose digits are 6 pixels
// wide; a larger font widens every column but the stub alike.
constexpr qreal kClassicDigitWidth = 6.0;

const QColor kPlayRowColour(0, 0, 128);
const QColor kRecRowColour(128, 0, 0);

bool StartsLater(const ScheduleEntry& existing, const ScheduleEntry& added) {
  if (existing.StartDate != added.StartDate) return existing.StartDate > added.StartDate;
  return existing.StartMinute > added.StartMinute;
}

}  // namespace

std::int32_t PackScheduleDate(const QDate& date) {
  return date.year() * 65536 + date.month() * 256 + date.day();
}

std::int32_t ScheduleMinute(const QTime& time) {
  return time.hour() * kMinutesPerHour + time.minute();
}

QString ScheduleDateText(std::int32_t packedDate) {
  const auto packed = static_cast<std::uint32_t>(packedDate);
  return QString::asprintf("%04u/%02u/%02u", packed >> 16, (packed >> 8) & 0xFFu, packed & 0xFFu);
}

QString ScheduleTimeText(std::int32_t minutes) {
  return QString::asprintf("%d:%02d", minutes / kMinutesPerHour, minutes % kMinutesPerHour);
}

QString ScheduleWeekText(std::int32_t weekdayMask, int languageIndex) {
  QString text;
  for (int day = 0; day < kDaysPerWeek; ++day) {
    text +=
        (weekdayMask & (1 << day)) != 0 ? WeekdayLetter(day, languageIndex) : QStringLiteral("-");
  }
  return text;
}

QStringList ScheduleRowTexts(const ScheduleEntry& entry, int languageIndex) {
  return {QString(),
          ScheduleDateText(entry.StartDate),
          ScheduleTimeText(entry.StartMinute),
          ScheduleDateText(entry.StopDate),
          ScheduleTimeText(entry.StopMinute),
          ScheduleWeekText(entry.WeekdayMask, languageIndex),
          entry.Action != kScheduleActionPlay ? QStringLiteral("Rec") : QStringLiteral("Play"),
          entry.FileName};
}

int UsedScheduleEntries(const DeviceConfig& config) {
  return std::clamp(config.ScheduleCount, 0, kScheduleSlots);
}

bool ScheduleEntryAcceptable(const ScheduleEntry& entry, const DeviceConfig& config) {
  if (entry.FileName.isEmpty()) return false;
  if (entry.StopDate < entry.StartDate) return false;
  if (entry.StopDate == entry.StartDate && entry.StopMinute < entry.StartMinute) return false;
  // "At least ten", not "ten": a count from a record is never trusted to index the slots.
  if (config.ScheduleCount >= kScheduleSlots || config.ScheduleCount < 0) return false;
  return (entry.WeekdayMask & ((1 << kDaysPerWeek) - 1)) != 0;
}

bool InsertScheduleEntry(DeviceConfig& config, const ScheduleEntry& entry) {
  if (!ScheduleEntryAcceptable(entry, config)) return false;
  const auto used = static_cast<std::size_t>(config.ScheduleCount);
  auto& slots = config.Schedule;
  std::size_t at = 0;
  while (at < used && !StartsLater(slots[at], entry)) ++at;
  std::move_backward(slots.begin() + static_cast<std::ptrdiff_t>(at),
                     slots.begin() + static_cast<std::ptrdiff_t>(used),
                     slots.begin() + static_cast<std::ptrdiff_t>(used + 1));
  slots[at] = entry;
  ++config.ScheduleCount;
  return true;
}

int RemoveScheduleEntries(DeviceConfig& config, const QList<int>& rows) {
  QList<int> sorted = rows;
  std::sort(sorted.begin(), sorted.end(), std::greater<>());
  sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
  int removed = 0;
  for (const int row : sorted) {
    const int used = UsedScheduleEntries(config);
    if (row < 0 || row >= used) continue;
    auto& slots = config.Schedule;
    std::move(slots.begin() + row + 1, slots.begin() + used, slots.begin() + row);
    slots[static_cast<std::size_t>(used - 1)] = ScheduleEntry{};
    config.ScheduleCount = used - 1;
    ++removed;
  }
  return removed;
}

ScheduleList::ScheduleList(QWidget* parent)
    : QTableWidget(0, static_cast<int>(kColumns.size()), parent) {
  horizontalHeader()->hide();
  verticalHeader()->hide();
  setShowGrid(true);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setWordWrap(false);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  horizontalHeader()->setMinimumSectionSize(1);
  for (int column = 0; column < static_cast<int>(kColumns.size()); ++column) {
    setColumnWidth(column, ColumnWidth(column));
  }
}

int ScheduleList::ColumnWidth(int column) const {
  const int classic = kColumns[static_cast<std::size_t>(column)].width;
  if (column == 0) return classic;
  const qreal scale = fontMetrics().horizontalAdvance(QLatin1Char('0')) / kClassicDigitWidth;
  return static_cast<int>(classic * std::max<qreal>(1.0, scale));
}

void ScheduleList::ShowSchedule(const DeviceConfig& config, int languageIndex) {
  const int used = UsedScheduleEntries(config);
  // Rows come and go at the top, so a selection would slide onto other entries (and a second
  // remove would take entries nobody chose): a reshaped list starts unselected.
  if (rowCount() != used) clearSelection();
  while (rowCount() < used) insertRow(0);
  while (rowCount() > used) removeRow(0);
  for (int row = 0; row < used; ++row) {
    const ScheduleEntry& entry = config.Schedule[static_cast<std::size_t>(row)];
    const QStringList texts = ScheduleRowTexts(entry, languageIndex);
    for (int column = 0; column < static_cast<int>(kColumns.size()); ++column) {
      QTableWidgetItem* cell = item(row, column);
      if (cell == nullptr) {
        cell = new QTableWidgetItem;
        setItem(row, column, cell);
      }
      cell->setText(texts[column]);
      cell->setTextAlignment(kColumns[static_cast<std::size_t>(column)].alignment |
                             Qt::AlignVCenter);
      if (entry.Action == kScheduleActionPlay) {
        cell->setForeground(kPlayRowColour);
      } else if (entry.Action == kScheduleActionRec) {
        cell->setForeground(kRecRowColour);
      } else {
        cell->setData(Qt::ForegroundRole, QVariant());
      }
    }
  }
}

QList<int> ScheduleList::SelectedRows(int count) const {
  QList<int> rows;
  for (const QModelIndex& index : selectionModel()->selectedRows()) {
    if (index.row() < count) rows.append(index.row());
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}

QSize ScheduleList::sizeHint() const {
  // Everything up to the action column; the file column scrolls into view when needed.
  // Dates, times and days; the page gives the list whatever room is left beyond that.
  constexpr int kWeekColumn = 5;
  int width = 2 * frameWidth();
  for (int column = 0; column <= kWeekColumn; ++column) width += ColumnWidth(column);
  const int height = 2 * frameWidth() + kVisibleRows * verticalHeader()->defaultSectionSize();
  return {width, height};
}

}  // namespace ostrivane
