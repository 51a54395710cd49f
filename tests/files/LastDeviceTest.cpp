#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "files/LastDevice.h"

using namespace ostrivane;

namespace {

void WriteRaw(const QString& folder, const QByteArray& bytes) {
  QFile file(folder + "/" + kLastDeviceFile);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

}  // namespace

TEST(LastDevice, SavedIdentifier_IsReadBackAndReplacedByTheNextChoice) {
  QTemporaryDir folder;
  EXPECT_TRUE(LoadLastDevice(folder.path()).isEmpty());  // no file yet
  EXPECT_TRUE(SaveLastDevice(folder.path(), "RACK-07"));
  EXPECT_EQ(LoadLastDevice(folder.path()), "RACK-07");
  EXPECT_TRUE(SaveLastDevice(folder.path(), "RACK-12"));
  EXPECT_EQ(LoadLastDevice(folder.path()), "RACK-12");

  // A file edited by hand with Windows line ends still names the device.
  WriteRaw(folder.path(), "RACK-3\r\n");
  EXPECT_EQ(LoadLastDevice(folder.path()), "RACK-3");
}

TEST(LastDevice, ContentNoAnnouncementCouldCarry_IsRefusedAndNothingIsOverwritten) {
  QTemporaryDir folder;
  ASSERT_TRUE(SaveLastDevice(folder.path(), "KEEP"));
  // Refused choices leave the remembered one in place.
  EXPECT_FALSE(SaveLastDevice(folder.path(), ""));
  EXPECT_FALSE(SaveLastDevice(folder.path(), "A_B"));
  EXPECT_FALSE(SaveLastDevice(folder.path(), QString(256, 'x')));
  EXPECT_EQ(LoadLastDevice(folder.path()), "KEEP");

  for (const QByteArray& garbage :
       {QByteArray("two words"), QByteArray("under_score"), QByteArray("\x01\x02\xff", 3),
        QByteArray(300, 'x'), QByteArray("ab\0cd", 5), QByteArray()}) {
    WriteRaw(folder.path(), garbage);
    EXPECT_TRUE(LoadLastDevice(folder.path()).isEmpty()) << garbage.toHex().toStdString();
  }
  WriteRaw(folder.path(), QByteArray(255, 'x'));
  EXPECT_EQ(LoadLastDevice(folder.path()).size(), 255);
}
