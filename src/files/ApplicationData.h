#pragma once

#include <QString>
#include <QVector>
#include <cstdint>

namespace ostrivane {

struct ChannelEntry {
  QString name;
  std::uint16_t serviceId = 0;
  std::uint16_t lcn = 0;
};

// Settings fixed at start-up from the data folder; read-only afterwards.
class ApplicationData {
 public:
  static constexpr int kMaxChannels = 500;

  // Fixes the folders from dataFolder and reads the mode files, "pref.txt", "setup_version.txt"
  // and "channel.csv", in that order. desktopFolder empty: the user's desktop (QStandardPaths),
  // falling back to the data folder.
  void LoadApplicationData(const QString& dataFolder, const QString& desktopFolder = {});

  // Folders carry a trailing separator except DataFolder.
  const QString& DataFolder() const { return m_dataFolder; }
  const QString& FirmwareFolder() const { return m_firmwareFolder; }
  const QString& ConfigFolder() const { return m_configFolder; }
  const QString& LogoFolder() const { return m_logoFolder; }
  const QString& DefaultSaveFolder() const { return m_defaultSaveFolder; }
  // "backups/" under the data folder (the current directory before the data folder is fixed).
  QString BackupFolder() const;
  bool ManufacturerMode() const { return m_manufacturerMode; }
  bool AdvancedMode() const { return m_advancedMode; }
  int LanguageIndex() const { return m_languageIndex; }
  int SetupVersion() const { return m_setupVersion; }
  const QVector<ChannelEntry>& ChannelTable() const { return m_channels; }

  // For tools and tests that run without a data folder.
  void SetFirmwareFolder(const QString& folder) { m_firmwareFolder = folder; }
  void SetDefaultSaveFolder(const QString& folder) { m_defaultSaveFolder = folder; }
  void SetModes(bool manufacturer, bool advanced) {
    m_manufacturerMode = manufacturer;
    m_advancedMode = advanced;
  }
  void SetLanguageIndex(int index) { m_languageIndex = index; }

 private:
  QString m_dataFolder;
  QString m_firmwareFolder;
  QString m_configFolder;
  QString m_logoFolder;
  QString m_defaultSaveFolder;
  bool m_manufacturerMode = false;
  bool m_advancedMode = false;
  int m_languageIndex = 0;
  int m_setupVersion = 0;
  QVector<ChannelEntry> m_channels;
};

}  // namespace ostrivane
