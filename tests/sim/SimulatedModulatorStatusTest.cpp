#include <gtest/gtest.h>

#include "SimulatedModulatorTest.h"
#include "sim/DeviceDefaults.h"

namespace ostrivane::sim::testing {
namespace {

using namespace std::chrono_literals;

// 0xD0/0 for 2024-03-05 14:07:09.
const QByteArray kSetClock = QByteArray::fromHex("00e80703050e0709");
const SimServiceStatus kProgressive1080{1, 1080, 1, 50, 0, 0};

TEST(SimulatedModulatorStatus, StandardType_RecordFollowsTheStatusTable) {
  SimRig rig(OptionsFor(131, 20));
  rig.device.SetServiceStatus(0, kProgressive1080);
  rig.device.SetUsbMedium(true, {QStringLiteral("A.ts"), QStringLiteral("B")});
  ASSERT_TRUE(rig.Send(0xD0, kSetClock));
  ASSERT_TRUE(rig.Send(0x40));
  // DeviceStatus: one service (01 00 | 38 04 | 01 | 32 | 00 | 00), UsbMode 01, file count 02 with
  // "A.ts" and "B", clock 2024 (E8 07) 03 05 14:07:09.
  EXPECT_EQ(rig.Reply(), QByteArray::fromHex("0100380401320000"
                                             "01"
                                             "02412e7473004200"
                                             "e80703050e0709"));
  // The clock runs on: 61 s later it reads 14:08:10.
  rig.clock.Advance(61s);
  ASSERT_TRUE(rig.Send(0x40));
  EXPECT_EQ(rig.Reply().right(7), QByteArray::fromHex("e80703050e080a"));
}

TEST(SimulatedModulatorStatus, LegacyType_HasNoUsbModeAndReportsMissingMedium) {
  SimRig rig(OptionsFor(121, 12));
  rig.device.SetServiceStatus(0, kProgressive1080);
  rig.device.SetUsbMedium(false, {QStringLiteral("ignored.ts")});
  ASSERT_TRUE(rig.Send(0xD0, kSetClock));
  ASSERT_TRUE(rig.Send(0x40));
  // One service, no UsbMode byte for 121, file count FF (no medium), clock.
  EXPECT_EQ(rig.Reply(), QByteArray::fromHex("0100380401320000ffe80703050e0709"));
}

TEST(SimulatedModulatorStatus, FourServiceType_CarriesEveryServiceAndBothBitratePairs) {
  SimRig rig(OptionsFor(176, 20));
  for (int i = 0; i < 4; ++i) rig.device.SetServiceStatus(i, kProgressive1080);
  rig.device.SetServiceStatus(2, SimServiceStatus{0, 0, 0, 0, 0, 0});
  rig.device.SetUsbMedium(true, {});
  rig.device.SetBitrate(0, 24000000, 18000);
  rig.device.SetBitrate(1, 0, 0);
  ASSERT_TRUE(rig.Send(0xD0, kSetClock));
  ASSERT_TRUE(rig.Send(0x40));
  // Four services (the third without signal), UsbMode 01, a medium without files (00), clock,
  // then per modulator le32 capacity (24000000 = 00 36 6E 01) and le32 kb/s (18000 = 50 46).
  EXPECT_EQ(rig.Reply(), QByteArray::fromHex("0100380401320000"
                                             "0100380401320000"
                                             "0000000000000000"
                                             "0100380401320000"
                                             "01"
                                             "00"
                                             "e80703050e0709"
                                             "00366e0150460000"
                                             "0000000000000000"));
}

TEST(SimulatedModulatorStatus, FourKType_ListsOverlaysFromMainVersion15) {
  for (const std::uint8_t main : {std::uint8_t{14}, std::uint8_t{15}}) {
    SimRig rig(OptionsFor(192, main));
    rig.device.SetServiceStatus(0, kProgressive1080);
    rig.device.SetUsbMedium(false, {});
    rig.device.SetOverlayFiles(true, {QStringLiteral("o.png")});
    ASSERT_TRUE(rig.Send(0xD0, kSetClock));
    ASSERT_TRUE(rig.Send(0x40));
    // Service, UsbMode 01, no medium FF, clock; from 15 on: overlay count 01 and "o.png".
    const QByteArray common = QByteArray::fromHex("010038040132000001ffe80703050e0709");
    EXPECT_EQ(rig.Reply(), main == 15 ? common + QByteArray::fromHex("016f2e706e6700") : common);
  }
}

TEST(SimulatedModulatorStatus, TooManyNames_RecordStaysWithin1024BytesWithHonestCount) {
  SimRig rig(OptionsFor(131));
  QStringList names;
  for (int i = 0; i < 60; ++i) names.append(QStringLiteral("%1").arg(i, 30, 10, QLatin1Char('n')));
  rig.device.SetUsbMedium(true, names);
  ASSERT_TRUE(rig.Send(0xD0, kSetClock));
  ASSERT_TRUE(rig.Send(0x40));
  const QByteArray record = rig.Reply();
  ASSERT_LE(record.size(), 1024);
  const int count = static_cast<std::uint8_t>(record.at(9));
  EXPECT_GT(count, 0);
  EXPECT_LE(count, 54);
  // Exactly count zero-terminated names sit between the count byte and the clock.
  EXPECT_EQ(record.mid(10, record.size() - 17).count('\0'), count);
  EXPECT_EQ(record.right(7), QByteArray::fromHex("e80703050e0709"));
}

TEST(SimulatedModulatorStatus, PlayerCommands_ChangeUsbStateAndMode) {
  SimRig rig(OptionsFor(131));
  const auto state = [&rig] {
    EXPECT_TRUE(rig.Send(0x40));
    const QByteArray record = rig.Reply();
    return std::pair(static_cast<int>(record.at(7)), static_cast<int>(record.at(8)));
  };
  ASSERT_TRUE(rig.Send(0x30, QByteArray::fromHex("01"), 1000));
  EXPECT_EQ(state(), std::pair(2, 2));  // playing, "MP"
  ASSERT_TRUE(rig.Send(0x30, QByteArray::fromHex("02"), 1000));
  EXPECT_EQ(state(), std::pair(1, 3));  // recording, "MR"
  ASSERT_TRUE(rig.Send(0x30, QByteArray::fromHex("03"), 1000));
  EXPECT_EQ(state(), std::pair(0, 1));  // idle, "---"
  EXPECT_FALSE(rig.Send(0x30, QByteArray::fromHex("04"), 1000));
  EXPECT_FALSE(rig.Send(0x30, {}, 1000));
}

TEST(SimulatedModulatorStatus, ClockSet_RefusesDatesTheCalendarLacks) {
  SimRig rig(OptionsFor(131));
  ASSERT_TRUE(rig.Send(0xD0, kSetClock));
  // What the tool sends when its own local time fails: zero date, 255 time.
  EXPECT_FALSE(rig.Send(0xD0, QByteArray::fromHex("0000000000ffffff")));
  EXPECT_FALSE(rig.Send(0xD0, QByteArray::fromHex("00e807021e0c0000")));  // 30 February
  EXPECT_FALSE(rig.Send(0xD0, QByteArray::fromHex("00e807")));            // cut short
  EXPECT_EQ(rig.device.DeviceClock(), QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)));
  EXPECT_EQ(rig.device.Counters().clockSets, 1);
}

