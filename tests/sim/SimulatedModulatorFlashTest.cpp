#include <gtest/gtest.h>

#include "SimulatedModulatorTest.h"
#include "sim/DeviceFiles.h"
#include "sim/FirmwareImage.h"

namespace ostrivane::sim::testing {
namespace {

using namespace std::chrono_literals;

std::uint32_t Sum(const QByteArray& bytes) {
  std::uint32_t sum = 0;
  for (const char c : bytes) sum += static_cast<std::uint8_t>(c);
  return sum;
}

// FlashBegin, the data in 512-byte steps, FlashEnd; the result of the end step.
bool FlashArea(SimRig& rig, std::uint16_t area, const QByteArray& data) {
  if (!rig.Send(0xB0, QByteArray(1, '\0') + Le16(area))) return false;
  for (qsizetype at = 0; at < data.size(); at += 512) {
    if (!rig.Send(0xB0, QByteArray(1, '\x05') + data.mid(at, 512), 5000)) return false;
  }
  return rig.Send(0xB0, QByteArray(1, '\x02'), 5000);
}

QByteArray Header(const QByteArray& image) {
  return QByteArray("VEVE") + Le32(static_cast<std::uint32_t>(image.size()));
}

// Restart, and wait until the device is back on a fresh connection.
void RestartAndReconnect(SimRig& rig) {
  ASSERT_TRUE(rig.Send(0x20));
  rig.clock.Advance(10s);
  rig.Reattach();
}

SimOptions WithRestart(SimOptions options, std::chrono::milliseconds duration) {
  options.restartDuration = duration;
  return options;
}

TEST(SimulatedModulatorFlash, MainImageWithHeaderAndTrailer_NewVersionAfterRestart) {
  SimRig rig(WithRestart(OptionsFor(131, 20), 8s));
  const QByteArray image = FirmwareImageContent(21, 3000);
  ASSERT_TRUE(FlashArea(rig, 928, Header(image) + image + Le32(Sum(image))));
  ASSERT_TRUE(rig.Send(0x10));
  EXPECT_EQ(rig.Reply().at(1), 20);  // not before the restart

  ASSERT_TRUE(rig.Send(0x20));
  EXPECT_TRUE(rig.device.IsOffline());
  EXPECT_FALSE(rig.Send(0x10));  // the device is gone: the link drops
  EXPECT_FALSE(rig.link.IsConnected());
  // The failed request ended when the link dropped, without waiting: the whole restart is left.
  rig.clock.Advance(8s);
  EXPECT_FALSE(rig.device.IsOffline());
  rig.Reattach();
  ASSERT_TRUE(rig.Send(0x10));
  EXPECT_EQ(rig.Reply(), QByteArray::fromHex("8315000a"));
}

TEST(SimulatedModulatorFlash, CorruptMainImages_EndStepRefusedAndVersionKept) {
  SimRig rig(OptionsFor(131, 20));
  const QByteArray image = FirmwareImageContent(21, 1500);
  EXPECT_FALSE(FlashArea(rig, 928, Header(image) + image + Le32(Sum(image) + 1)));
  EXPECT_EQ(rig.link.ReplyStatus, LinkStatus::Refused);
  EXPECT_FALSE(rig.link.LinkError);
  EXPECT_FALSE(FlashArea(rig, 928, Header(image.left(1000)) + image + Le32(Sum(image))));
  EXPECT_FALSE(FlashArea(rig, 928, image + Le32(Sum(image))));  // header missing
  ASSERT_EQ(rig.device.FlashTransfers().size(), 3);
  EXPECT_EQ(rig.device.FlashTransfers()[0].verdict, QStringLiteral("main image checksum mismatch"));
  RestartAndReconnect(rig);
  ASSERT_TRUE(rig.Send(0x10));
  EXPECT_EQ(rig.Reply().at(1), 20);
}

TEST(SimulatedModulatorFlash, ProfilesWithoutHeader_TrailerAloneOrNothingIsChecked) {
  SimRig fourK(OptionsFor(192, 14));
  const QByteArray image = FirmwareImageContent(16, 700);
  EXPECT_FALSE(FlashArea(fourK, 752, Header(image) + image + Le32(Sum(image))));
  ASSERT_TRUE(FlashArea(fourK, 752, image + Le32(Sum(image))));
  RestartAndReconnect(fourK);
  EXPECT_EQ(fourK.device.Versions().main, 16);

  SimRig plain(OptionsFor(128, 14));
  ASSERT_TRUE(FlashArea(plain, 991, image));
  RestartAndReconnect(plain);
  EXPECT_EQ(plain.device.Versions().main, 16);
}

TEST(SimulatedModulatorFlash, SecondaryImages_VersionFromImageOrVersionRecord) {
  // 131: the first 16 bytes are not sent, then a one-byte version record follows.
  SimRig skipping(OptionsFor(131, 20));
  const QByteArray image = FirmwareImageContent(11, 2000);
  ASSERT_TRUE(FlashArea(skipping, 0, image.mid(16)));
  ASSERT_TRUE(FlashArea(skipping, 927, QByteArray(1, '\x0c')));
  EXPECT_FALSE(FlashArea(skipping, 927, QByteArray::fromHex("0c0c")));
  RestartAndReconnect(skipping);
  EXPECT_EQ(skipping.device.Versions().secondary, 12);

  // 142: whole image at area 620, no record.
  SimRig whole(OptionsFor(142, 6));
  ASSERT_TRUE(FlashArea(whole, 620, image));
  RestartAndReconnect(whole);
  EXPECT_EQ(whole.device.Versions().secondary, 11);
  EXPECT_EQ(whole.device.Versions().main, 6);
}

TEST(SimulatedModulatorFlash, OutOfSequenceSteps_AreRefused) {
  SimRig rig(OptionsFor(131));
  EXPECT_FALSE(rig.Send(0xB0, QByteArray::fromHex("05aabb")));  // data before begin
  EXPECT_FALSE(rig.Send(0xB0, QByteArray::fromHex("02")));      // end before begin
  ASSERT_TRUE(rig.Send(0xB0, QByteArray::fromHex("00ee02")));   // logo area 750
  EXPECT_FALSE(rig.Send(0xB0, QByteArray(1, '\x05') + QByteArray(513, 'x'), 5000));
  EXPECT_FALSE(rig.Send(0xB0, QByteArray::fromHex("09")));
  EXPECT_FALSE(rig.Send(0xB0, QByteArray::fromHex("00ee")));  // area cut short
  ASSERT_TRUE(rig.Send(0xB0, QByteArray::fromHex("05aabb")));
  ASSERT_TRUE(rig.Send(0xB0, QByteArray::fromHex("02")));
  const auto transfers = rig.device.FlashTransfers();
  ASSERT_EQ(transfers.size(), 1);
  EXPECT_EQ(transfers[0].area, 750);
  EXPECT_EQ(transfers[0].data, QByteArray::fromHex("aabb"));
}

TEST(SimulatedModulatorFlash, RestartDuringTransfer_LosesIt) {
  SimRig rig(OptionsFor(131, 20));
  const QByteArray image = FirmwareImageContent(30, 600);
  ASSERT_TRUE(rig.Send(0xB0, QByteArray::fromHex("00a003")));
  ASSERT_TRUE(rig.Send(0xB0, QByteArray(1, '\x05') + Header(image) + image.left(400), 5000));
  RestartAndReconnect(rig);
  EXPECT_FALSE(rig.Send(0xB0, QByteArray::fromHex("02")));
  EXPECT_FALSE(rig.device.FlashTransfers().at(0).ended);
  EXPECT_EQ(rig.device.Versions().main, 20);
}

TEST(SimulatedModulatorFlash, Type121Programming_ConsecutiveBlocksThenNewVersion) {
  SimRig rig(OptionsFor(121, 12));
  const QByteArray image = FirmwareImageContent(13, 5000);
  const auto block = [&rig, &image](std::uint32_t offset) {
    const QByteArray piece = image.mid(offset, 2048);
    return rig.link.TransactWriteBlock(
        offset, std::span(reinterpret_cast<const std::uint8_t*>(piece.constData()),
                          static_cast<std::size_t>(piece.size())));
  };
  EXPECT_FALSE(block(0));  // no begin yet
  ASSERT_TRUE(rig.Send(0xC0, QByteArray(1, '\0'), 1000));
  ASSERT_TRUE(block(0));
  EXPECT_FALSE(block(4096));  // a gap
  ASSERT_TRUE(block(2048));
  EXPECT_FALSE(block(2048));  // a repeat
  ASSERT_TRUE(block(4096));
  ASSERT_TRUE(rig.Send(0xC0, QByteArray(1, '\x02'), 50000));
  EXPECT_EQ(rig.device.Firmware121Image(), image);
  RestartAndReconnect(rig);
  ASSERT_TRUE(rig.Send(0x10));
  EXPECT_EQ(rig.Reply().at(1), 13);

  SimRig other(OptionsFor(131));
  EXPECT_FALSE(other.Send(0xC0, QByteArray(1, '\0'), 1000));
}

TEST(SimulatedModulatorFiles, LogDownload_BlocksCarryTheFileInOrder) {
  SimOptions options = OptionsFor(131);
  options.logFileSize = 5000;
  SimRig rig(options);
  // 0xA0/1 "/logFile": the size as le32.
  ASSERT_TRUE(rig.Send(0xA0, QByteArray::fromHex("012f6c6f6746696c6500"), 200));
  EXPECT_EQ(rig.Reply(), QByteArray::fromHex("88130000"));
  QByteArray content;
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(rig.Send(0xA0, QByteArray::fromHex("030008")));
    content += rig.Reply();
  }
  EXPECT_EQ(content.size(), 5000);
  EXPECT_EQ(content, rig.device.StoredFile(QStringLiteral("/logFile")));
  EXPECT_TRUE(content.startsWith("logFile 000001 "));
  ASSERT_TRUE(rig.Send(0xA0, QByteArray::fromHex("030008")));
  EXPECT_TRUE(rig.Reply().isEmpty());                           // past the end
  EXPECT_FALSE(rig.Send(0xA0, QByteArray::fromHex("030108")));  // more than 2048
  ASSERT_TRUE(rig.Send(0xA0, QByteArray::fromHex("02"), 5000));
  EXPECT_FALSE(rig.Send(0xA0, QByteArray::fromHex("030008")));               // closed
  EXPECT_FALSE(rig.Send(0xA0, QByteArray::fromHex("012f6e6f6e6500"), 200));  // "/none"
}

TEST(SimulatedModulatorFiles, Upload_StoredOnCloseOnly) {
  SimRig rig(OptionsFor(121));
  ASSERT_TRUE(rig.Send(0xA0, QByteArray(1, '\0') + QByteArray("/mnt/logo.dg1", 14), 200));
  ASSERT_TRUE(rig.Send(0xA0, QByteArray(1, '\x04') + QByteArray(400, 'a')));
  ASSERT_TRUE(rig.Send(0xA0, QByteArray(1, '\x04') + QByteArray("\x02tail", 5)));
  EXPECT_TRUE(rig.device.StoredFile(QStringLiteral("/mnt/logo.dg1")).isEmpty());
  ASSERT_TRUE(rig.Send(0xA0, QByteArray(1, '\x02'), 5000));
  EXPECT_EQ(rig.device.StoredFile(QStringLiteral("/mnt/logo.dg1")),
            QByteArray(400, 'a') + QByteArray("\x02tail", 5));
  EXPECT_FALSE(rig.Send(0xA0, QByteArray(1, '\x04') + QByteArray("x")));  // nothing open

  // An upload cut off by a restart leaves nothing behind.
  ASSERT_TRUE(rig.Send(0xA0, QByteArray(1, '\0') + QByteArray("/mnt/other", 11), 200));
  ASSERT_TRUE(rig.Send(0xA0, QByteArray(1, '\x04') + QByteArray("x")));
  RestartAndReconnect(rig);
  EXPECT_FALSE(rig.device.StoredFilePaths().contains(QStringLiteral("/mnt/other")));
}

TEST(SimulatedModulatorFiles, CommandLinesFactoryDefaultAndEdid_AreRecorded) {
  SimRig rig(OptionsFor(121));
  ASSERT_TRUE(rig.Send(0x80, QByteArray("sync", 5), 5000));
  ASSERT_TRUE(rig.Send(0x80, QByteArray("umount /mnt", 12), 5000));
  EXPECT_FALSE(rig.Send(0x80, QByteArray(1, '\0'), 5000));
  ASSERT_TRUE(rig.Send(0x90));
  ASSERT_TRUE(rig.Send(0xA0, {}, 5000));
  EXPECT_EQ(rig.device.CommandLines(), (QStringList{"sync", "umount /mnt"}));
  EXPECT_EQ(rig.device.Counters().factoryDefaults, 1);
  EXPECT_EQ(rig.device.Counters().edidProgrammings, 1);
}

}  // namespace
}  // namespace ostrivane::sim::testing
