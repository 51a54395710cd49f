#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <cstdint>

#include "operations/OperationContext.h"

namespace ostrivane {

// Backups older than the newest this many of one device are deleted when a new one is written.
inline constexpr int kBackupsKeptPerDevice = 100;

struct BackupResult {
  bool ok = false;
  QString path;       // the file written
  QString error;      // why there is no backup, as a sentence without a final full stop
  QByteArray record;  // the record as the device returned it
  // `error` before its %1 was filled in, and what fills it: the window says it in its language.
  QString errorFormat;
  QString errorArgument;
};

// Why there is no backup, in the given language of the window (the command line's is English).
QString BackupErrorText(const BackupResult& backup, int languageIndex);

// The name a device's backups carry: its announced identifier, else the address or the port it
// was reached at, with nothing in it that a file name or the backup names' "_" could trip on.
QString BackupDeviceName(const OperationContext& ctx);

// "<device>_<ModelName>_<yyyyMMdd_HHmmss>.<itc|tmc>"; the model falls back to "UNIT<code>".
QString BackupFileName(const QString& device, std::uint8_t typeCode, const QDateTime& now);
// "<device>_<ModelName>_latest.<itc|tmc>": a copy of the device's newest backup.
QString LatestBackupFileName(const QString& device, std::uint8_t typeCode);

// Writes record as a backup of the device into settings' backup folder (made when missing),
// refreshes its latest copy, then keeps the newest kBackupsKeptPerDevice of that device.
BackupResult WriteBackupFile(const ApplicationData& settings, const QString& device,
                             std::uint8_t typeCode, const QByteArray& record, const QDateTime& now);

// Reads the device's configuration record (0x70) and writes it as a backup. A record that does
// not decode is no backup: LOAD could not restore it.
BackupResult BackupDeviceConfig(OperationContext& ctx, const QDateTime& now);

// "Backup saved: <path>" for a while, or why the write that needed it does not go ahead.
void ShowBackupOutcome(OperationContext& ctx, const BackupResult& backup);

}  // namespace ostrivane
