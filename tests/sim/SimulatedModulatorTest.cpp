#include "SimulatedModulatorTest.h"

#include <gtest/gtest.h>

#include <thread>

#include "config/ConfigCodec.h"

namespace ostrivane::sim::testing {
namespace {

using namespace std::chrono_literals;

TEST(SimulatedModulator, IdentifyRequest_AnswersTypeAndVersionBytes) {
  SimOptions options = OptionsFor(131, 20);
  options.spareVersion = 2;
  options.secondaryVersion = 10;
  SimulatedModulator device(options);
  // Request 02 10 10; reply header F4, length 04, payload 83 14 02 0A (the 02 doubled on the
  // wire), XOR checksum 6F.
  EXPECT_EQ(device.HandleBytes(QByteArray::fromHex("021010")),
            QByteArray::fromHex("02f404831402020a6f"));
  ASSERT_EQ(device.Requests().size(), 1);
  EXPECT_EQ(device.Requests()[0].command, 0x10);
  EXPECT_TRUE(device.Requests()[0].payload.isEmpty());
}

TEST(SimulatedModulator, FramesInPieces_AnsweredOnceCompleteAndPerSource) {
  SimulatedModulator device(OptionsFor(131));
  // Two connections each send half a frame; neither may complete the other's.
  EXPECT_TRUE(device.Handle(QByteArray::fromHex("02"), 1).isEmpty());
  EXPECT_TRUE(device.Handle(QByteArray::fromHex("02d1"), 2).isEmpty());
  EXPECT_EQ(device.Handle(QByteArray::fromHex("1010"), 1).size(), 1);
  // 0xD0/3 (panel opened): 02 D1 03 D2.
  EXPECT_EQ(device.Handle(QByteArray::fromHex("03d2"), 2).size(), 1);
  EXPECT_EQ(device.Counters().panelOpened, 1);
  // Reply frames echoed back by a line are not requests and get no answer.
  EXPECT_TRUE(device.Handle(QByteArray::fromHex("02f0f002e0e0")).isEmpty());
  // A request whose checksum is wrong is ignored, like line noise.
  EXPECT_TRUE(device.Handle(QByteArray::fromHex("021011")).isEmpty());
  EXPECT_EQ(device.Counters().badFrames, 1);
}

TEST(SimulatedModulator, ThroughTheLink_IdentifyAndUnknownCommand) {
  SimRig rig(OptionsFor(178, 7));
  ASSERT_TRUE(rig.Send(0x10));
  EXPECT_EQ(rig.Reply(), QByteArray::fromHex("b207000a"));
  EXPECT_FALSE(rig.Send(0x60));
  EXPECT_EQ(rig.link.ReplyStatus, LinkStatus::Refused);
  EXPECT_FALSE(rig.link.LinkError);
}

TEST(SimulatedModulator, DefaultRecord_DecodesForItsTypeWithSensibleValues) {
  for (const std::uint8_t type :
       std::initializer_list<std::uint8_t>{121, 128, 131, 142, 156, 158, 176, 178, 192}) {
    SimRig rig(OptionsFor(type, 15));
    ASSERT_TRUE(rig.Send(0x70)) << int(type);
    const QByteArray record = rig.Reply();
    LayoutContext context{type, 15, RecordShape::ForType(type)};
    DeviceConfig config;
    PanelState panel;
    ASSERT_TRUE(DecodeConfigImage(record, context, config, panel)) << int(type);
    EXPECT_EQ(config.Services[0].ServiceName, QStringLiteral("Ostrivane %1").arg(type));
    EXPECT_EQ(config.Services[0].Lcn, 1) << int(type);
    EXPECT_EQ(record.startsWith("VEVE"), type == 176 || type == 178) << int(type);
  }
}

TEST(SimulatedModulator, WriteConfig_StoresValidRecordsAndRefusesBadHeadersAndOversize) {
  SimRig rig(OptionsFor(131));
  ASSERT_TRUE(rig.Send(0x70));
  QByteArray record = rig.Reply();
  record[0] = 'Z';  // first letter of the reference text
  ASSERT_TRUE(rig.Send(0x50, record));
  ASSERT_TRUE(rig.Send(0x70));
  EXPECT_EQ(rig.Reply(), record);

  // A multi-output record is not for this type; nothing is stored.
  const QByteArray multi = QByteArray("VEVE") + char(131) + record;
  EXPECT_FALSE(rig.Send(0x50, multi));
  EXPECT_EQ(rig.link.ReplyStatus, LinkStatus::Refused);
  EXPECT_FALSE(rig.link.LinkError);
  EXPECT_FALSE(rig.Send(0x50, record + QByteArray(1025 - record.size(), 'x')));
  EXPECT_FALSE(rig.Send(0x50, QByteArray("ab")));  // far shorter than its mandatory items
  EXPECT_EQ(rig.device.ConfigRecord(), record);
}

TEST(SimulatedModulator, MultiOutputType_RefusesRecordOfTheSiblingType) {
  SimRig rig(OptionsFor(176));
  ASSERT_TRUE(rig.Send(0x70));
  QByteArray record = rig.Reply();
  ASSERT_EQ(static_cast<std::uint8_t>(record.at(4)), 176);
  record[4] = static_cast<char>(178);
  EXPECT_FALSE(rig.Send(0x50, record));
  EXPECT_FALSE(rig.Send(0x50, record.mid(5)));  // no header at all
  record[4] = static_cast<char>(176);
  EXPECT_TRUE(rig.Send(0x50, record));
}

TEST(SimulatedModulator, SilentDevice_RaisesLinkErrorAfterTwoWaits) {
  SimRig rig;
  SimFaults faults;
  faults.silence = true;
  rig.device.SetFaults(faults);
  const Millis start = rig.clock.Now();
  EXPECT_FALSE(rig.Send(0x40, {}, 500));
  EXPECT_TRUE(rig.link.LinkError);
  EXPECT_EQ(rig.clock.Now() - start, 5000ms);
  EXPECT_EQ(rig.device.Requests().size(), 2);
}

TEST(SimulatedModulator, BadChecksumOnce_SecondAttemptSucceeds) {
  SimRig rig;
  SimFaults faults;
  faults.badChecksum = true;
  faults.remaining = 1;
  rig.device.SetFaults(faults);
  ASSERT_TRUE(rig.Send(0x10));
  EXPECT_EQ(rig.device.Requests().size(), 2);
  EXPECT_FALSE(rig.link.LinkError);

  faults.remaining = -1;
  rig.device.SetFaults(faults);
  EXPECT_FALSE(rig.Send(0x10));
  EXPECT_TRUE(rig.link.LinkError);
}

TEST(SimulatedModulator, CorruptedChecksum_StaysAValidlyStuffedFrame) {
  // The identify reply's checksum is 0x79 ^ main, so the main versions cover every checksum
  // value, 0x02 (stuffed) and 0x03 (becomes 0x02 when corrupted) included.
  for (int main = 0; main < 256; ++main) {
    SimulatedModulator device(OptionsFor(131, static_cast<std::uint8_t>(main)));
    SimFaults faults;
    faults.badChecksum = true;
    device.SetFaults(faults);
    const QByteArray reply = device.HandleBytes(QByteArray::fromHex("021010"));
    std::array<std::uint8_t, kFrameBufferSize> buffer{};
    ReplyDecoder decoder(buffer);
    int bad = 0, good = 0;
    for (const char c : reply) {
      const auto result = decoder.Feed(static_cast<std::uint8_t>(c));
      bad += result == ReplyDecoder::Result::BadFrame;
      good += result == ReplyDecoder::Result::GoodFrame;
    }
    EXPECT_EQ(bad, 1) << reply.toHex().constData();
    EXPECT_EQ(good, 0);
    EXPECT_EQ(decoder.Length(), 4u);
  }
}

TEST(SimulatedModulator, RefusalFault_FailsAtOnceWithoutRetryOrLinkError) {
  SimRig rig;
  SimFaults faults;
  faults.refuse = true;
  faults.onlyCommand = 0x50;
  rig.device.SetFaults(faults);
  const QByteArray before = rig.device.ConfigRecord();
  EXPECT_FALSE(rig.Send(0x50, before));
  EXPECT_EQ(rig.device.Requests().size(), 1);
  EXPECT_FALSE(rig.link.LinkError);
  EXPECT_TRUE(rig.Send(0x10));  // other commands are unaffected
}

TEST(SimulatedModulator, SplitAndDelayedReplies_ArriveWhole) {
  SimRig rig(OptionsFor(131), Channel::Kind::Tcp);
  SimFaults faults;
  faults.splitReplies = true;
  faults.delay = 1000ms;
  rig.device.SetFaults(faults);
  const Millis start = rig.clock.Now();
  ASSERT_TRUE(rig.Send(0x70));
  EXPECT_EQ(rig.Reply(), rig.device.ConfigRecord());
  EXPECT_EQ(rig.clock.Now() - start, 1000ms);

  // Later than one wait: the first attempt's reply arrives during the second attempt's wait.
  faults.delay = 3000ms;
  rig.device.SetFaults(faults);
  const Millis second = rig.clock.Now();
  EXPECT_TRUE(rig.Send(0x10, {}, 500));
  EXPECT_EQ(rig.clock.Now() - second, 3000ms);
  // Later than both waits.
  faults.delay = 6000ms;
  rig.device.SetFaults(faults);
  EXPECT_FALSE(rig.Send(0x10, {}, 500));
  EXPECT_TRUE(rig.link.LinkError);
}

TEST(SimulatedModulator, DropAfterRequests_ClosesTheChannelOnce) {
  SimRig rig;
  SimFaults faults;
  faults.dropLinkAfterRequests = 2;
  rig.device.SetFaults(faults);
  EXPECT_TRUE(rig.Send(0x10));
  EXPECT_TRUE(rig.Send(0x40));
  EXPECT_FALSE(rig.Send(0x10));
  EXPECT_FALSE(rig.link.IsConnected());
  EXPECT_TRUE(rig.link.LinkError);
  rig.Reattach();
  EXPECT_TRUE(rig.Send(0x10));
  EXPECT_TRUE(rig.Send(0x10));
  EXPECT_TRUE(rig.Send(0x10));
}

TEST(SimulatedModulator, DropAfterFlashRequests_CountsOnlyFlashRequests) {
  SimRig rig;
  SimFaults faults;
  faults.dropLinkAfterFlashRequests = 1;
  rig.device.SetFaults(faults);
  EXPECT_TRUE(rig.Send(0x10));
  EXPECT_TRUE(rig.Send(0x40));
  rig.Send(0xB0, QByteArray(1, '\x01'));  // the first flash request is carried out
  EXPECT_TRUE(rig.link.IsConnected());
  EXPECT_FALSE(rig.Send(0xB0, QByteArray(1, '\x02')));
  EXPECT_FALSE(rig.link.IsConnected());
  rig.Reattach();
  EXPECT_TRUE(rig.Send(0x10));
}

// A test thread reads the request list while a transport appends to it: under ThreadSanitizer
// a copy sharing its buffers with the list is reported as a race.
TEST(SimulatedModulator, RequestsReadDuringTraffic_CopiesShareNothingWithTheList) {
  SimulatedModulator device(OptionsFor(131));
  std::thread transport([&device] {
    for (int i = 0; i < 200; ++i) device.HandleBytes(QByteArray::fromHex("021010"));
  });
  bool onlyIdentify = true;
  for (int i = 0; i < 200; ++i) {
    for (const SimRequest& request : device.Requests()) {
      onlyIdentify = onlyIdentify && request.command == 0x10 && request.payload.isEmpty();
    }
  }
  transport.join();
  EXPECT_TRUE(onlyIdentify);
  EXPECT_EQ(device.Requests().size(), 200);
}

}  // namespace
}  // namespace ostrivane::sim::testing
