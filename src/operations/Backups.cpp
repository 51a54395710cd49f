#include "operations/Backups.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include "files/ConfigurationFiles.h"
#include "operations/ModelTable.h"
#include "operations/Transfer.h"

namespace ostrivane {

namespace {

constexpr int kBackupSavedMs = 2000;
constexpr int kBackupFailedMs = 5000;
constexpr int kMaxSameSecondNames = 100;
const QLatin1String kStampFormat("yyyyMMdd_HHmmss");

QString ModelOf(std::uint8_t typeCode) {
  NullPrompts quiet;
  const QString model = ModelName(typeCode, quiet);
  return model.isEmpty() ? QStringLiteral("UNIT%1").arg(typeCode) : model;
}

// Two backups within one second must not replace each other: the later one gets a suffix.
QString FreePath(const QString& folder, const QString& name) {
  const QFileInfo info(name);
  QString path = folder + name;
  for (int n = 2; QFileInfo::exists(path) && n <= kMaxSameSecondNames; ++n) {
    path =
        folder + QStringLiteral("%1_%2.%3").arg(info.completeBaseName()).arg(n).arg(info.suffix());
  }
  return QFileInfo::exists(path) ? QString() : path;
}

// The names sort by time, so everything before the newest kBackupsKeptPerModel goes.
void PruneBackups(const QString& folder, std::uint8_t typeCode) {
  const QRegularExpression ours(QStringLiteral("^%1_\\d{8}_\\d{6}(_\\d+)?\\.(itc|tmc)$")
                                    .arg(QRegularExpression::escape(ModelOf(typeCode))),
                                QRegularExpression::CaseInsensitiveOption);
  QStringList names;
  for (const QString& name : QDir(folder).entryList(QDir::Files, QDir::Name)) {
    if (ours.match(name).hasMatch()) names.append(name);
  }
  for (qsizetype i = 0; i + kBackupsKeptPerModel < names.size(); ++i)
    QFile::remove(folder + names.at(i));
}

QString ReadFailureSentence(ConfigReadOutcome outcome) {
  switch (outcome) {
    case ConfigReadOutcome::NoReply:
      return QStringLiteral("the device did not answer the configuration read");
    case ConfigReadOutcome::Refused:
      return QStringLiteral("the device refused to return its configuration");
    case ConfigReadOutcome::Empty:
      return QStringLiteral("the device returned an empty configuration record");
    case ConfigReadOutcome::TooLong:
      return QStringLiteral("the device returned a record longer than %1 bytes")
          .arg(kConfigImageMax);
    case ConfigReadOutcome::Undecodable:
      return QStringLiteral("the device's configuration record does not decode");
    case ConfigReadOutcome::Read:
      break;
  }
  return {};
}

}  // namespace

QString BackupFileName(std::uint8_t typeCode, const QDateTime& now) {
  return ModelOf(typeCode) + QLatin1Char('_') + now.toString(kStampFormat) +
         ConfigurationFiles::ExtensionFor(typeCode);
}

BackupResult WriteBackupFile(const ApplicationData& settings, std::uint8_t typeCode,
                             const QByteArray& record, const QDateTime& now) {
  BackupResult result;
  result.record = record;
  const QString folder = settings.BackupFolder();
  if (!QDir().mkpath(folder)) {
    result.error =
        QStringLiteral("cannot create the backup folder %1").arg(QDir::toNativeSeparators(folder));
    return result;
  }
  const QString path = FreePath(folder, BackupFileName(typeCode, now));
  if (path.isEmpty() || !ConfigurationFiles::WriteRecordFile(path, record)) {
    result.error =
        QStringLiteral("cannot write a backup into %1").arg(QDir::toNativeSeparators(folder));
    return result;
  }
  result.ok = true;
  result.path = path;
  PruneBackups(folder, typeCode);
  return result;
}

BackupResult BackupDeviceConfig(OperationContext& ctx, const QDateTime& now) {
  const DeviceRecord read = FetchDeviceRecord(ctx);
  if (read.outcome != ConfigReadOutcome::Read) {
    BackupResult result;
    result.error = ReadFailureSentence(read.outcome);
    return result;
  }
  return WriteBackupFile(ctx.settings, ctx.identity.DeviceTypeCode, read.record, now);
}

void ShowBackupOutcome(OperationContext& ctx, const BackupResult& backup) {
  if (backup.ok) {
    ctx.status.ShowStatusText(QStringLiteral("Backup saved"), kBackupSavedMs, false);
    return;
  }
  ctx.prompts.Beep(ConfigurationFiles::kErrorBeepHz, ConfigurationFiles::kErrorBeepMs);
  ctx.status.ShowStatusText(QStringLiteral("No backup, nothing written: ") + backup.error,
                            kBackupFailedMs, false);
}

}  // namespace ostrivane
