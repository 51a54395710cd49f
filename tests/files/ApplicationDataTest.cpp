#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "files/ApplicationData.h"

namespace ostrivane {
namespace {

void WriteFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  ASSERT_EQ(file.write(bytes), bytes.size());
}

// Points the user's desktop at a folder that the test controls, and puts the old one back.
class DesktopRedirect {
 public:
  explicit DesktopRedirect(const QString& home)
      : m_home(qgetenv("HOME")), m_config(qgetenv("XDG_CONFIG_HOME")) {
    qputenv("HOME", home.toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home + QStringLiteral("/.config")).toLocal8Bit());
  }
  ~DesktopRedirect() {
    qputenv("HOME", m_home);
    qputenv("XDG_CONFIG_HOME", m_config);
  }

 private:
  QByteArray m_home;
  QByteArray m_config;
};

TEST(ApplicationData, EmptyDataFolder_LeavesEveryDefault) {
  QTemporaryDir data;
  ASSERT_TRUE(data.isValid());
  ApplicationData settings;
  settings.LoadApplicationData(data.path() + QStringLiteral("/"), QStringLiteral("/desk"));
  EXPECT_EQ(settings.DataFolder(), data.path());
  EXPECT_EQ(settings.FirmwareFolder(), data.path() + QStringLiteral("/firmware/"));
  EXPECT_EQ(settings.ConfigFolder(), data.path() + QStringLiteral("/config/"));
  EXPECT_EQ(settings.LogoFolder(), data.path() + QStringLiteral("/logos/"));
  EXPECT_EQ(settings.DefaultSaveFolder(), QStringLiteral("/desk/"));
  EXPECT_FALSE(settings.ManufacturerMode());
  EXPECT_FALSE(settings.AdvancedMode());
  EXPECT_EQ(settings.LanguageIndex(), 0);
  EXPECT_EQ(settings.SetupVersion(), 0);
  EXPECT_TRUE(settings.ChannelTable().isEmpty());
}

TEST(ApplicationData, FilesInTheirFolders_AreAllRead) {
  QTemporaryDir data;
  ASSERT_TRUE(data.isValid());
  const QString root = data.path();
  WriteFile(root + QStringLiteral("/firmware/manufacturer.txt"), {});  // empty still counts
  WriteFile(root + QStringLiteral("/pref.txt"), "DE\r\n");
  WriteFile(root + QStringLiteral("/firmware/setup_version.txt"), "SETUP=17 beta\r\n");
  WriteFile(root + QStringLiteral("/config/channel.csv"), "5,News,7\r\n5,News,0\r\n8,,9\r\n");
  // Files in the wrong folder are not picked up.
  WriteFile(root + QStringLiteral("/advanced.txt"), "x");

  ApplicationData settings;
  settings.LoadApplicationData(root, QStringLiteral("/desk"));
  EXPECT_TRUE(settings.ManufacturerMode());
  EXPECT_FALSE(settings.AdvancedMode());
  EXPECT_EQ(settings.LanguageIndex(), 3);
  EXPECT_EQ(settings.SetupVersion(), 17);
  ASSERT_EQ(settings.ChannelTable().size(), 2);
  EXPECT_EQ(settings.ChannelTable()[0].name, QStringLiteral("News"));
  EXPECT_EQ(settings.ChannelTable()[1].serviceId, 8);
}

TEST(ApplicationData, ModeFileThatIsAFolder_LeavesModeOff) {
  QTemporaryDir data;
  ASSERT_TRUE(data.isValid());
  ASSERT_TRUE(QDir(data.path()).mkpath(QStringLiteral("firmware/advanced.txt")));
  ApplicationData settings;
  settings.LoadApplicationData(data.path(), QStringLiteral("/desk"));
  EXPECT_FALSE(settings.AdvancedMode());
}

TEST(ApplicationData, NoDesktopArgument_UsesDesktopOrFallsBackToDataFolder) {
  QTemporaryDir data;
  QTemporaryDir home;
  ASSERT_TRUE(data.isValid() && home.isValid());
  const DesktopRedirect redirect(home.path());

  ApplicationData settings;
  settings.LoadApplicationData(data.path());
  EXPECT_EQ(settings.DefaultSaveFolder(), data.path() + QStringLiteral("/"));

  ASSERT_TRUE(QDir(home.path()).mkpath(QStringLiteral("Desktop")));
  settings.LoadApplicationData(data.path());
  EXPECT_EQ(settings.DefaultSaveFolder(), home.path() + QStringLiteral("/Desktop/"));
}

}  // namespace
}  // namespace ostrivane
