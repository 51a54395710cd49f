#include <gtest/gtest.h>

#include <QByteArray>

#include "operations/DeviceStatus.h"

namespace ostrivane {
namespace {

std::span<const std::uint8_t> Span(const QByteArray& bytes) {
  return {reinterpret_cast<const std::uint8_t*>(bytes.constData()),
          static_cast<std::size_t>(bytes.size())};
}

// Status record, type 178 (two services, one modulator), items in table order.
const QByteArray kType178Head = QByteArray::fromHex(
    "0100 3804 00 32 01 02"  // service 0: present, 1080 lines, interlaced, 50, AC3, playing
    "0000 0000 00 00 00 00"  // service 1: no input
    "04"                     // UsbMode AP
    "02"                     // two file names
    "412e747300"             // "A.ts"
    "422e747300");           // "B.ts"
const QByteArray kType178Tail = QByteArray::fromHex(
    "e807 03 05 0e 07 09"  // clock 2024-03-05 14:07:09
    "a0e1e101 d4300000");  // capacity 31580576 bit/s, 12500 kb/s

TEST(StatusReader, CompleteType178Reply_FillsEveryItem) {
  DeviceStatus s;
  EXPECT_TRUE(ReadDeviceStatus(Span(kType178Head + kType178Tail), 178, 20, 2, 1, s));
  EXPECT_EQ(s.Inputs[0], (ServiceInputStatus{1, 1080, 0, 50, 1, 2}));
  EXPECT_EQ(s.Inputs[1], ServiceInputStatus{});
  EXPECT_EQ(s.UsbMode, 4);
  EXPECT_EQ(s.UsbPresent, 1);
  EXPECT_EQ(s.UsbFiles, (QStringList{"A.ts", "B.ts"}));
  EXPECT_EQ(s.UsbFileList, "A.ts_B.ts");
  EXPECT_EQ(s.DeviceClock, (DeviceClockTime{2024, 3, 5, 14, 7, 9}));
  EXPECT_EQ(s.Bitrates[0], (OutputBitrate{31580576u, 12500u}));
}

TEST(StatusReader, ReplyEndingAfterNames_KeepsClockAndBitrates) {
  DeviceStatus s;
  s.DeviceClock = {2020, 1, 2, 3, 4, 5};
  s.Bitrates[0] = {7, 8};
  EXPECT_TRUE(ReadDeviceStatus(Span(kType178Head), 178, 20, 2, 1, s));
  EXPECT_EQ(s.DeviceClock, (DeviceClockTime{2020, 1, 2, 3, 4, 5}));
  EXPECT_EQ(s.Bitrates[0], (OutputBitrate{7, 8}));
  EXPECT_EQ(s.UsbFileList, "A.ts_B.ts");

  // A clock cut short is not half-applied either.
  EXPECT_FALSE(ReadDeviceStatus(Span(kType178Head + kType178Tail.left(4)), 178, 20, 2, 1, s));
  EXPECT_EQ(s.DeviceClock, (DeviceClockTime{2020, 1, 2, 3, 4, 5}));
}

TEST(StatusReader, ReplyCutInsideLeadingItems_KeepsPreviousValues) {
  DeviceStatus s;
  s.Inputs[1].InputLines = 576;
  s.UsbMode = 3;
  s.UsbPresent = 1;
  s.UsbFiles = {"old.ts"};
  // Only service 0 and half of service 1 arrived.
  EXPECT_FALSE(ReadDeviceStatus(Span(kType178Head.left(12)), 178, 20, 2, 1, s));
  EXPECT_EQ(s.Inputs[0].InputLines, 1080);
  EXPECT_EQ(s.Inputs[1].InputLines, 576);
  EXPECT_EQ(s.UsbMode, 3);
  EXPECT_EQ(s.UsbFileList, "old.ts");
  EXPECT_FALSE(ReadDeviceStatus({}, 178, 20, 2, 1, s));
  EXPECT_EQ(s.UsbMode, 3);
}

TEST(StatusReader, FileCountByte_SetsMediumPresence) {
  // Type 131: one service, UsbMode present. 255: no medium; 0: a medium without files.
  const QByteArray service = QByteArray::fromHex(
      "0000000000000000"
      "01");
  DeviceStatus s;
  s.UsbFiles = {"stale.ts"};
  s.UsbPresent = 1;
  ReadDeviceStatus(Span(service + QByteArray::fromHex("ff")), 131, 20, 1, 1, s);
  EXPECT_EQ(s.UsbPresent, 0);
  EXPECT_TRUE(s.UsbFiles.isEmpty());
  EXPECT_EQ(s.UsbFileList, "");
  ReadDeviceStatus(Span(service + QByteArray::fromHex("00")), 131, 20, 1, 1, s);
  EXPECT_EQ(s.UsbPresent, 1);
  EXPECT_TRUE(s.UsbFiles.isEmpty());
}

TEST(StatusReader, MoreThan54Names_KeepsFirst54AndStaysInStep) {
  QByteArray reply = QByteArray::fromHex(
                         "0000000000000000"
                         "01") +
                     char(60);
  for (int i = 0; i < 60; ++i) reply += "f" + QByteArray::number(i) + '\0';
  reply += QByteArray::fromHex("e007 0c 1f 17 3b 3b");  // 2016-12-31 23:59:59
  DeviceStatus s;
  EXPECT_TRUE(ReadDeviceStatus(Span(reply), 131, 20, 1, 1, s));
  ASSERT_EQ(s.UsbFiles.size(), kMaxStatusNames);
  EXPECT_EQ(s.UsbFiles.last(), "f53");
  EXPECT_EQ(s.DeviceClock, (DeviceClockTime{2016, 12, 31, 23, 59, 59}));
}

TEST(StatusReader, TypeRules_UsbModeAndOverlayItems) {
  // Type 121 has no UsbMode byte: the byte after the inputs is already the file count.
  DeviceStatus legacy;
  legacy.UsbMode = 5;
  ReadDeviceStatus(Span(QByteArray::fromHex("0000000000000000"
                                            "01"
                                            "782e747300")),
                   121, 20, 1, 1, legacy);
  EXPECT_EQ(legacy.UsbMode, 0);
  EXPECT_EQ(legacy.UsbFiles, QStringList{"x.ts"});

  // Type 192 from main version 15: overlay names follow the clock and mark the medium present.
  const QByteArray head = QByteArray::fromHex(
      "0000000000000000"
      "02"
      "ff"
      "e8070305000000");
  DeviceStatus overlay;
  ReadDeviceStatus(Span(head + QByteArray::fromHex("02"
                                                   "6f3100"
                                                   "6f3200"
                                                   "10000000"
                                                   "20000000")),
                   192, 15, 1, 1, overlay);
  EXPECT_EQ(overlay.UsbPresent, 1);
  EXPECT_EQ(overlay.OverlayFileList, "o1_o2");
  EXPECT_EQ(overlay.Bitrates[0], (OutputBitrate{16, 32}));

  // Before version 15 the same position is the bitrate pair.
  DeviceStatus older;
  ReadDeviceStatus(Span(head + QByteArray::fromHex("10000000"
                                                   "20000000")),
                   192, 14, 1, 1, older);
  EXPECT_EQ(older.UsbPresent, 0);
  EXPECT_TRUE(older.OverlayFiles.isEmpty());
  EXPECT_EQ(older.Bitrates[0], (OutputBitrate{16, 32}));
}

TEST(StatusReader, CountsBeyondTheSlots_NeverReadPastTheArrays) {
  QByteArray reply(4096, '\x01');
  DeviceStatus s;
  ReadDeviceStatus(Span(reply), 176, 20, 99, 99, s);
  EXPECT_EQ(s.Inputs[3].InputLines, 0x0101);
  EXPECT_EQ(s.UsbMode, 1);
}

}  // namespace
}  // namespace ostrivane
