#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>

#include "files/ActivityLog.h"

namespace ostrivane {
namespace {

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(ActivityLogTest, Line_CarriesTimeWithOffsetDeviceOrDashAndOneLineEvent) {
  const QDateTime at(QDate(2026, 12, 11), QTime(9, 44, 23), QTimeZone(3600));
  EXPECT_EQ(ActivityLog::Line(at, QStringLiteral("UNIT A"), QStringLiteral("Sent 09:44:23")),
            QStringLiteral("2026-12-11T09:44:23+01:00 UNIT_A Sent 09:44:23\n"));
  // A device's texts are untrusted: they never start a line of their own.
  EXPECT_EQ(ActivityLog::Line(at, {}, QStringLiteral("id\nfake 2026 line\r")),
            QStringLiteral("2026-12-11T09:44:23+01:00 - id fake 2026 line\n"));
}

TEST(ActivityLogTest, PastOneMebibyte_RotatesAndKeepsFiveFiles) {
  QTemporaryDir folder;
  ActivityLog log(folder.path());
  const QDateTime at = QDateTime::currentDateTime();
  const QString event(1000, QLatin1Char('e'));
  // About 1 KiB a line: 6 MiB of lines fill more files than are kept.
  for (int i = 0; i < 6 * 1024 + 10; ++i) {
    ASSERT_TRUE(log.Append(at, QStringLiteral("U%1").arg(i), event)) << i;
  }
  const QDir dir(folder.path());
  EXPECT_EQ(dir.entryList({QStringLiteral("activity.log*")}, QDir::Files).size(),
            ActivityLog::kKeptFiles);
  EXPECT_FALSE(dir.exists(QStringLiteral("activity.log.5")));
  for (const QString& name : dir.entryList({QStringLiteral("activity.log*")}, QDir::Files)) {
    EXPECT_LE(QFileInfo(dir.filePath(name)).size(), ActivityLog::kRotateBytes)
        << name.toStdString();
  }
  // The newest line is in activity.log, the one before the rotation in activity.log.1.
  EXPECT_TRUE(ReadAll(log.Path()).contains(QByteArray(" U6153 ")));
  EXPECT_FALSE(ReadAll(dir.filePath(QStringLiteral("activity.log.1"))).contains(" U6153 "));
}

}  // namespace
}  // namespace ostrivane
