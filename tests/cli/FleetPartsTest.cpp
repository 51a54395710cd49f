// The fleet's parts that need no device: inventory files, the job pool, the rack's clash check,
// templates with per-device values and the status scrape formats.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <atomic>
#include <chrono>
#include <thread>

#include "cli/Cli.h"
#include "cli/fleet/ConfigTemplate.h"
#include "cli/fleet/Inventory.h"
#include "cli/fleet/JobPool.h"
#include "cli/fleet/RackCheck.h"
#include "cli/fleet/StatusFormats.h"

namespace ostrivane::cli {
namespace {

QJsonObject Json(const char* text) {
  return QJsonDocument::fromJson(QByteArray(text)).object();
}

TEST(Inventory, CommentsBlankLinesAndEverySchemeAreRead) {
  const Inventory inventory = ParseInventory(
      "# rack A\n\nhall-1  tcp:127.0.0.2:6000  # top\n"
      "hall_2\ttcp:127.0.0.3\nbench.3 serial:/dev/ttyACM0\n  roof id:1A2B3C4D\r\n");
  ASSERT_TRUE(inventory.error.isEmpty()) << inventory.error.toStdString();
  ASSERT_EQ(inventory.entries.size(), 4);
  const InventoryEntry& first = inventory.entries.at(0);
  EXPECT_EQ(first.name, "hall-1");
  EXPECT_EQ(first.host, "127.0.0.2");
  EXPECT_EQ(first.port, 6000);
  EXPECT_EQ(first.line, 3);
  EXPECT_EQ(inventory.entries.at(1).port, 0);
  EXPECT_EQ(inventory.entries.at(2).path, "/dev/ttyACM0");
  EXPECT_EQ(inventory.entries.at(3).scheme, InventoryEntry::Scheme::Id);
  EXPECT_EQ(inventory.entries.at(3).identifier, "1A2B3C4D");
  EXPECT_EQ(inventory.IndexOf("roof"), 3);
}

TEST(Inventory, MalformedFile_ErrorNamesTheLineAndNothingIsListed) {
  const struct {
    const char* text;
    const char* error;
  } cases[] = {
      {"a tcp:127.0.0.1\nlonely\n", "line 2: expected"},
      {"a tcp:127.0.0.1\n\nb serial:/dev/x\na tcp:127.0.0.2\n",
       "line 4: the name \"a\" is listed twice"},
      {"a udp:127.0.0.1\n", "line 1: unknown target \"udp:127.0.0.1\""},
      {"a 127.0.0.1\n", "line 1: unknown target"},
      {"a tcp:127.0.0.1:70000\n", "line 1: the port"},
      {"a tcp:\n", "line 1: tcp: needs a host"},
      {"a id:\n", "line 1: id: needs a value"},
      {"ä tcp:127.0.0.1\n", "line 1: the name"},
      {"a tcp:127.0.0.1 extra\n", "line 1: expected"},
  };
  for (const auto& c : cases) {
    const Inventory inventory = ParseInventory(c.text);
    EXPECT_TRUE(inventory.error.startsWith(QString::fromUtf8(c.error)))
        << c.text << " -> " << inventory.error.toStdString();
    EXPECT_TRUE(inventory.entries.isEmpty());
  }
}

TEST(JobPool, ResultsAreReportedInIndexOrderWhateverTheFinishingOrder) {
  std::atomic<int> running{0};
  std::atomic<int> most{0};
  QStringList reported;
  const auto outcomes = RunJobsInOrder(
      8, {3, false},
      [&](int i) {
        most = std::max(most.load(), ++running);
        // Later jobs finish first.
        std::this_thread::sleep_for(std::chrono::milliseconds(5 * (8 - i)));
        --running;
        return JobOutcome{i == 5 ? kExitFailed : kExitOk, QString::number(i), {}};
      },
      [&](int i, const JobOutcome& outcome) {
        EXPECT_TRUE(outcome.started);
        reported << QString::number(i) + u'=' + outcome.out;
      });
  EXPECT_EQ(reported.join(u' '), "0=0 1=1 2=2 3=3 4=4 5=5 6=6 7=7");
  EXPECT_LE(most.load(), 3);
  EXPECT_EQ(outcomes.size(), 8u);
}

TEST(JobPool, StopOnFailure_StartsNoFurtherJobButReportsEveryIndex) {
  std::atomic<int> ran{0};
  int reports = 0;
  const auto outcomes = RunJobsInOrder(
      6, {1, true},
      [&](int i) {
        ++ran;
        return JobOutcome{i == 2 ? kExitFailed : kExitOk, {}, {}};
      },
      [&](int, const JobOutcome&) { ++reports; });
  EXPECT_EQ(ran.load(), 3);
  EXPECT_EQ(reports, 6);
  EXPECT_TRUE(outcomes[2].started);
  EXPECT_FALSE(outcomes[3].started);
  EXPECT_FALSE(outcomes[5].started);
}

TEST(JobPool, WorstExit_FailedBeatsUnreachableBeatsOthers) {
  const struct {
    std::vector<int> codes;
    int worst;
  } cases[] = {{{}, 0},     {{0, 0}, 0},    {{0, 1, 0}, 1}, {{1, 3, 0}, 3},
               {{5, 1}, 1}, {{0, 5, 4}, 5}, {{3, 5}, 3}};
  for (const auto& c : cases) EXPECT_EQ(WorstExit(c.codes), c.worst);
  EXPECT_EQ(PrefixLines("A", "one\ntwo"), "A: one\nA: two\n");
  EXPECT_EQ(PrefixLines("A", ""), "");
}

// A device of the rack: one output and one service unless more are given.
RackDevice Device(const QString& name, const char* json, int modulators = 1, int services = 1) {
  return {name, Json(json), modulators, services};
}

TEST(RackCheck, EachKindOfClashIsFoundOnceWithBothSidesNamed) {
  const QList<RackDevice> rack = {
      Device("A", R"({"OriginalNetworkId": 1, "NetworkId": 1, "IpAddress": "10.0.0.1", "Dhcp": 0,
        "Modulators": [{"Mode": 1, "FrequencyKhz": 474000, "Bandwidth": 2, "TsId": 1},
                       {"Mode": 1, "FrequencyKhz": 490000, "Bandwidth": 2, "TsId": 9}],
        "Services": [{"ServiceId": 100, "Lcn": 1, "DestAddress": "239.0.0.1", "DestPort": 1234}]})",
             1),
      Device("B", R"({"OriginalNetworkId": 1, "NetworkId": 2, "IpAddress": "10.0.0.1", "Dhcp": 0,
        "Modulators": [{"Mode": 1, "FrequencyKhz": 481000, "Bandwidth": 2, "TsId": 2},
                       {"Mode": 2, "FrequencyKhz": 481000, "Bandwidth": 2, "TsId": 2}],
        "Services": [{"ServiceId": 100, "Lcn": 1, "DestAddress": "239.0.0.1", "DestPort": 1234},
                     {"ServiceId": 101, "Lcn": 1, "DestAddress": "239.0.0.2", "DestPort": 1234}]})",
             2, 2),
  };
  QStringList lines;
  for (const Clash& clash : FindClashes(rack)) lines << clash.Line();
  EXPECT_EQ(lines,
            QStringList({
                "A Modulators[0].Mode=1, Modulators[0].FrequencyKhz=474000, "
                "Modulators[0].Bandwidth=2 and B Modulators[0].Mode=1, "
                "Modulators[0].FrequencyKhz=481000, Modulators[0].Bandwidth=2: channels overlap",
                "B OriginalNetworkId=1, Modulators[0].TsId=2 and B OriginalNetworkId=1, "
                "Modulators[1].TsId=2: same original network id and transport stream id",
                "A OriginalNetworkId=1, Services[0].ServiceId=100 and B OriginalNetworkId=1, "
                "Services[0].ServiceId=100: same service id in one network",
                "B NetworkId=2, Services[0].Lcn=1 and B NetworkId=2, Services[1].Lcn=1: same LCN "
                "in one network",
                "A Services[0].DestAddress=239.0.0.1, Services[0].DestPort=1234 and B "
                "Services[0].DestAddress=239.0.0.1, Services[0].DestPort=1234: same destination "
                "address and port",
                "A IpAddress=10.0.0.1 and B IpAddress=10.0.0.1: same IP address",
            }))
      << lines.join(u'\n').toStdString();
  const QJsonObject json = FindClashes(rack).first().Json();
  EXPECT_EQ(json.value("Second").toObject().value("Device").toString(), "B");
}

