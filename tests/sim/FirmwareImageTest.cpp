#include "sim/FirmwareImage.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace ostrivane::sim {
namespace {

TEST(FirmwareImage, FileName_CarriesNameTwoDigitVersionAndDigest) {
  // MD5 of "abc" (RFC 1321 test suite).
  EXPECT_EQ(FirmwareFileName(QStringLiteral("UNIT131"), 7, "abc"),
            QStringLiteral("UNIT131_07_900150983CD24FB0D6963F7D28E17F72.bin"));
  FirmwareFileOptions options;
  options.lowerCaseDigest = true;
  options.middle = QStringLiteral("-beta-");
  EXPECT_EQ(FirmwareFileName(QStringLiteral("FWFAM142"), 99, "abc", options),
            QStringLiteral("FWFAM142_99-beta-900150983cd24fb0d6963f7d28e17f72.bin"));
  options.wrongDigest = true;
  EXPECT_FALSE(FirmwareFileName(QStringLiteral("X"), 1, "abc", options)
                   .contains(QStringLiteral("900150983cd24fb0d6963f7d28e17f72")));
}

TEST(FirmwareImage, WrittenFile_MatchesItsDigestAndShowsItsVersionEvenWhenSkipped) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = WriteFirmwareImage(dir.filePath(QStringLiteral("firmware")),
                                          QStringLiteral("UNIT158"), 23, 4000);
  ASSERT_FALSE(path.isEmpty());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray content = file.readAll();
  EXPECT_EQ(content.size(), 4000);
  const QString name = QFileInfo(path).fileName();
  EXPECT_TRUE(name.startsWith(QStringLiteral("UNIT158_23_")));
  const QByteArray digest = QCryptographicHash::hash(content, QCryptographicHash::Md5).toHex();
  EXPECT_EQ(name.mid(name.size() - 36, 32), QString::fromLatin1(digest).toUpper());
  EXPECT_EQ(FindImageVersion(content), 23);
  EXPECT_EQ(FindImageVersion(content.mid(16)), 23);  // secondary image with its skip
  EXPECT_FALSE(FindImageVersion(content.mid(17)).has_value());
  EXPECT_TRUE(content.contains('\x02'));  // exercises stuffing on the way
}

TEST(FirmwareImage, TinyImages_CarryNoMarkAndEmptyOneHasTheEmptyDigest) {
  EXPECT_FALSE(FindImageVersion(FirmwareImageContent(5, 29)).has_value());
  EXPECT_EQ(FindImageVersion(FirmwareImageContent(5, 30)), 5);
  EXPECT_TRUE(FirmwareImageContent(5, 0).isEmpty());
  EXPECT_EQ(FirmwareFileName(QStringLiteral("UNIT128"), 3, {}),
            QStringLiteral("UNIT128_03_D41D8CD98F00B204E9800998ECF8427E.bin"));
}

}  // namespace
}  // namespace ostrivane::sim
