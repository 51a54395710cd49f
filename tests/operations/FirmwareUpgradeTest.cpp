#include <gtest/gtest.h>

#include <QFile>

#include "FirmwareTestHarness.h"
#include "operations/FirmwareUpgrade.h"

namespace ostrivane {
namespace {

using fwtest::FirmwareHarness;
using fwtest::ImageBytes;
using fwtest::Req;
using fwtest::SentRequest;
using fwtest::ShownText;
using Requests = std::vector<SentRequest>;

// Request payloads from the command catalogue: 0xB0/0 area le16, 0xB0/5 data, 0xB0/2, 0x20.
SentRequest Begin(const char* areaLe16Hex) {
  return Req(0xB0, QByteArray::fromHex("00") + QByteArray::fromHex(areaLe16Hex));
}
SentRequest Data(const QByteArray& bytes) {
  return Req(0xB0, QByteArray::fromHex("05") + bytes);
}
SentRequest End() {
  return Req(0xB0, QByteArray::fromHex("02"));
}
SentRequest Restart() {
  return Req(0x20, {});
}
// Checksum trailer record: le32 byte sum.
SentRequest Trailer(const QByteArray& bytes) {
  quint32 sum = 0;
  for (const char c : bytes) sum += static_cast<std::uint8_t>(c);
  QByteArray le;
  for (int i = 0; i < 4; ++i) le.append(static_cast<char>((sum >> (8 * i)) & 0xFF));
  return Data(le);
}

const QString kUpgrade = QStringLiteral("upgrade to release  ");
const ShownText kWait{QStringLiteral("WAIT. DO NOT POWER OFF..."), 10000, false};
const ShownText kRebooting{QStringLiteral("Rebooting..."), 1000, true};
const ShownText kWriteError{QStringLiteral("write error !"), 1000, true};

TEST(HardwareCheck, Type128_SecondarySkipsHeaderBytesAndMainHasNoHeaderOrTrailer) {
  FirmwareHarness h(128, 20, 10);
  const QByteArray secondary = ImageBytes(600, 1);
  const QByteArray main = ImageBytes(1000, 2);
  h.WriteImage("FWFAM128", "11", secondary);
  h.WriteImage("UNIT128", "21", main);
  h.flags.RestartWaitTicks = 7;

  EXPECT_TRUE(HardwareCheck(h.ctx));
  const Requests expected{Begin("0000"),
                          Data(secondary.mid(16, 512)),
                          Data(secondary.mid(528)),
                          End(),
                          Begin("de03"),
                          Data(QByteArray::fromHex("0b")),
                          End(),
                          Begin("df03"),
                          Data(main.left(512)),
                          Data(main.mid(512)),
                          End(),
                          Restart()};
  EXPECT_EQ(h.Sent(), expected);
  const std::vector<ShownText> texts{{"HW : " + kUpgrade + "1.1", 10000, false},
                                     {kUpgrade + "21", 10000, false},
                                     kWait,
                                     kRebooting};
  EXPECT_EQ(h.status.texts, texts);
  EXPECT_TRUE(h.status.warningShown);
  EXPECT_EQ(h.status.progress.back(), std::make_pair(1u, 0u));
  EXPECT_EQ(h.flags.RestartWaitTicks, 20);
  EXPECT_TRUE(h.device.closed);
}

TEST(HardwareCheck, Type131_MainImageFramedByHeaderAndTrailer) {
  FirmwareHarness h(131, 20, 10);
  const QByteArray main = ImageBytes(700);
  h.WriteImage("UNIT131", "21", main);
  EXPECT_TRUE(HardwareCheck(h.ctx));
  // Image header record: "VEVE" then le32 700.
  const Requests expected{Begin("a003"),
                          Data(QByteArray::fromHex("56455645bc020000")),
                          Data(main.left(512)),
                          Data(main.mid(512)),
                          Trailer(main),
                          End(),
                          Restart()};
  EXPECT_EQ(h.Sent(), expected);
}

TEST(HardwareCheck, Type142_WholeSecondaryVersionAndMainVersion7AlwaysReflashed) {
  FirmwareHarness h(142, 7, 3);
  const QByteArray secondary = ImageBytes(40, 1);
  const QByteArray main = ImageBytes(30, 2);
  h.WriteImage("FWFAM142", "07", secondary);
  h.WriteImage("UNIT142", "05", main);
  EXPECT_TRUE(HardwareCheck(h.ctx));
  const Requests expected{Begin("6c02"),
                          Data(secondary),
                          End(),
                          Begin("f002"),
                          Data(QByteArray::fromHex("564556451e000000")),
                          Data(main),
                          Trailer(main),
                          End(),
                          Restart()};
  EXPECT_EQ(h.Sent(), expected);
  EXPECT_EQ(h.status.texts.front().text, "HW : " + kUpgrade + "7");

  FirmwareHarness older(142, 6, 7);
  older.WriteImage("FWFAM142", "07", secondary);
  older.WriteImage("UNIT142", "05", main);
  EXPECT_FALSE(HardwareCheck(older.ctx));
  EXPECT_TRUE(older.Sent().empty());
}

TEST(HardwareCheck, Type192OneShotOverNetwork_TrailerOnlyFileGoneLinkKept) {
  FirmwareHarness h(192, 50, 10, Channel::Kind::Tcp);
  const QByteArray main = ImageBytes(100);
  const QString path = h.WriteImage("UNIT192", "99", main, "0123456789abcdef0123456789abcdef");
  EXPECT_TRUE(HardwareCheck(h.ctx));
  const Requests expected{Begin("f002"), Data(main), Trailer(main), End(), Restart()};
  EXPECT_EQ(h.Sent(), expected);
  EXPECT_FALSE(QFile::exists(path));
  EXPECT_TRUE(h.prompts.messages.empty());
  EXPECT_FALSE(h.device.closed);
  EXPECT_EQ(h.flags.RestartWaitTicks, 20);
}

TEST(HardwareCheck, Type121_FirmwareCommandBlocksAtByteOffsetsAndNoSecondary) {
  FirmwareHarness h(121, 20, 0);
  const QByteArray main = ImageBytes(5000);
  h.WriteImage("FWFAMNONE", "50", ImageBytes(64, 3));
  h.WriteImage("UNIT121", "21", main);
  EXPECT_TRUE(HardwareCheck(h.ctx));
  // 0xC0/0, 0xC0/1 with 24-bit big-endian offsets, 0xC0/2.
  const Requests expected{Req(0xC0, QByteArray::fromHex("00")),
                          Req(0xC0, QByteArray::fromHex("01000000") + main.left(2048)),
                          Req(0xC0, QByteArray::fromHex("01000800") + main.mid(2048, 2048)),
                          Req(0xC0, QByteArray::fromHex("01001000") + main.mid(4096)),
                          Req(0xC0, QByteArray::fromHex("02")),
                          Restart()};
  const Requests sent = h.Sent();
  EXPECT_EQ(sent, expected);
  ASSERT_EQ(sent.size(), expected.size());
  const std::vector<bool> writeLamp{false, true, true, true, true, false};
  for (std::size_t i = 0; i < sent.size(); ++i) EXPECT_EQ(sent[i].write, writeLamp[i]) << i;
  EXPECT_EQ(h.status.texts.front().text, kUpgrade + "2.1");
}

TEST(HardwareCheck, EmptyMainImage_HeaderAndTrailerOfZeroAndNoDataStep) {
  FirmwareHarness h(131, 20, 10);
  h.WriteImage("UNIT131", "21", QByteArray());
  EXPECT_TRUE(HardwareCheck(h.ctx));
  const Requests expected{Begin("a003"), Data(QByteArray::fromHex("5645564500000000")),
                          Data(QByteArray::fromHex("00000000")), End(), Restart()};
  EXPECT_EQ(h.Sent(), expected);
}

TEST(HardwareCheck, SecondaryImageOfOnlyItsSkip_BeginEndAndVersionRecordOnly) {
  FirmwareHarness h(128, 20, 10);
  h.WriteImage("FWFAM128", "11", ImageBytes(16));
  EXPECT_TRUE(HardwareCheck(h.ctx));
  const Requests expected{Begin("0000"), End(),    Begin("de03"), Data(QByteArray::fromHex("0b")),
                          End(),         Restart()};
  EXPECT_EQ(h.Sent(), expected);
}

TEST(HardwareCheck, SecondaryVersion255_UpgradedByVersion1) {
  const QByteArray secondary = ImageBytes(100);
  FirmwareHarness current(131, 20, 1);
  current.WriteImage("FWFAM131", "01", secondary);
  EXPECT_FALSE(HardwareCheck(current.ctx));
  EXPECT_TRUE(current.Sent().empty());

  FirmwareHarness erased(131, 20, 255);
  erased.WriteImage("FWFAM131", "01", secondary);
  EXPECT_TRUE(HardwareCheck(erased.ctx));
  const Requests expected{Begin("0000"), Data(secondary.mid(16)),         End(),
                          Begin("9f03"), Data(QByteArray::fromHex("01")), End(),
                          Restart()};
  EXPECT_EQ(erased.Sent(), expected);
}

TEST(HardwareCheck, ReloadRequest_ForcesCurrentImageAndIsClearedEvenWithoutOne) {
  FirmwareHarness none(128, 20, 10);
  none.flags.FirmwareReloadRequest = true;
  none.flags.RestartWaitTicks = 5;
  EXPECT_FALSE(HardwareCheck(none.ctx));
  EXPECT_TRUE(none.Sent().empty());
  EXPECT_FALSE(none.flags.FirmwareReloadRequest);
  EXPECT_EQ(none.flags.RestartWaitTicks, 0);
  EXPECT_TRUE(none.status.texts.empty());

  FirmwareHarness same(128, 20, 10);
  const QByteArray main = ImageBytes(10);
  same.WriteImage("UNIT128", "20", main);
  EXPECT_FALSE(HardwareCheck(same.ctx));
  RequestFirmwareReload(same.ctx);
  EXPECT_TRUE(same.flags.FirmwareReloadRequest);
  EXPECT_TRUE(HardwareCheck(same.ctx));
  EXPECT_EQ(same.Sent(), (Requests{Begin("df03"), Data(main), End(), Restart()}));
  EXPECT_FALSE(same.flags.FirmwareReloadRequest);
}

TEST(HardwareCheck, WrongDigest_NothingWritten) {
  FirmwareHarness h(128, 20, 10);
  h.WriteImage("UNIT128", "21", ImageBytes(10), "0123456789abcdef0123456789abcdef");
  EXPECT_FALSE(HardwareCheck(h.ctx));
  EXPECT_TRUE(h.Sent().empty());
  ASSERT_EQ(h.prompts.messages.size(), 1u);
  EXPECT_TRUE(h.prompts.messages.front().text.startsWith("MD5 Error"));
}

TEST(HardwareCheck, SecondaryImageAndBadMainImage_SecondaryWrittenBeforeTheMainIsChecked) {
  FirmwareHarness h(128, 20, 10);
  const QByteArray secondary = ImageBytes(600, 1);
  h.WriteImage("FWFAM128", "11", secondary);
  h.WriteImage("UNIT128", "21", ImageBytes(10), "0123456789abcdef0123456789abcdef");
  std::size_t sentBeforeMessage = 0;
  h.prompts.onShow = [&] { sentBeforeMessage = h.Sent().size(); };
  EXPECT_TRUE(HardwareCheck(h.ctx));
  ASSERT_EQ(h.prompts.messages.size(), 1u);
  EXPECT_TRUE(h.prompts.messages.front().text.startsWith("MD5 Error"));
  // The secondary image's begin, data and end (and its version record) came first.
  EXPECT_GE(sentBeforeMessage, 3u);
  EXPECT_EQ(h.Sent().back(), Restart());
}

TEST(HardwareCheck, MainBeginRefused_NothingElseSentAndRebootingShown) {
  FirmwareHarness h(131, 20, 10);
  h.WriteImage("UNIT131", "21", ImageBytes(700));
  h.device.refused = {0};
  EXPECT_FALSE(HardwareCheck(h.ctx));
  EXPECT_EQ(h.Sent(), (Requests{Begin("a003")}));
  EXPECT_EQ(h.status.texts, (std::vector<ShownText>{kWriteError, kRebooting}));
  EXPECT_FALSE(h.device.closed);
  EXPECT_EQ(h.flags.RestartWaitTicks, 0);
}

TEST(HardwareCheck, MainDataRefused_TrailerStillSentNoEndNoRestart) {
  FirmwareHarness h(131, 20, 10);
  const QByteArray main = ImageBytes(1200);
  h.WriteImage("UNIT131", "21", main);
  h.device.refused = {3};
  EXPECT_TRUE(HardwareCheck(h.ctx));
  const Requests expected{Begin("a003"), Data(QByteArray::fromHex("56455645b0040000")),
                          Data(main.left(512)), Data(main.mid(512, 512)), Trailer(main.left(1024))};
  EXPECT_EQ(h.Sent(), expected);
  EXPECT_EQ(h.status.texts.back(), kRebooting);
  EXPECT_FALSE(h.status.warningShown);
  EXPECT_FALSE(h.device.closed);
  EXPECT_EQ(h.flags.RestartWaitTicks, 0);
}

TEST(HardwareCheck, SecondaryDataRefused_NoEndNoRecordButDeviceRestarted) {
  FirmwareHarness h(128, 20, 10);
  const QByteArray secondary = ImageBytes(1100);
  h.WriteImage("FWFAM128", "11", secondary);
  h.device.refused = {1};
  EXPECT_TRUE(HardwareCheck(h.ctx));
  EXPECT_EQ(h.Sent(), (Requests{Begin("0000"), Data(secondary.mid(16, 512)), Restart()}));
}

TEST(MainImageUpgrade, Type121ImageBeyond24BitOffsets_RefusedBeforeSending) {
  FirmwareHarness h(121, 20, 0);
  FirmwareImage image{QByteArray((1 << 24) + 1, '\x5a'), 21, QString(), true};
  const MainUpgradeResult result = MainImageUpgrade(h.ctx, image);
  EXPECT_FALSE(result.beganOk);
  EXPECT_FALSE(result.lastResult);
  EXPECT_TRUE(h.Sent().empty());
}

}  // namespace
}  // namespace ostrivane