TEST(RackCheck, NeighboursUnusedSlotsAndUnsetValues_AreNoClash) {
  const QList<RackDevice> rack = {
      Device("A", R"({"OriginalNetworkId": 1, "NetworkId": 1, "IpAddress": "10.0.0.1", "Dhcp": 1,
        "Modulators": [{"Mode": 1, "FrequencyKhz": 474000, "Bandwidth": 2, "TsId": 1},
                       {"Mode": 1, "FrequencyKhz": 474000, "Bandwidth": 2, "TsId": 1}],
        "Services": [{"ServiceId": 0, "Lcn": 0, "DestAddress": "0.0.0.0", "DestPort": 0},
                     {"ServiceId": 0, "Lcn": 0, "DestAddress": "0.0.0.0", "DestPort": 0}]})",
             1, 2),
      Device("B", R"({"OriginalNetworkId": 2, "NetworkId": 2, "IpAddress": "10.0.0.1", "Dhcp": 0,
        "Modulators": [{"Mode": 1, "FrequencyKhz": 482000, "Bandwidth": 2, "TsId": 1},
                       {"Mode": 3, "FrequencyKhz": 474000, "Bandwidth": 2, "TsId": 3},
                       {"Mode": 0, "FrequencyKhz": 482000, "Bandwidth": 2, "TsId": 4}],
        "Services": [{"ServiceId": 0, "Lcn": 0, "DestAddress": "", "DestPort": 0}]})",
             3),
  };
  for (const Clash& clash : FindClashes(rack)) ADD_FAILURE() << clash.Line().toStdString();
}