TEST(SimulatedModulatorStatus, SnapshotAndPanelOpened_AnswerAndAreCounted) {
  SimRig rig(OptionsFor(192, 15));
  ASSERT_TRUE(rig.Send(0xD0, QByteArray::fromHex("02")));
  const QByteArray picture = rig.Reply();
  ASSERT_EQ(picture.size(), 1024);
  // Band 0: column 0 is the left border (all eight rows), column 1 has the top border and the
  // diagonal's first row, column 2 the top border and row 1; column 127 the right border.
  EXPECT_EQ(picture.left(3), QByteArray::fromHex("ff0103"));
  EXPECT_EQ(static_cast<std::uint8_t>(picture.at(127)), 0xFF);
  // Band 7, column 64: only the bottom border (row 63 = bit 7).
  EXPECT_EQ(static_cast<std::uint8_t>(picture.at(7 * 128 + 64)), 0x80);
  ASSERT_TRUE(rig.Send(0xD0, QByteArray::fromHex("03")));
  EXPECT_FALSE(rig.Send(0xD0, QByteArray::fromHex("01")));
  EXPECT_EQ(rig.device.Counters().panelOpened, 1);
  EXPECT_EQ(rig.device.Counters().snapshots, 1);
}

}  // namespace
}  // namespace ostrivane::sim::testing
