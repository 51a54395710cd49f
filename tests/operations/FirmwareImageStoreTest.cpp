#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include "FirmwareTestHarness.h"
#include "operations/FirmwareImageStore.h"

namespace ostrivane {
namespace {

using fwtest::FirmwareHarness;
using fwtest::ImageBytes;
using fwtest::Md5Hex;

TEST(FirmwareFileName, VersionCharacters_ReadWithStrtolRules) {
  EXPECT_EQ(ReadImageVersion(u"12"), 12);
  EXPECT_EQ(ReadImageVersion(u" 7"), 7);
  EXPECT_EQ(ReadImageVersion(u"+5"), 5);
  EXPECT_EQ(ReadImageVersion(u"-3"), -3);
  EXPECT_EQ(ReadImageVersion(u"7a"), 7);
  EXPECT_EQ(ReadImageVersion(u"a7"), 0);
  EXPECT_EQ(ReadImageVersion(u""), 0);
  EXPECT_EQ(ReadImageVersion(u"99999999999999999999"), ReadImageVersion(u"9999999999999999999"));

  const QString digest = QStringLiteral("0123456789abcdef0123456789ABCDEF");
  const FirmwareFileName full = ParseFirmwareFileName(QString("UNIT128_12_x_" + digest + ".bin"));
  EXPECT_EQ(full.namePart, QStringLiteral("UNIT128"));
  EXPECT_EQ(full.version, 12);
  EXPECT_EQ(full.digest, digest.toUpper());
  EXPECT_EQ(ParseFirmwareFileName(u"UNIT128_3").version, 3);
  EXPECT_TRUE(ParseFirmwareFileName(u"UNIT128.bin").namePart.isEmpty());
  // Too short to hold a digest after the version: nothing to verify against.
  EXPECT_TRUE(ParseFirmwareFileName(u"UNIT128_12.bin").digest.isEmpty());
  EXPECT_TRUE(ParseFirmwareFileName(QString("UNIT128_" + digest + ".bin")).digest.isEmpty());
}

TEST(FindFirmwareImage, SeveralCandidates_NewestOfTheExactNameIsLoaded) {
  FirmwareHarness h(128);
  h.WriteImage("UNIT128", "05", ImageBytes(10, 1));
  const QByteArray newest = ImageBytes(300, 2);
  // Digests are accepted in either case; the others are written in lower case.
  const QString newestPath =
      h.WriteImage("UNIT128", "12", newest, QString::fromLatin1(Md5Hex(newest)).toUpper());
  h.WriteImage("UNIT128", "09", ImageBytes(10, 3));
  h.WriteImage("UNIT1280", "50", ImageBytes(10, 4));
  h.WriteImage("unit128", "60", ImageBytes(10, 5));
  h.WriteImage("UNIT128", "00", ImageBytes(10, 6));
  h.WriteImage("UNIT128", "-9", ImageBytes(10, 7));
  h.WriteFile("UNIT128_70_" + QString::fromLatin1(Md5Hex(ImageBytes(10, 8))) + ".txt",
              ImageBytes(10, 8));

  const FirmwareImage image = FindFirmwareImage(h.ctx, "UNIT128");
  ASSERT_TRUE(image.found);
  EXPECT_EQ(image.version, 12);
  EXPECT_EQ(image.bytes, newest);
  EXPECT_EQ(QFileInfo(image.path), QFileInfo(newestPath));
  ASSERT_FALSE(h.status.progress.empty());
  EXPECT_EQ(h.status.progress.front(), std::make_pair(300u, 0u));

  EXPECT_FALSE(FindFirmwareImage(h.ctx, "UNIT131").found);
  EXPECT_FALSE(FindFirmwareImage(h.ctx, "").found);
  EXPECT_TRUE(h.prompts.messages.empty());
}

TEST(FindFirmwareImage, EqualVersions_FirstInDirectoryOrderWins) {
  FirmwareHarness h(128);
  for (int i = 0; i < 4; ++i) h.WriteImage("UNIT128", "20", ImageBytes(20, i));
  const QStringList order = QDir(h.folder.path()).entryList({"*.bin"}, QDir::Files, QDir::Unsorted);
  const FirmwareImage image = FindFirmwareImage(h.ctx, "UNIT128");
  ASSERT_TRUE(image.found);
  EXPECT_EQ(QFileInfo(image.path).fileName(), order.front());
}

TEST(FindFirmwareImage, Unit142_SkipsVersion7ButFamilyImageDoesNot) {
  FirmwareHarness h(142);
  h.WriteImage("UNIT142", "06", ImageBytes(40, 1));
  h.WriteImage("UNIT142", "07", ImageBytes(40, 2));
  h.WriteImage("FWFAM142", "07", ImageBytes(40, 3));
  h.WriteImage("FWFAM142", "06", ImageBytes(40, 4));
  EXPECT_EQ(FindFirmwareImage(h.ctx, "UNIT142").version, 6);
  EXPECT_EQ(FindFirmwareImage(h.ctx, "FWFAM142").version, 7);
}

TEST(FindFirmwareImage, WrongDigest_ReportsBothDigestsAndTriesNoOtherImage) {
  FirmwareHarness h(128);
  const QByteArray content = ImageBytes(64);
  const QString wrong = QStringLiteral("00112233445566778899aabbccddeeff");
  h.WriteImage("UNIT128", "08", ImageBytes(64, 9));  // valid but older
  h.WriteImage("UNIT128", "09", content, wrong);

  const FirmwareImage image = FindFirmwareImage(h.ctx, "UNIT128");
  EXPECT_FALSE(image.found);
  EXPECT_EQ(image.version, 0);
  ASSERT_EQ(h.prompts.messages.size(), 1u);
  const MessageBoxRequest& box = h.prompts.messages.front();
  EXPECT_EQ(box.owner, PromptOwner::MainWindow);
  EXPECT_EQ(box.caption, QStringLiteral("Ostrivane"));
  EXPECT_EQ(box.buttons, PromptButtons::Ok);
  EXPECT_EQ(box.text,
            "MD5 Error" + QString::fromLatin1(Md5Hex(content)).toUpper() + wrong.toUpper());
}

TEST(FindFirmwareImage, NameTooShortForDigest_NeverVerifies) {
  FirmwareHarness h(128);
  const QByteArray content = ImageBytes(64);
  h.WriteFile("UNIT128_12.bin", content);
  EXPECT_FALSE(FindFirmwareImage(h.ctx, "UNIT128").found);
  ASSERT_EQ(h.prompts.messages.size(), 1u);
  EXPECT_EQ(h.prompts.messages.front().text,
            "MD5 Error" + QString::fromLatin1(Md5Hex(content)).toUpper());
}

TEST(FindFirmwareImage, OneShotImage_LoadedWithoutDigestAndDeleted) {
  FirmwareHarness h(128);
  const QByteArray content = ImageBytes(500);
  const QString path = h.WriteImage("UNIT128", "99", content, "ffffffffffffffffffffffffffffffff");
  h.WriteImage("UNIT128", "50", ImageBytes(10));

  const FirmwareImage image = FindFirmwareImage(h.ctx, "UNIT128");
  ASSERT_TRUE(image.found);
  EXPECT_EQ(image.version, 99);
  EXPECT_EQ(image.bytes, content);
  EXPECT_FALSE(QFile::exists(path));
  EXPECT_TRUE(h.prompts.messages.empty());
  EXPECT_EQ(FindFirmwareImage(h.ctx, "UNIT128").version, 50);
}

}  // namespace
}  // namespace ostrivane
