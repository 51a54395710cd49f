#include <gtest/gtest.h>

#include "discovery/DiscoveryTable.h"
#include "link/CXmit.h"
#include "link/Connection.h"
#include "link/FrameCodec.h"
#include "tests/link/LinkFakes.h"

using namespace ostrivane;
using namespace ostrivane::test;

namespace {

// The device side of the exchange: an accepted reply carrying these payload bytes.
QByteArray Answer(const QByteArray& payload, LinkStatus status = LinkStatus::Accepted) {
  EncodedFrame frame;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(payload.constData());
  EncodeReply(status, {bytes, static_cast<std::size_t>(payload.size())}, frame);
  return QByteArray(reinterpret_cast<const char*>(frame.bytes.data()), qsizetype(frame.length));
}

class Connecting : public ::testing::Test {
 protected:
  Connecting() {
    options.tcpPort = 7777;
    options.scanUsbPorts = false;
    options.extraSerialPaths = {"/dev/a", "/dev/b", "/dev/c"};
  }
  bool Connect() { return ConnectDevice(link, identity, table, options, opener); }

  FakeClock clock;
  RecordingStatus status;
  CXmit link{clock, status};
  DeviceIdentity identity;
  DiscoveryTable table;
  ConnectionOptions options;
  FakeOpener opener{clock};
};

}  // namespace

TEST_F(Connecting, IdentifyReplies_AcceptOnlyKnownTypesWithAMainVersion) {
  auto channel = std::make_unique<FakeChannel>(clock, Channel::Kind::Serial);
  channel->answers = {Answer(Hex("81070102")), Answer(Hex("82070102")),
                      Answer(Hex("83070102")), Answer(Hex("9f0905")),
                      Answer(Hex("8c04")),     Answer(Hex("8d")),
                      Answer(Hex("c0000102")), Answer(Hex("b0"), LinkStatus::Refused)};
  link.Attach(std::move(channel));

  EXPECT_FALSE(Identify(link, identity));  // 129
  EXPECT_FALSE(Identify(link, identity));  // 130
  EXPECT_EQ(identity.DeviceTypeCode, 0);
  EXPECT_TRUE(Identify(link, identity));  // 131
  EXPECT_EQ(identity.Version.secondary, 2);
  EXPECT_TRUE(Identify(link, identity));  // 159, three bytes: no secondary
  EXPECT_EQ(identity.DeviceTypeCode, 159);
  EXPECT_EQ(identity.Version.spare, 5);
  EXPECT_EQ(identity.Version.secondary, 0);
  EXPECT_TRUE(Identify(link, identity));  // two bytes
  EXPECT_EQ(identity.DeviceTypeCode, 140);
  EXPECT_EQ(identity.Version.main, 4);
  EXPECT_EQ(identity.Version.spare, 0);
  // One byte: the main version would be whatever the previous reply left behind.
  EXPECT_FALSE(Identify(link, identity));
  EXPECT_EQ(identity.DeviceTypeCode, 140);
  // Main version 0 fails, yet what the device said is kept.
  EXPECT_FALSE(Identify(link, identity));
  EXPECT_EQ(identity.DeviceTypeCode, 192);
  EXPECT_EQ(identity.Version.main, 0);
  EXPECT_EQ(identity.Version.secondary, 2);
  EXPECT_FALSE(Identify(link, identity));  // refused
  EXPECT_EQ(identity.DeviceTypeCode, 192);
}

TEST_F(Connecting, FirstAnnouncedDevice_IsTriedOverTcpBeforeTheSerialPorts) {
  table.Update("dev1", "127.0.0.1", 0);
  table.Update("dev2", "127.0.0.2", 0);
  opener.devices["tcp:127.0.0.1:7777"] = {{}, {}};  // reachable but silent
  opener.devices["serial:/dev/b"] = {Answer(Hex("81070102"))};
  opener.devices["serial:/dev/c"] = {Answer(Hex("90050003"))};
  EXPECT_TRUE(Connect());
  EXPECT_EQ(opener.attempts,
            (QStringList{"tcp:127.0.0.1:7777", "serial:/dev/a", "serial:/dev/b", "serial:/dev/c"}));
  EXPECT_TRUE(link.HasSerial());
  EXPECT_EQ(link.CurrentChannel()->Describe(), "serial:/dev/c");
  EXPECT_EQ(identity.DeviceTypeCode, 144);
  EXPECT_FALSE(link.LinkError);  // raised by the silent candidate, cleared at the end

  // A network device that identifies is kept and no serial port is touched.
  opener.attempts.clear();
  opener.devices["tcp:127.0.0.1:7777"] = {Answer(Hex("c00f0001"))};
  EXPECT_TRUE(Connect());
  EXPECT_EQ(opener.attempts, QStringList{"tcp:127.0.0.1:7777"});
  EXPECT_TRUE(link.HasSocket());
  EXPECT_FALSE(link.HasSerial());
}

