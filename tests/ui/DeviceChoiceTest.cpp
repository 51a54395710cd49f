#include <gtest/gtest.h>

#include "ui/device/DeviceChoice.h"

using namespace ostrivane;

namespace {

QVector<DiscoveredDevice> Announced(const QStringList& identifiers) {
  QVector<DiscoveredDevice> devices;
  int host = 2;
  for (const QString& id : identifiers) {
    devices.append({id, QStringLiteral("127.0.0.%1").arg(host++), 0});
  }
  return devices;
}

bool IsNobody(const NetworkTarget& target) {
  return target.kind == NetworkTarget::Kind::None;
}
bool Names(const NetworkTarget& target, const QString& id) {
  return target.kind == NetworkTarget::Kind::Identifier && target.identifier == id;
}

}  // namespace

TEST(DeviceChoice, SingleDevice_IsTakenOnlyAfterOneAnnouncementPeriod) {
  DeviceChoice choice;
  EXPECT_TRUE(IsNobody(choice.Target(false)));  // nothing heard and not listened long enough
  EXPECT_TRUE(IsNobody(choice.Target(true)));   // nothing announced: serial ports, as always
  choice.Observe(Announced({"A"}));
  EXPECT_TRUE(IsNobody(choice.Target(false)));
  EXPECT_TRUE(Names(choice.Target(true), "A"));
  EXPECT_FALSE(choice.AwaitsPick());
  EXPECT_FALSE(choice.Rack());
  // The same device heard again (or gone for a while) is still a single device.
  choice.Observe({});
  choice.Observe(Announced({"A"}));
  EXPECT_TRUE(Names(choice.Target(true), "A"));
}

TEST(DeviceChoice, SecondDeviceHeard_WaitsForAPickEvenWhenTheListShrinks) {
  DeviceChoice choice;
  choice.Observe(Announced({"A"}));
  choice.Observe(Announced({"A", "B"}));
  EXPECT_TRUE(choice.AwaitsPick());
  EXPECT_TRUE(IsNobody(choice.Target(true)));
  choice.Observe(Announced({"B"}));
  EXPECT_TRUE(IsNobody(choice.Target(true)));

  choice.Pick("B");
  EXPECT_FALSE(choice.AwaitsPick());
  EXPECT_TRUE(Names(choice.Target(false), "B"));
  EXPECT_EQ(choice.Remembered(), "B");
  // Lost and gone from the table: the same one is looked for, never the other.
  choice.Observe(Announced({"A"}));
  EXPECT_TRUE(Names(choice.Target(true), "B"));
}

TEST(DeviceChoice, RememberedDevice_IsChosenWhenAnnouncedUntilChangeDevice) {
  DeviceChoice choice("B");
  choice.Observe(Announced({"A"}));
  EXPECT_TRUE(IsNobody(choice.Target(false)));  // not announced yet: no wait is cut short
  choice.Observe(Announced({"A", "B"}));
  EXPECT_TRUE(Names(choice.Target(false), "B"));
  EXPECT_FALSE(choice.AwaitsPick());

  // "Change device" leaves it: neither it nor a lone device is taken without a pick.
  choice.Reopen();
  choice.Observe(Announced({"B"}));
  EXPECT_TRUE(choice.AwaitsPick());
  EXPECT_TRUE(IsNobody(choice.Target(true)));
  choice.Pick("A");
  EXPECT_TRUE(Names(choice.Target(true), "A"));
}
