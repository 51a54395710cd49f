#include <gtest/gtest.h>

#include <vector>

#include "link/CXmit.h"
#include "tests/link/LinkFakes.h"

using namespace ostrivane;
using namespace ostrivane::test;

namespace {

class Transaction : public ::testing::Test {
 protected:
  FakeChannel& Attach(Channel::Kind kind) {
    auto channel = std::make_unique<FakeChannel>(clock, kind);
    FakeChannel& ref = *channel;
    link.Attach(std::move(channel));
    return ref;
  }
  QByteArray Payload() const {
    const auto reply = link.Reply();
    return QByteArray(reinterpret_cast<const char*>(reply.data()), qsizetype(reply.size()));
  }

  FakeClock clock;
  RecordingStatus status;
  CXmit link{clock, status};
};

const std::vector<Channel::Kind> kBothKinds{Channel::Kind::Serial, Channel::Kind::Tcp};

}  // namespace

TEST_F(Transaction, UnansweredRequest_RaisesLinkErrorAfterTwoWaits) {
  for (const auto kind : kBothKinds) {
    FakeChannel& channel = Attach(kind);
    link.LinkError = false;
    const Millis start = clock.Now();
    EXPECT_FALSE(link.Transact(0x10, {}, 500));
    EXPECT_TRUE(link.LinkError);
    EXPECT_EQ(clock.Now() - start, Millis{5000});
    EXPECT_EQ(channel.written.toHex(), "021010021010");  // the same frame, twice
  }
}

TEST_F(Transaction, BadChecksumThenGoodReply_RetriesTheIdenticalFrame) {
  FakeChannel& channel = Attach(Channel::Kind::Serial);
  channel.answers = {Hex("02f10100"), Hex("02f101f0")};
  EXPECT_TRUE(link.Transact(0x40, {}, 500));
  EXPECT_EQ(channel.written.toHex(), "024040024040");
  EXPECT_EQ(Payload().toHex(), "01");
  EXPECT_FALSE(link.LinkError);
  EXPECT_EQ(clock.Now(), Millis{1000});  // no deadline ran out
}

TEST_F(Transaction, RefusedReply_FailsAtOnceAndLeavesLinkErrorAsItWas) {
  for (const bool before : {false, true}) {
    FakeChannel& channel = Attach(Channel::Kind::Serial);
    channel.answers = {Hex("02e0e0"), Hex("02f0f0")};
    link.LinkError = before;
    EXPECT_FALSE(link.Transact(0x20, {}, 500));
    EXPECT_EQ(link.LinkError, before);
    EXPECT_EQ(channel.written.toHex(), "022020");
  }
}

TEST_F(Transaction, NothingConnected_SendsNothingFlashesNothingRaisesLinkError) {
  link.WriteIndicator = true;
  EXPECT_FALSE(link.Transact(0x50, {}, 500));
  const std::uint8_t block[4] = {1, 2, 3, 4};
  EXPECT_FALSE(link.TransactWriteBlock(0, block));

  FakeChannel& closed = Attach(Channel::Kind::Serial);
  closed.open = false;
  link.WriteIndicator = true;
  EXPECT_FALSE(link.Transact(0x50, {}, 500));
  EXPECT_TRUE(closed.written.isEmpty());
  EXPECT_TRUE(link.LinkError);
  EXPECT_FALSE(link.WriteIndicator);
  EXPECT_TRUE(status.flashes.empty());
}

TEST_F(Transaction, WriteIndicator_ClearedOnEveryPathAndShownOnTheLamps) {
  FakeChannel& channel = Attach(Channel::Kind::Serial);
  channel.answers = {Hex("02f0f0"), {}, {}, Hex("02e0e0")};
  link.WriteIndicator = true;
  EXPECT_TRUE(link.Transact(0x50, {}, 500));
  EXPECT_FALSE(link.WriteIndicator);
  link.WriteIndicator = true;
  EXPECT_FALSE(link.Transact(0x50, {}, 500));  // unanswered twice
  EXPECT_FALSE(link.WriteIndicator);
  EXPECT_FALSE(link.Transact(0x40, {}, 500));  // refused, read-type request
  EXPECT_EQ(status.flashes, (std::vector<bool>{true, true, false}));

  // A request too large for the transmit buffer goes nowhere and lights nothing.
  const std::vector<std::uint8_t> huge(2052, 0x02);
  link.WriteIndicator = true;
  const auto sent = channel.written.size();
  EXPECT_FALSE(link.Transact(0x50, huge, 500));
  EXPECT_FALSE(link.WriteIndicator);
  EXPECT_EQ(channel.written.size(), sent);
  EXPECT_EQ(status.flashes.size(), 3u);
}

TEST_F(Transaction, SplitReply_DecodesLikeAWholeOne) {
  for (const auto kind : kBothKinds) {
    for (const std::size_t limit : {std::size_t{1}, std::size_t{4096}}) {
      FakeChannel& channel = Attach(kind);
      channel.readLimit = limit;
      channel.answers = {Hex("02f30a0b0cfe")};
      EXPECT_TRUE(link.Transact(0x70, {}, 500));
      EXPECT_EQ(Payload().toHex(), "0a0b0c");
    }
  }
}