TEST_F(Connecting, NoCandidateIdentifies_LeavesNothingOpenAndLinkErrorClear) {
  // Whatever was open before is closed, even though nothing replaces it.
  link.Attach(std::make_unique<FakeChannel>(clock, Channel::Kind::Tcp));
  opener.devices["serial:/dev/a"] = {{}, {}};
  EXPECT_FALSE(Connect());
  EXPECT_EQ(opener.attempts, (QStringList{"serial:/dev/a", "serial:/dev/b", "serial:/dev/c"}));
  EXPECT_FALSE(link.IsConnected());
  EXPECT_FALSE(link.LinkError);

  // An unreachable first entry does not lead to the second one.
  table.Update("dev1", "127.0.0.1", 0);
  table.Update("dev2", "127.0.0.2", 0);
  opener.devices["tcp:127.0.0.2:7777"] = {Answer(Hex("c00f0001"))};
  opener.attempts.clear();
  EXPECT_FALSE(Connect());
  EXPECT_EQ(opener.attempts.first(), "tcp:127.0.0.1:7777");
  EXPECT_FALSE(opener.attempts.contains("tcp:127.0.0.2:7777"));
}

TEST_F(Connecting, ChosenTarget_TriesOnlyThatAnnouncedDeviceThenTheSerialPorts) {
  table.Update("dev1", "127.0.0.2", 0);
  table.Update("dev2", "127.0.0.3", 0);
  opener.devices["tcp:127.0.0.2:7777"] = {Answer(Hex("c00f0001"))};
  opener.devices["tcp:127.0.0.3:7777"] = {Answer(Hex("83070102"))};
  EXPECT_TRUE(ConnectDevice(link, identity, table, options, NetworkTarget::Named("dev2"), opener));
  EXPECT_EQ(opener.attempts, QStringList{"tcp:127.0.0.3:7777"});
  EXPECT_EQ(identity.DeviceTypeCode, 131);
  EXPECT_EQ(identity.Name, QStringLiteral("dev2"));  // its backups are named after it

  // Several devices and no choice yet: no network device, but a cable still counts.
  opener.attempts.clear();
  opener.devices["serial:/dev/b"] = {Answer(Hex("90050003"))};
  EXPECT_TRUE(ConnectDevice(link, identity, table, options, NetworkTarget::Nobody(), opener));
  EXPECT_EQ(opener.attempts, (QStringList{"serial:/dev/a", "serial:/dev/b"}));
  EXPECT_TRUE(link.HasSerial());
  EXPECT_EQ(identity.Name, QString());  // a cable goes by its port

  // The chosen device is not announced (any more): the first entry is not taken instead.
  opener.attempts.clear();
  opener.devices["serial:/dev/b"] = {};
  EXPECT_FALSE(ConnectDevice(link, identity, table, options, NetworkTarget::Named("gone"), opener));
  EXPECT_FALSE(opener.attempts.contains("tcp:127.0.0.2:7777"));
  EXPECT_FALSE(link.IsConnected());
  EXPECT_FALSE(link.LinkError);
}

TEST_F(Connecting, IdentifyAt_UsesItsOwnConnectionAndLeavesTheLinkAlone) {
  auto open = std::make_unique<FakeChannel>(clock, Channel::Kind::Serial);
  const Channel* kept = open.get();
  link.Attach(std::move(open));
  opener.devices["tcp:127.0.0.3:7777"] = {Answer(Hex("c00f0001"))};
  DeviceIdentity probed;
  EXPECT_TRUE(IdentifyAt("127.0.0.3", options, clock, probed, opener));
  EXPECT_EQ(probed.DeviceTypeCode, 192);
  EXPECT_EQ(probed.Version.main, 15);
  EXPECT_EQ(link.CurrentChannel(), kept);
  EXPECT_EQ(identity.DeviceTypeCode, 0);  // the link's identity is not the probe's

  // Unreachable, and reachable but silent: both fail without touching the link's error flag.
  EXPECT_FALSE(IdentifyAt("127.0.0.4", options, clock, probed, opener));
  opener.devices["tcp:127.0.0.5:7777"] = {{}, {}};
  EXPECT_FALSE(IdentifyAt("127.0.0.5", options, clock, probed, opener));
  EXPECT_FALSE(link.LinkError);
  EXPECT_TRUE(status.flashes.empty());  // the lamps belong to the link
}

TEST(SerialPortList, ExtraPaths_AreListedOnceInTheirOrder) {
  ConnectionOptions options;
  options.scanUsbPorts = false;
  options.extraSerialPaths = {"/dev/pts/7", "/dev/pts/3", "/dev/pts/7"};
  EXPECT_EQ(ListSerialPorts(options), (QStringList{"/dev/pts/7", "/dev/pts/3"}));
}
