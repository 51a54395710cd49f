#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "link/CXmit.h"
#include "link/Commands.h"
#include "tests/link/LinkFakes.h"

using namespace ostrivane;
using namespace ostrivane::test;

namespace {

class Commands : public ::testing::Test {
 protected:
  Commands() {
    auto owned = std::make_unique<FakeChannel>(clock, Channel::Kind::Serial);
    channel = owned.get();
    link.Attach(std::move(owned));
  }
  // Sends through an unanswered link and reports how long the two attempts waited in total.
  template <class Request>
  Millis UnansweredWait(Request request) {
    const Millis start = clock.Now();
    EXPECT_FALSE(request());
    return clock.Now() - start;
  }

  FakeClock clock;
  RecordingStatus status;
  CXmit link{clock, status};
  FakeChannel* channel = nullptr;
};

}  // namespace

TEST(DeviceText, LowByteOfEachUnitThenOneZeroAndNeverPastTheEnd) {
  std::array<std::uint8_t, 8> buffer;
  buffer.fill(0xEE);
  EXPECT_EQ(EncodeDeviceText(QStringLiteral("sync"), buffer), 5);
  EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(buffer.data()), 6).toHex(), "73796e6300ee");

  EXPECT_EQ(EncodeDeviceText(QString(QChar(0x0141)), buffer), 2);  // U+0141 keeps only 0x41
  EXPECT_EQ(buffer[0], 0x41);

  buffer.fill(0xEE);
  EXPECT_EQ(EncodeDeviceText(QStringLiteral("sync"), std::span(buffer).first(4)), -1);
  EXPECT_EQ(buffer[4], 0xEE);
}

TEST_F(Commands, OpenForRead_SendsThePathAndReadsALittleEndianSize) {
  channel->answers = {Hex("02f40410270000c7"), Hex("02f21027c5")};
  EXPECT_EQ(OpenDeviceFileForRead(link, QStringLiteral("/logFile")), 10000);
  // 0xA0/1 "/logFile": header A4, length 0A, payload 01 2F 6C 6F 67 46 69 6C 65 00, checksum C2
  EXPECT_EQ(channel->written.toHex(), "02a40a012f6c6f6746696c6500c2");
  EXPECT_EQ(OpenDeviceFileForRead(link, QStringLiteral("/logFile")), -1);  // two-byte reply
  EXPECT_EQ(UnansweredWait([&] { return OpenDeviceFileForRead(link, "/x") >= 0; }), Millis{2000});
  EXPECT_EQ(status.flashes, (std::vector<bool>{false, false, false}));
}

TEST_F(Commands, OverlongTexts_AreNotSent) {
  const QString path254(254, QLatin1Char('p'));
  const QString line255(255, QLatin1Char('c'));
  channel->answers = {Hex("02f0f0"), Hex("02f0f0")};
  EXPECT_TRUE(OpenDeviceFileForWrite(link, path254));
  EXPECT_EQ(channel->written.left(4).toHex(), "02a80100");  // 256-byte payload
  EXPECT_TRUE(RunDeviceCommand(link, line255));
  const auto sent = channel->written.size();

  link.WriteIndicator = false;
  EXPECT_EQ(OpenDeviceFileForRead(link, path254 + QLatin1Char('p')), -1);
  EXPECT_FALSE(OpenDeviceFileForWrite(link, path254 + QLatin1Char('p')));
  EXPECT_FALSE(RunDeviceCommand(link, line255 + QLatin1Char('c')));
  EXPECT_FALSE(FlashWrite(link, std::vector<std::uint8_t>(513, 0x11)));
  EXPECT_EQ(channel->written.size(), sent);
  EXPECT_FALSE(link.WriteIndicator);
}

TEST_F(Commands, Wrappers_CarryTheirSubOperationTimeoutAndWriteLamp) {
  const std::vector<std::uint8_t> data(512, 0x11);
  // Waits are two attempts of timeout × 5 ms; the frames are from the request catalogue.
  EXPECT_EQ(UnansweredWait([&] { return OpenDeviceFileForWrite(link, "/a"); }), Millis{2000});
  EXPECT_EQ(channel->written.left(8).toHex(), "02a404002f6100ee");
  channel->written.clear();
  EXPECT_EQ(UnansweredWait([&] { return FlashBegin(link, 0x1234); }), Millis{5000});
  EXPECT_EQ(channel->written.left(6).toHex(), "02b300341295");
  channel->written.clear();
  EXPECT_EQ(UnansweredWait([&] { return FlashWrite(link, data); }), Millis{50000});
  // 513 bytes: length 0x0201, whose high byte 02 is doubled
  EXPECT_EQ(channel->written.left(7).toHex(), "02b80202010511");
  channel->written.clear();
  EXPECT_EQ(UnansweredWait([&] { return FlashEnd(link); }), Millis{50000});
  EXPECT_EQ(channel->written.left(5).toHex(), "02b10202b3");
  channel->written.clear();
  EXPECT_EQ(UnansweredWait([&] { return RunDeviceCommand(link, "sync"); }), Millis{50000});
  EXPECT_EQ(channel->written.left(9).toHex(), "02840573796e630086");
  EXPECT_EQ(status.flashes, (std::vector<bool>{true, false, false, false, true}));
}