TEST_F(Transaction, LongRequest_GoesOutInSerialPiecesOf400ButWholeOverTcp) {
  const std::vector<std::uint8_t> record(1000, 0x11);  // 1005 bytes framed
  FakeChannel& serial = Attach(Channel::Kind::Serial);
  serial.answers = {Hex("02f0f0")};
  EXPECT_TRUE(link.Transact(0x50, record, 500));
  EXPECT_EQ(serial.writeSizes, (std::vector<std::size_t>{400, 400, 205}));
  EXPECT_EQ(serial.written.left(4).toHex(), "025803e8");

  FakeChannel& tcp = Attach(Channel::Kind::Tcp);
  tcp.answers = {Hex("02f0f0")};
  EXPECT_TRUE(link.Transact(0x50, record, 500));
  EXPECT_EQ(tcp.writeSizes, (std::vector<std::size_t>{1005}));
}

TEST_F(Transaction, StaleInput_IsDiscardedBeforeTheRequest) {
  for (const auto kind : kBothKinds) {
    FakeChannel& channel = Attach(kind);
    channel.input = Hex("02f0f0");  // a late acceptance of some earlier request
    channel.answers = {Hex("02e0e0")};
    EXPECT_FALSE(link.Transact(0x50, {}, 500));
    EXPECT_EQ(link.ReplyStatus, LinkStatus::Refused);
  }
}

TEST_F(Transaction, WriteBlock_CarriesBigEndianOffsetAndWaits25SecondsPerAttempt) {
  FakeChannel& channel = Attach(Channel::Kind::Serial);
  channel.answers = {Hex("02f0f0")};
  const std::vector<std::uint8_t> block(2048, 0x11);
  EXPECT_TRUE(link.TransactWriteBlock(2048, block));
  // 0xC0/1: header C8, length 0x0804, then 01 and the offset 00 08 00
  EXPECT_EQ(channel.written.left(8).toHex(), "02c8080401000800");
  EXPECT_EQ(channel.written.size(), 2 + 2 + 2052 + 1);
  EXPECT_EQ(status.flashes, (std::vector<bool>{true}));
  EXPECT_FALSE(link.WriteIndicator);

  const Millis start = clock.Now();
  EXPECT_FALSE(link.TransactWriteBlock(4096, block));
  EXPECT_EQ(clock.Now() - start, Millis{50000});
}

namespace {

// What an observer of the link saw, one word per frame: "tx1", "rx1:bad", "rx2:refused", ...
class SeenFrames final : public LinkObserver {
 public:
  void OnRequest(std::uint8_t, std::span<const std::uint8_t> payload, int attempt) override {
    seen.push_back("tx" + std::to_string(attempt) + ":" + std::to_string(payload.size()));
  }
  void OnReply(std::uint8_t, ReplyOutcome outcome, LinkStatus status, std::span<const std::uint8_t>,
               int attempt) override {
    const char* what = outcome == ReplyOutcome::NoReply    ? "none"
                       : outcome == ReplyOutcome::BadFrame ? "bad"
                       : status == LinkStatus::Refused     ? "refused"
                                                           : "accepted";
    seen.push_back("rx" + std::to_string(attempt) + ":" + what);
  }
  void OnRefused(std::uint8_t, std::span<const std::uint8_t>, Refusal why) override {
    seen.push_back(why == Refusal::NotConnected ? "unsent:no link"
                   : why == Refusal::Cancelled  ? "unsent:cancelled"
                                                : "unsent:too long");
  }
  std::vector<std::string> seen;
};

}  // namespace

TEST_F(Transaction, Observer_SeesEveryAttemptAndHowItsReplyEnded) {
  SeenFrames frames;
  link.SetObserver(&frames);
  FakeChannel& channel = Attach(Channel::Kind::Serial);
  channel.answers = {Hex("02f10100"), Hex("02f101f0"), Hex("02e0e0"), QByteArray(), QByteArray()};
  const std::uint8_t payload[] = {1, 2, 3};
  EXPECT_TRUE(link.Transact(0x40, payload, 500));
  EXPECT_FALSE(link.Transact(0x40, {}, 500));
  EXPECT_FALSE(link.Transact(0x40, {}, 500));
  EXPECT_EQ(frames.seen,
            (std::vector<std::string>{"tx1:3", "rx1:bad", "tx2:3", "rx2:accepted", "tx1:0",
                                      "rx1:refused", "tx1:0", "rx1:none", "tx2:0", "rx2:none"}));
  link.SetObserver(nullptr);
}

TEST_F(Transaction, RequestThatNeverReachesTheWire_IsStillSeenWithItsReason) {
  SeenFrames frames;
  link.SetObserver(&frames);
  EXPECT_FALSE(link.Transact(0x40, {}, 500));
  FakeChannel& channel = Attach(Channel::Kind::Serial);
  const std::vector<std::uint8_t> tooLong(kFrameBufferSize, 0x55);
  EXPECT_FALSE(link.Transact(0x50, tooLong, 500));
  link.SetCancelled(true);
  EXPECT_FALSE(link.Transact(0x40, {}, 500));
  link.SetCancelled(false);
  EXPECT_TRUE(channel.written.isEmpty());
  EXPECT_EQ(frames.seen,
            (std::vector<std::string>{"unsent:no link", "unsent:too long", "unsent:cancelled"}));
  link.SetObserver(nullptr);
}