namespace ostrivane {
namespace {

TEST(RunHardwareCheck, FailedStep_NamedWithItsBlockAndNoSuccessClaimed) {
  using fwtest::FirmwareHarness;
  FirmwareHarness data(131, 20, 10);
  data.WriteImage("UNIT131", "21", fwtest::ImageBytes(1200));
  data.device.refused = {3};  // begin, header, block 1, block 2
  FirmwareCheckResult result = RunHardwareCheck(data.ctx);
  EXPECT_EQ(result.failure, "the device refused flash block 2 of 3");

  FirmwareHarness header(131, 20, 10);
  header.WriteImage("UNIT131", "21", fwtest::ImageBytes(1200));
  header.device.refused = {1};
  result = RunHardwareCheck(header.ctx);
  EXPECT_EQ(result.failure, "the device refused the image header");
  EXPECT_EQ(header.status.texts.back().text, QStringLiteral("Rebooting..."));
  EXPECT_EQ(header.flags.RestartWaitTicks, 0) << "no restart after a failed step";

  FirmwareHarness secondary(128, 20, 10);
  secondary.WriteImage("FWFAM128", "11", fwtest::ImageBytes(1100));
  secondary.device.refused = {0};
  result = RunHardwareCheck(secondary.ctx);
  EXPECT_EQ(result.failure, "the device refused the begin step of the secondary image");
  EXPECT_FALSE(result.written);
}

TEST(RunHardwareCheck, ActivityLines_TellVersionsBeforeAndAfterAndWhereATransferStopped) {
  using fwtest::FirmwareHarness;
  using Lines = std::vector<QString>;
  FirmwareHarness upgraded(131, 20, 10);
  upgraded.WriteImage("UNIT131", "21", fwtest::ImageBytes(1200));
  RunHardwareCheck(upgraded.ctx);
  EXPECT_EQ(upgraded.status.noted,
            (Lines{"Firmware check: the device runs 20.10; writing image 21.10",
                   "Firmware upgraded 20.10 -> 21.10"}));

  FirmwareHarness refused(131, 20, 10);
  refused.WriteImage("UNIT131", "21", fwtest::ImageBytes(1200));
  refused.device.refused = {3};  // begin, header, block 1, block 2
  RunHardwareCheck(refused.ctx);
  EXPECT_EQ(refused.status.noted.back(),
            "Firmware upgrade failed at block 2 of 3: refused; the device still runs 20.10");

  FirmwareHarness current(131, 20, 10);
  current.WriteImage("UNIT131", "20", fwtest::ImageBytes(1200));
  RunHardwareCheck(current.ctx);
  EXPECT_EQ(current.status.noted, (Lines{"Firmware check: the device runs 20.10; no newer image"}));
}

}  // namespace
}  // namespace ostrivane
