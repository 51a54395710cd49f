#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <cstdint>

#include "operations/OperationContext.h"

namespace ostrivane {

// Backups older than the newest this many of one model are deleted when a new one is written.
inline constexpr int kBackupsKeptPerModel = 100;

struct BackupResult {
  bool ok = false;
  QString path;       // the file written
  QString error;      // why there is no backup, as a sentence without a final full stop
  QByteArray record;  // the record as the device returned it
};

// "<ModelName>_<yyyyMMdd_HHmmss>.<itc|tmc>"; the model falls back to "UNIT<code>".
QString BackupFileName(std::uint8_t typeCode, const QDateTime& now);

// Writes record as a backup of a device of typeCode into settings' backup folder (made when
// missing), then keeps the newest kBackupsKeptPerModel of that model.
BackupResult WriteBackupFile(const ApplicationData& settings, std::uint8_t typeCode,
                             const QByteArray& record, const QDateTime& now);

// Reads the device's configuration record (0x70) and writes it as a backup. A record that does
// not decode is no backup: LOAD could not restore it.
BackupResult BackupDeviceConfig(OperationContext& ctx, const QDateTime& now);

// "Backup saved" for a while, or why the write that needed it does not go ahead.
void ShowBackupOutcome(OperationContext& ctx, const BackupResult& backup);

}  // namespace ostrivane