TEST(RackCheck, SatelliteOutputsOnOneFrequency_Clash) {
  const QList<RackDevice> rack = {
      Device("A", R"({"Modulators": [{"Mode": 3, "FrequencyKhz": 1200000, "Bandwidth": 0}]})"),
      Device("B", R"({"Modulators": [{"Mode": 3, "FrequencyKhz": 1200000, "Bandwidth": 2}]})"),
      Device("C", R"({"Modulators": [{"Mode": 3, "FrequencyKhz": 1201000, "Bandwidth": 2}]})")};
  const QList<Clash> clashes = FindClashes(rack);
  ASSERT_EQ(clashes.size(), 1);
  EXPECT_EQ(clashes.first().second.device, "B");
}

const char* kBase = R"({"Reference": "old", "MacAddress": [1, 2, 3, 4, 5, 6],
  "Services": [{"Lcn": 1, "ServiceName": "a"}, {"Lcn": 2, "ServiceName": "b"}]})";

TEST(ConfigTemplate, TemplateAndRowChangeOnlyTheirFields) {
  QJsonObject config = Json(kBase);
  EXPECT_EQ(ApplyTemplate(config, Json(R"({"Services": [{}, {"ServiceName": "news"}]})")), "");
  EXPECT_EQ(SetFieldPath(config, "Services[0].Lcn", " 21"), "");
  EXPECT_EQ(SetFieldPath(config, "Reference", "hall 2, left"), "");
  EXPECT_EQ(SetFieldPath(config, "MacAddress[2]", "9"), "");
  EXPECT_EQ(config, Json(R"({"Reference": "hall 2, left", "MacAddress": [1, 2, 9, 4, 5, 6],
      "Services": [{"Lcn": 21, "ServiceName": "a"}, {"Lcn": 2, "ServiceName": "news"}]})"));
}

TEST(ConfigTemplate, UnknownOrMistypedFields_AreRefusedWithTheirPath) {
  const struct {
    const char* overlay;
    const char* path;
    const char* value;
    const char* error;
  } cases[] = {
      {R"({"Lnc": 3})", nullptr, nullptr, "Lnc: no such field"},
      {R"({"Services": [{}, {}, {"Lcn": 3}]})", nullptr, nullptr, "Services[2]: no such field"},
      {R"({"Services": [{"Nope": 1}]})", nullptr, nullptr, "Services[0].Nope: no such field"},
      {R"({"Services": 4})", nullptr, nullptr, "Services: expected an array"},
      {R"({"Reference": {"a": 1}})", nullptr, nullptr, "Reference: expected a single value"},
      {"{}", "Services[0].Lcn", "twelve", "Services[0].Lcn: \"twelve\" is not a whole number"},
      {"{}", "Services[7].Lcn", "1", "Services[7].Lcn: no such field"},
      {"{}", "Services", "1", "Services: no such field"},
      {"{}", "Services[0]..Lcn", "1", "Services[0]..Lcn: not a field path"},
  };
  for (const auto& c : cases) {
    QJsonObject config = Json(kBase);
    const QString error =
        c.path ? SetFieldPath(config, c.path, c.value) : ApplyTemplate(config, Json(c.overlay));
    EXPECT_EQ(error, c.error);
  }
}

