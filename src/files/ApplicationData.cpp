#include "files/ApplicationData.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include "files/DataFiles.h"

namespace ostrivane {
namespace {

const QLatin1String kFirmwareSub("firmware/");
const QLatin1String kConfigSub("config/");
const QLatin1String kLogoSub("logos/");
const QLatin1String kBackupSub("backups/");
const QLatin1String kManufacturerFile("manufacturer.txt");
const QLatin1String kAdvancedFile("advanced.txt");
const QLatin1String kPreferenceFile("pref.txt");
const QLatin1String kSetupVersionFile("setup_version.txt");
const QLatin1String kChannelFile("channel.csv");

// The data files are a few lines long; a bigger file is not ours and is read only this far.
constexpr qint64 kMaxDataFileBytes = 4 * 1024 * 1024;

QString WithSeparator(const QString& folder) {
  return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

bool CanOpen(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly);
}

// A missing or unreadable file reads as empty, which every reader takes as "keep the default".
QByteArray ReadDataFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.read(kMaxDataFileBytes);
}

QString ChooseSaveFolder(const QString& desktopFolder, const QString& dataFolder) {
  if (!desktopFolder.isEmpty()) return WithSeparator(QDir::fromNativeSeparators(desktopFolder));
  const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
  if (!desktop.isEmpty() && QDir(desktop).exists()) return WithSeparator(desktop);
  return WithSeparator(dataFolder);
}

}  // namespace

QString ApplicationData::BackupFolder() const {
  return WithSeparator(m_dataFolder.isEmpty() ? QDir::currentPath() : m_dataFolder) + kBackupSub;
}

void ApplicationData::LoadApplicationData(const QString& dataFolder, const QString& desktopFolder) {
  // cleanPath drops a trailing separator but keeps a root's.
  m_dataFolder = QDir::cleanPath(dataFolder.isEmpty() ? QDir::currentPath()
                                                      : QDir::fromNativeSeparators(dataFolder));
  const QString base = WithSeparator(m_dataFolder);
  m_firmwareFolder = base + kFirmwareSub;
  m_configFolder = base + kConfigSub;
  m_logoFolder = base + kLogoSub;
  m_defaultSaveFolder = ChooseSaveFolder(desktopFolder, m_dataFolder);

  m_manufacturerMode = CanOpen(m_firmwareFolder + kManufacturerFile);
  m_advancedMode = CanOpen(m_firmwareFolder + kAdvancedFile);
  m_languageIndex = datafiles::ParseLanguagePreference(ReadDataFile(base + kPreferenceFile));
  m_setupVersion = datafiles::ParseSetupVersion(ReadDataFile(m_firmwareFolder + kSetupVersionFile));
  m_channels = datafiles::ParseChannelList(ReadDataFile(m_configFolder + kChannelFile));
}

}  // namespace ostrivane
