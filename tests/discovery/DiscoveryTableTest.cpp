#include <gtest/gtest.h>

#include "discovery/DiscoveryTable.h"

namespace ostrivane {
namespace {

QStringList Identifiers(const DiscoveryTable& table) {
  QStringList identifiers;
  for (const DiscoveredDevice& device : table.Copy()) identifiers << device.identifier;
  return identifiers;
}

TEST(DiscoveryTable, RepeatedAndMovedAnnouncements_KeepFirstHeardOrder) {
  DiscoveryTable table;
  table.Update("A1", "192.168.1.20", 1000);
  table.Update("B2", "192.168.1.30", 1500);
  table.Update("A1", "192.168.1.20", 4000);
  auto entries = table.Copy();
  ASSERT_EQ(entries.size(), 2);
  EXPECT_EQ(entries[0].identifier, QStringLiteral("A1"));
  EXPECT_EQ(entries[0].expiry, 14000u);
  EXPECT_EQ(entries[1].expiry, 11500u);

  table.Update("A1", "192.168.1.21", 5000);
  entries = table.Copy();
  ASSERT_EQ(entries.size(), 2);
  EXPECT_EQ(entries[0].identifier, QStringLiteral("A1"));
  EXPECT_EQ(entries[0].address, QStringLiteral("192.168.1.21"));
  EXPECT_EQ(entries[0].expiry, 15000u);

  table.Update("a1", "192.168.1.22", 5000);  // identifiers differ by case: another device
  EXPECT_EQ(Identifiers(table), QStringList({"A1", "B2", "a1"}));
  table.Clear();
  EXPECT_TRUE(table.Copy().isEmpty());
}

TEST(DiscoveryTable, FullTable_IgnoresNewcomerAndStillRefreshesKnownDevices) {
  DiscoveryTable table;
  for (int i = 0; i < DiscoveryTable::kCapacity; ++i)
    table.Update(QStringLiteral("D%1").arg(i), "10.0.0.1", 100);
  table.Update("NEW", "10.0.0.2", 200);
  table.Update("D49", "10.0.0.3", 9000);
  const auto entries = table.Copy();
  ASSERT_EQ(entries.size(), DiscoveryTable::kCapacity);
  EXPECT_FALSE(Identifiers(table).contains("NEW"));
  EXPECT_EQ(entries.last().address, QStringLiteral("10.0.0.3"));
  EXPECT_EQ(entries.last().expiry, 19000u);

  // Once room is made the newcomer gets in at the end.
  table.Age(10101);
  table.Update("NEW", "10.0.0.2", 10101);
  EXPECT_EQ(Identifiers(table), QStringList({"D49", "NEW"}));
}

TEST(DiscoveryTable, UnboundedByAddress_KeepsEveryDeviceAndBothSharingAnIdentifier) {
  DiscoveryTable bounded;
  DiscoveryTable rack(DiscoveryBounds{0, true});
  for (int i = 0; i < DiscoveryTable::kCapacity + 10; ++i) {
    bounded.Update(QStringLiteral("D%1").arg(i), "10.0.0.1", 100);
    rack.Update(QStringLiteral("D%1").arg(i), QStringLiteral("10.0.1.%1").arg(i), 100);
  }
  EXPECT_EQ(bounded.LeftOut(), 10);
  EXPECT_EQ(rack.LeftOut(), 0);
  rack.Update("D0", "10.0.2.1", 200);  // the same identifier from another address
  rack.Update("D0", "10.0.1.0", 300);
  const auto entries = rack.Copy();
  ASSERT_EQ(entries.size(), DiscoveryTable::kCapacity + 11);
  EXPECT_EQ(entries.first().address, QStringLiteral("10.0.1.0"));
  EXPECT_EQ(entries.first().heard, 2);
  EXPECT_EQ(entries.last().address, QStringLiteral("10.0.2.1"));
  bounded.Clear();
  EXPECT_EQ(bounded.LeftOut(), 0);
}

TEST(DiscoveryTable, Aging_RemovesExactlyExpiredEntriesAndShiftsLaterOnes) {
  DiscoveryTable table;
  table.Update("A", "10.0.0.1", 0);     // expiry 10000
  table.Update("B", "10.0.0.2", 5000);  // 15000
  table.Update("C", "10.0.0.3", 0);     // 10000
  table.Update("D", "10.0.0.4", 0);     // 10000
  table.Update("E", "10.0.0.5", 6000);  // 16000
  table.Age(10000);                     // at the expiry itself an entry stays
  EXPECT_EQ(table.Copy().size(), 5);
  table.Age(10001);  // removes entry 0 and the adjacent pair 2 and 3
  const auto entries = table.Copy();
  EXPECT_EQ(Identifiers(table), QStringList({"B", "E"}));
  EXPECT_EQ(entries[0].address, QStringLiteral("10.0.0.2"));
  EXPECT_EQ(entries[0].expiry, 15000u);
}

TEST(DiscoveryTable, CounterWrapAndLongSilence_KeepLiveEntriesAndDropStaleOnes) {
  DiscoveryTable table;
  const std::uint32_t nearWrap = 0xFFFFFF00u;
  table.Update("W", "10.0.0.1", nearWrap);  // expiry wraps to 9744
  ASSERT_EQ(table.Copy()[0].expiry, 9744u);
  table.Age(0xFFFFFFF0u);
  table.Age(0x100u);
  table.Age(9744u);
  EXPECT_EQ(table.Copy().size(), 1);
  table.Age(9745u);
  EXPECT_TRUE(table.Copy().isEmpty());

  // Expiry set before a wrap, checked after it: far "ahead" of the small tick, so gone.
  table.Update("X", "10.0.0.2", 0xFFFF0000u);
  table.Age(0x00000010u);
  EXPECT_TRUE(table.Copy().isEmpty());
  // An expiry exactly one hour ahead is still plausible; beyond is not.
  EXPECT_FALSE(DiscoveryTable::IsExpired(5000 + 3600000, 5000));
  EXPECT_TRUE(DiscoveryTable::IsExpired(5000 + 3600001, 5000));

  // More than an hour past its expiry (listener held up, machine suspended): still gone, rather
  // than lingering until the counter wraps weeks later.
  table.Update("S", "10.0.0.3", 1000);
  table.Age(1000 + 10000 + 3600000 + 5000);
  EXPECT_TRUE(table.Copy().isEmpty());
}

}  // namespace
}  // namespace ostrivane
