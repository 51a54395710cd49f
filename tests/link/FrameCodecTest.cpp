#include <gtest/gtest.h>

#include <QByteArray>
#include <vector>

#include "link/FrameCodec.h"

using namespace ostrivane;

namespace {

QByteArray Encode(std::uint8_t command, const QByteArray& payload) {
  EncodedFrame frame;
  const auto* data = reinterpret_cast<const std::uint8_t*>(payload.constData());
  EXPECT_TRUE(EncodeRequest(command, {data, static_cast<std::size_t>(payload.size())}, frame));
  return QByteArray(reinterpret_cast<const char*>(frame.bytes.data()),
                    static_cast<qsizetype>(frame.length));
}

struct Decoded {
  ReplyDecoder::Result result = ReplyDecoder::Result::InProgress;
  LinkStatus status = LinkStatus::None;
  QByteArray payload;
};

Decoded Decode(const QByteArray& wire) {
  std::array<std::uint8_t, kFrameBufferSize> reply{};
  ReplyDecoder decoder(reply);
  decoder.Reset();
  Decoded out;
  for (char c : wire) {
    out.result = decoder.Feed(static_cast<std::uint8_t>(c));
    if (out.result != ReplyDecoder::Result::InProgress) break;
  }
  out.status = decoder.Status();
  if (out.result == ReplyDecoder::Result::GoodFrame)
    out.payload = QByteArray(reinterpret_cast<const char*>(reply.data()),
                             static_cast<qsizetype>(decoder.Length()));
  return out;
}

}  // namespace

TEST(FrameEncoding, LengthClassesFollowThePayloadSize) {
  EXPECT_EQ(Encode(0x10, {}).toHex(), "021010");
  EXPECT_EQ(Encode(0xD0, QByteArray::fromHex("03")).toHex(), "02d103d2");
  EXPECT_EQ(Encode(0x40, QByteArray::fromHex("0a0b0c")).toHex(), "02430a0b0c4e");
  EXPECT_EQ(Encode(0x40, QByteArray::fromHex("01030507")).left(3).toHex(), "024404");
  EXPECT_EQ(Encode(0x50, QByteArray(256, '\x01')).left(4).toHex(), "02580100");
}

TEST(FrameEncoding, EveryStxAfterTheFirstIsDoubledAndChecksummedOnce) {
  // payload 02: header 41, payload 02 02, checksum 41^02 = 43
  EXPECT_EQ(Encode(0x40, QByteArray::fromHex("02")).toHex(), "0241020243");
  // a checksum of 02 is doubled too: header 41, payload 43 -> checksum 02
  EXPECT_EQ(Encode(0x40, QByteArray::fromHex("43")).toHex(), "0241430202");
  // a length byte of 02 cannot occur (lengths below 4 use the header) but 0x0202 can
  const QByteArray big = Encode(0x50, QByteArray(0x0202, '\0'));
  EXPECT_EQ(big.left(6).toHex(), "025802020202");
}

TEST(FrameEncoding, RequestTooLargeForTheBufferIsRefused) {
  std::vector<std::uint8_t> payload(2052, 0x02);
  EncodedFrame frame;
  EXPECT_FALSE(EncodeRequest(0xC0, payload, frame));
  EXPECT_EQ(frame.length, 0u);
}

TEST(ReplyDecoding, AcceptedRefusedAndLengthClasses) {
  auto accepted = Decode(QByteArray::fromHex("02f0f0"));
  EXPECT_EQ(accepted.result, ReplyDecoder::Result::GoodFrame);
  EXPECT_EQ(accepted.status, LinkStatus::Accepted);
  EXPECT_TRUE(accepted.payload.isEmpty());

  auto refused = Decode(QByteArray::fromHex("02e0e0"));
  EXPECT_EQ(refused.result, ReplyDecoder::Result::GoodFrame);
  EXPECT_EQ(refused.status, LinkStatus::Refused);

  // F4 04 + 4 bytes: length 4; F5 04 + 5 bytes: length 5 (header & 3 is added)
  auto four = Decode(QByteArray::fromHex("02f404" "01030507" "f0"));
  EXPECT_EQ(four.payload.toHex(), "01030507");
  auto five = Decode(QByteArray::fromHex("02f504" "0103050709" "f8"));
  EXPECT_EQ(five.result, ReplyDecoder::Result::GoodFrame);
  EXPECT_EQ(five.payload.toHex(), "0103050709");
  // bits 2 and 3 set: two length bytes
  auto both = Decode(QByteArray::fromHex("02fc0001" "aa" "57"));
  EXPECT_EQ(both.result, ReplyDecoder::Result::GoodFrame);
  EXPECT_EQ(both.payload.toHex(), "aa");
}

TEST(ReplyDecoding, StuffingAndResynchronisation) {
  // 02 02 inside the payload is one byte 02
  auto stuffed = Decode(QByteArray::fromHex("02f2" "0202" "01" "f1"));
  EXPECT_EQ(stuffed.result, ReplyDecoder::Result::GoodFrame);
  EXPECT_EQ(stuffed.payload.toHex(), "0201");
  // 02 F0 inside a payload abandons the frame and starts a new one
  auto restart = Decode(QByteArray::fromHex("02f3" "aa" "02f0f0"));
  EXPECT_EQ(restart.result, ReplyDecoder::Result::GoodFrame);
  EXPECT_EQ(restart.status, LinkStatus::Accepted);
  EXPECT_TRUE(restart.payload.isEmpty());
  // noise before the first STX and a non-reply header are ignored
  auto noisy = Decode(QByteArray::fromHex("ffee" "0210" "02f0f0"));
  EXPECT_EQ(noisy.result, ReplyDecoder::Result::GoodFrame);
  // a wrong checksum is a bad frame
  EXPECT_EQ(Decode(QByteArray::fromHex("02f10100")).result, ReplyDecoder::Result::BadFrame);
}

TEST(ReplyDecoding, OversizedAnnouncementIsABadFrameAndStaysInTheBuffer) {
  QByteArray wire = QByteArray::fromHex("02f8" "1001");  // 0x1001 = 4097 bytes announced
  wire.append(QByteArray(4097, '\x11'));
  wire.append('\xf8');  // a correct checksum: only the size makes this frame bad
  EXPECT_EQ(Decode(wire).result, ReplyDecoder::Result::BadFrame);
}
