#pragma once

#include <QDateTime>
#include <QString>
#include <QtGlobal>

namespace ostrivane {

// "activity.log" in the data folder: one line per event ("<ISO 8601 time> <device or -> <event>"),
// so that a support case can attach what the window did. The file is rotated when it would pass
// 1 MiB: activity.log becomes activity.log.1, and so on; five files are kept.
class ActivityLog {
 public:
  static constexpr qint64 kRotateBytes = 1024 * 1024;
  static constexpr int kKeptFiles = 5;

  explicit ActivityLog(QString folder);

  // False when the line could not be written (the window goes on without its log).
  bool Append(const QDateTime& at, const QString& device, const QString& event);
  QString Path() const;

  // One line: the time with its offset, the device (or "-") and the event on a single line.
  static QString Line(const QDateTime& at, const QString& device, const QString& event);

 private:
  void Rotate() const;

  QString m_folder;
};

}  // namespace ostrivane
