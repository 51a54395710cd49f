#include <gtest/gtest.h>

#include "config/ConfigJson.h"

namespace ostrivane {
namespace {

DeviceConfig SampleConfig() {
  DeviceConfig config;
  config.Reference = QStringLiteral("Ré \"quoted\"\n\\ Ж");
  config.Modulators[3].SymbolRateKsps = -7;
  config.Services[2].AitOrganisationId = std::numeric_limits<std::int32_t>::min();
  config.Services[1].AitRootUrl = "http://x/";
  config.MacAddress = {1, 2, 3, 4, 5, 255};
  config.ScheduleCount = 2;
  config.Schedule[9].FileName = "last";
  config.Schedule[9].StartDate = std::numeric_limits<std::int32_t>::max();
  config.OverlayY = 1000;
  return config;
}

TEST(ConfigJson, RoundTrip_RestoresEveryField) {
  const DeviceConfig config = SampleConfig();
  DeviceConfig back;
  QString error;
  ASSERT_TRUE(ConfigFromJson(ConfigToJson(config), back, error)) << error.toStdString();
  EXPECT_EQ(back, config);
}

TEST(ConfigJson, Keys_FollowDeclarationOrder) {
  const QByteArray json = ConfigToJson(SampleConfig());
  const char* const ordered[] = {"\"MultiOpaqueText1\"", "\"Modulators\"", "\"Mode\"",
                                 "\"SymbolRateKsps\"",   "\"Reference\"",  "\"HdLcn\"",
                                 "\"Services\"",         "\"DestPort\"",   "\"LegacyOpaque1\"",
                                 "\"MacAddress\"",       "\"Ttl\"",        "\"Schedule\"",
                                 "\"FileName\"",         "\"IrCarrier\"",  "\"OverlayY\""};
  qsizetype last = -1;
  for (const char* key : ordered) {
    const qsizetype at = json.indexOf(key, last + 1);
    EXPECT_GT(at, last) << key;
    last = at;
  }
  EXPECT_TRUE(json.contains("\"MacAddress\": [1, 2, 3, 4, 5, 255]"));
  EXPECT_TRUE(json.startsWith("{\n    \"MultiOpaqueText1\": \"\",\n"));
  EXPECT_EQ(json.count("\"TsId\""), 4);
  EXPECT_EQ(json.count("\"WeekdayMask\""), 10);
}

TEST(ConfigJson, MissingKeys_StayZeroOrEmpty) {
  DeviceConfig config = SampleConfig();
  QString error;
  ASSERT_TRUE(
      ConfigFromJson(R"({"Ttl": 12, "Services": [{}, {"Lcn": 5}], "Other": true})", config, error));
  DeviceConfig expected;
  expected.Ttl = 12;
  expected.Services[1].Lcn = 5;
  EXPECT_EQ(config, expected);
}

TEST(ConfigJson, BadValues_FailNamingTheKeyAndChangeNothing) {
  const struct {
    const char* json;
    const char* key;
  } cases[] = {
      {R"({"Ttl": "64"})", "Ttl"},
      {R"({"Ttl": 1.5})", "Ttl"},
      {R"({"Ttl": 2147483648})", "Ttl"},
      {R"({"Ttl": -2147483649})", "Ttl"},
      {R"({"Reference": 3})", "Reference"},
      {R"({"MacAddress": [1, 2, 3, 4, 5, 6, 7]})", "MacAddress"},
      {R"({"MacAddress": [1, null]})", "MacAddress[1]"},
      {R"({"Modulators": {}})", "Modulators"},
      {R"({"Services": [{}, {"AitPid": true}]})", "Services[1].AitPid"},
      {R"({"Schedule": [1]})", "Schedule[0]"},
      {R"([1, 2])", "object"},
      {R"({"Ttl": )", "offset"},
  };
  for (const auto& c : cases) {
    DeviceConfig config = SampleConfig();
    QString error;
    EXPECT_FALSE(ConfigFromJson(c.json, config, error)) << c.json;
    EXPECT_TRUE(error.contains(QLatin1String(c.key))) << error.toStdString();
    EXPECT_EQ(config, SampleConfig());
  }
  DeviceConfig config;
  QString error;
  EXPECT_TRUE(ConfigFromJson(R"({"Ttl": -2147483648, "Dhcp": 2.0})", config, error));
  EXPECT_EQ(config.Ttl, std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(config.Dhcp, 2);
}

}  // namespace
}  // namespace ostrivane