TEST(ConfigTemplate, ValuesCsvWithQuotesAndCrLf_IsReadRowByRow) {
  const ValuesTable table = ParseValuesCsv(
      "\xEF\xBB\xBFNAME,Services[0].Lcn,Reference\r\nhall-1,21,\"left, \"\"top\"\"\"\r\n\r\n"
      "hall-2,22,\"two\nlines\"\n");
  ASSERT_TRUE(table.error.isEmpty()) << table.error.toStdString();
  EXPECT_EQ(table.paths, QStringList({"Services[0].Lcn", "Reference"}));
  ASSERT_EQ(table.rows.size(), 2);
  EXPECT_EQ(*table.Row("hall-1"), QStringList({"21", "left, \"top\""}));
  EXPECT_EQ(*table.Row("hall-2"), QStringList({"22", "two\nlines"}));
  EXPECT_EQ(table.Row("hall-3"), nullptr);
  const struct {
    const char* text;
    const char* error;
  } bad[] = {{"Name,Lcn\n", "line 1: the header must start with NAME"},
             {"NAME,Lcn\na,1\nb\n", "line 3: 1 fields where the header has 2"},
             {"NAME,Lcn\na,1\na,2\n", "line 3: the name \"a\" has a second row"},
             {"NAME,Lcn\na,\"1\n", "line 2: a quoted field is not closed properly"},
             {"NAME,Lcn\na,\"1\"x\n", "line 2: a quoted field is not closed properly"}};
  for (const auto& c : bad) EXPECT_EQ(ParseValuesCsv(c.text).error, c.error) << c.text;
}

TEST(StatusFormats, PrometheusScrape_EachFamilyOnceDownDevicesOnlyInUp) {
  const QList<DeviceScrape> scrape = {
      {"hall-1", true, Json(R"({"ModelName": "H131", "DeviceTypeCode": 131, "Version": "20.10"})"),
       Json(R"({"Inputs": [{"InputPresent": 1}, {"InputPresent": 0}], "UsbPresent": 0,
          "Bitrates": [{"BitrateCurrentKbps": 1500, "BitrateCapacity": 2000000}]})")},
      {"odd\"name", false, {}, {}}};
  EXPECT_EQ(FormatPrometheus(scrape).toStdString(),
            "# HELP ostrivane_up Whether the device answered (1) or not (0).\n"
            "# TYPE ostrivane_up gauge\n"
            "ostrivane_up{device=\"hall-1\"} 1\n"
            "ostrivane_up{device=\"odd\\\"name\"} 0\n"
            "# HELP ostrivane_device_info Model and firmware of the device, always 1.\n"
            "# TYPE ostrivane_device_info gauge\n"
            "ostrivane_device_info{device=\"hall-1\",model=\"H131\",type_code=\"131\","
            "firmware=\"20.10\"} 1\n"
            "# HELP ostrivane_input_locked Whether the service's HDMI input carries a signal.\n"
            "# TYPE ostrivane_input_locked gauge\n"
            "ostrivane_input_locked{device=\"hall-1\",service=\"1\"} 1\n"
            "ostrivane_input_locked{device=\"hall-1\",service=\"2\"} 0\n"
            "# HELP ostrivane_usb_present Whether a USB medium is plugged into the device.\n"
            "# TYPE ostrivane_usb_present gauge\n"
            "ostrivane_usb_present{device=\"hall-1\"} 0\n"
            "# HELP ostrivane_output_bitrate_bytes_per_second Bitrate the output carries now, "
            "where the model reports it.\n"
            "# TYPE ostrivane_output_bitrate_bytes_per_second gauge\n"
            "ostrivane_output_bitrate_bytes_per_second{device=\"hall-1\",output=\"1\"} 187500\n"
            "# HELP ostrivane_output_capacity_bytes_per_second Bitrate the output can carry, where "
            "the model reports it.\n"
            "# TYPE ostrivane_output_capacity_bytes_per_second gauge\n"
            "ostrivane_output_capacity_bytes_per_second{device=\"hall-1\",output=\"1\"} 250000\n");
  const QJsonArray devices = ScrapeJson(scrape).value("Devices").toArray();
  ASSERT_EQ(devices.size(), 2);
  EXPECT_FALSE(devices.at(1).toObject().value("Up").toBool());
  EXPECT_FALSE(devices.at(1).toObject().contains("Status"));
}

}  // namespace
}  // namespace ostrivane::cli
