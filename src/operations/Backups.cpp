#include "operations/Backups.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include "files/ConfigurationFiles.h"
#include "operations/ModelTable.h"
#include "operations/Transfer.h"
#include "texts/TextTable.h"
#include "texts/WindowTexts.h"

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

// The names sort by time, so everything before the newest kBackupsKeptPerDevice goes.
void PruneBackups(const QString& folder, const QString& device, std::uint8_t typeCode) {
  const QRegularExpression ours(
      QStringLiteral("^%1_%2_\\d{8}_\\d{6}(_\\d+)?\\.(itc|tmc)$")
          .arg(QRegularExpression::escape(device), QRegularExpression::escape(ModelOf(typeCode))),
      QRegularExpression::CaseInsensitiveOption);
  QStringList names;
  for (const QString& name : QDir(folder).entryList(QDir::Files, QDir::Name)) {
    if (ours.match(name).hasMatch()) names.append(name);
  }
  for (qsizetype i = 0; i + kBackupsKeptPerDevice < names.size(); ++i)
    QFile::remove(folder + names.at(i));
}

void Fail(BackupResult& result, const QString& format, const QString& argument = {}) {
  result.errorFormat = format;
  result.errorArgument = argument;
  result.error = argument.isEmpty() ? format : format.arg(argument);
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
      return QStringLiteral("the device returned a record longer than %1 bytes");
    case ConfigReadOutcome::Undecodable:
      return QStringLiteral("the device's configuration record does not decode");
    case ConfigReadOutcome::Read:
      break;
  }
  return {};
}

}  // namespace

QString BackupDeviceName(const OperationContext& ctx) {
  QString name = ctx.identity.Name;
  if (name.isEmpty() && ctx.link.CurrentChannel()) {
    // "tcp:HOST:PORT" -> HOST, "serial:/dev/ttyACM0" -> ttyACM0.
    const QString link = ctx.link.CurrentChannel()->Describe();
    if (link.startsWith(QStringLiteral("tcp:")))
      name = link.mid(4).section(QLatin1Char(':'), 0, 0);
    else if (link.startsWith(QStringLiteral("serial:")))
      name = link.mid(7).section(QLatin1Char('/'), -1);
  }
  static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9.-]"));
  name.replace(unsafe, QStringLiteral("-"));
  return name.isEmpty() ? QStringLiteral("device") : name;
}

QString BackupFileName(const QString& device, std::uint8_t typeCode, const QDateTime& now) {
  return device + QLatin1Char('_') + ModelOf(typeCode) + QLatin1Char('_') +
         now.toString(kStampFormat) + ConfigurationFiles::ExtensionFor(typeCode);
}

QString LatestBackupFileName(const QString& device, std::uint8_t typeCode) {
  return device + QLatin1Char('_') + ModelOf(typeCode) + QStringLiteral("_latest") +
         ConfigurationFiles::ExtensionFor(typeCode);
}

BackupResult WriteBackupFile(const ApplicationData& settings, const QString& device,
                             std::uint8_t typeCode, const QByteArray& record,
                             const QDateTime& now) {
  BackupResult result;
  result.record = record;
  const QString folder = settings.BackupFolder();
  if (!QDir().mkpath(folder)) {
    Fail(result, QStringLiteral("cannot create the backup folder %1"),
         QDir::toNativeSeparators(folder));
    return result;
  }
  const QString path = FreePath(folder, BackupFileName(device, typeCode, now));
  if (path.isEmpty() || !ConfigurationFiles::WriteRecordFile(path, record)) {
    Fail(result, QStringLiteral("cannot write a backup into %1"), QDir::toNativeSeparators(folder));
    return result;
  }
  result.ok = true;
  result.path = path;
  // A script finds the newest without sorting; a stale copy would be worse than none.
  const QString latest = folder + LatestBackupFileName(device, typeCode);
  if (!ConfigurationFiles::WriteRecordFile(latest, record)) QFile::remove(latest);
  PruneBackups(folder, device, typeCode);
  return result;
}

BackupResult BackupDeviceConfig(OperationContext& ctx, const QDateTime& now) {
  const DeviceRecord read = FetchDeviceRecord(ctx);
  if (read.outcome != ConfigReadOutcome::Read) {
    BackupResult result;
    Fail(result, ReadFailureSentence(read.outcome),
         read.outcome == ConfigReadOutcome::TooLong ? QString::number(kConfigImageMax) : QString());
    return result;
  }
  return WriteBackupFile(ctx.settings, BackupDeviceName(ctx), ctx.identity.DeviceTypeCode,
                         read.record, now);
}

QString BackupErrorText(const BackupResult& backup, int languageIndex) {
  if (backup.errorFormat.isEmpty()) return backup.error;
  const QString local = WindowText(backup.errorFormat, languageIndex);
  return backup.errorArgument.isEmpty() ? local : local.arg(backup.errorArgument);
}

void ShowBackupOutcome(OperationContext& ctx, const BackupResult& backup) {
  if (backup.ok) {
    ctx.status.ShowStatusText(LocalText(text::BackupSaved, ctx.settings.LanguageIndex())
                                  .arg(QDir::toNativeSeparators(backup.path)),
                              kBackupSavedMs, false);
    return;
  }
  ctx.prompts.Beep(ConfigurationFiles::kErrorBeepHz, ConfigurationFiles::kErrorBeepMs);
  ctx.status.ShowStatusText(LocalText(text::BackupNotWritten, ctx.settings.LanguageIndex())
                                .arg(BackupErrorText(backup, ctx.settings.LanguageIndex())),
                            kBackupFailedMs, false);
}

}  // namespace ostrivane
