// The headend: an inventory of sixteen simulated modulators of four models on 127.0.2.x (plus one
// listed device that is not there), one of them losing its link mid-flash, and clashes planted
// between their configurations.
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include "CliTestSupport.h"
#include "RackSupport.h"
#include "config/ConfigCodec.h"
#include "config/RecordShape.h"

using namespace ostrivane;
using namespace ostrivane::sim;
using namespace ostrivane::clitest;

namespace {

constexpr int kDevices = 16;
constexpr std::uint8_t kModels[] = {131, 176, 192, 132};
constexpr int kMidFlash = 4;  // a 131 that drops its link in the middle of the main image

struct FleetDevice {
  FleetDevice(std::uint8_t type, const QString& address, quint16 port, const QString& id,
              quint16 discoveryPort)
      : device([type] {
          SimOptions options;
          options.typeCode = type;
          options.restartDuration = std::chrono::milliseconds(200);
          return options;
        }()),
        server(device, port, address),
        announcer(AnnouncerOptions{id, address, discoveryPort, std::chrono::milliseconds(100)}) {}
  SimulatedModulator device;
  TcpServer server;
  Announcer announcer;
};

LayoutContext ContextOf(const SimulatedModulator& device) {
  return {device.TypeCode(), device.Versions().main, RecordShape::ForType(device.TypeCode())};
}

DeviceConfig ConfigOf(const SimulatedModulator& device) {
  DeviceConfig config;
  PanelState panel;
  DecodeConfigImage(device.ConfigRecord(), ContextOf(device), config, panel);
  return config;
}

void Store(SimulatedModulator& device, DeviceConfig config) {
  PanelState panel;
  panel.UsbFileNameText = config.UsbFileName;
  panel.LogoFieldText = config.LogoName;
  QByteArray record;
  ASSERT_TRUE(EncodeConfigImage(config, panel, ContextOf(device), record));
  device.SetConfigRecord(record);
}

// Distinct values everywhere, then the planted clashes: n02 and n06 (both 192) on neighbouring
// channels, n08 and n12 (131) with one LCN in one network, n14 with n10's IP address (192).
DeviceConfig RackConfig(const SimulatedModulator& device, int i) {
  DeviceConfig c = ConfigOf(device);
  c.OriginalNetworkId = c.NetworkId = 8442;
  for (int m = 0; m < kModulatorSlots; ++m) {
    c.Modulators[m].FrequencyKhz = 50000 + (i * kModulatorSlots + m) * 12000;
    c.Modulators[m].TsId = 100 + i * kModulatorSlots + m;
  }
  for (int s = 0; s < kServiceSlots; ++s) {
    c.Services[s].ServiceId = 1000 + i * kServiceSlots + s;
    c.Services[s].Lcn = 100 + i * kServiceSlots + s;
    c.Services[s].DestAddress = QStringLiteral("239.1.%1.%2").arg(i).arg(s + 1);
  }
  c.IpAddress = QStringLiteral("10.8.0.%1").arg(i + 10);
  c.Dhcp = 0;
  if (i == 6) c.Modulators[0].FrequencyKhz = 50000 + 2 * kModulatorSlots * 12000 + 4000;
  if (i == 12) c.Services[0].Lcn = 100 + 8 * kServiceSlots;
  if (i == 14) c.IpAddress = QStringLiteral("10.8.0.20");
  return c;
}

class FleetTest : public CliTest {
 protected:
  static void SetUpTestSuite() {
    s_devices = new std::vector<std::unique_ptr<FleetDevice>>;
    for (int i = 0; i < kDevices; ++i) {
      s_devices->push_back(std::make_unique<FleetDevice>(
          kModels[i % 4], QStringLiteral("127.0.2.%1").arg(i + 1), s_port,
          QStringLiteral("FLEET%1").arg(i, 2, 10, QLatin1Char('0')), RackDiscoveryPort(1)));
      FleetDevice& d = *s_devices->back();
      if (!d.server.Start() || !d.announcer.Start()) s_ok = false;
      if (i == 0) s_port = d.server.Port();
    }
    for (int i = 0; i < kDevices; ++i) s_configs.push_back(RackConfig(At(i), i));
  }
  static void TearDownTestSuite() {
    delete s_devices;
    s_devices = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(s_ok);
    for (int i = 0; i < kDevices; ++i) {
      At(i).SetFaults({});
      Store(At(i), s_configs.at(static_cast<std::size_t>(i)));
      At(i).ClearRequests();
    }
  }
  static SimulatedModulator& At(int i) {
    return s_devices->at(static_cast<std::size_t>(i))->device;
  }
  static QString Name(int i) { return QStringLiteral("n%1").arg(i, 2, 10, QLatin1Char('0')); }

  // An inventory of the given devices (all when empty), "gone" listed after them when asked.
  QString Inventory(QList<int> devices = {}, bool gone = false) {
    if (devices.isEmpty())
      for (int i = 0; i < kDevices; ++i) devices << i;
    QString text = QStringLiteral("# the headend\n\n");
    for (const int i : devices)
      text += i == 1 ? QStringLiteral("%1 id:FLEET01  # announced\n").arg(Name(i))
                     : QStringLiteral("%1 tcp:127.0.2.%2:%3\n").arg(Name(i)).arg(i + 1).arg(s_port);
    if (gone) text += QStringLiteral("gone tcp:127.0.2.200:%1\n").arg(s_port);
    return Write(QStringLiteral("rack.txt"), text.toUtf8());
  }
  QString Write(const QString& name, const QByteArray& bytes) {
    QFile file(Path(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return file.fileName();
  }
  CliRun Fleet(QStringList line) {
    return Cli(line + QStringList{QStringLiteral("--discovery-interface"),
                                  QStringLiteral("127.0.0.1"), QStringLiteral("--discovery-port"),
                                  QString::number(RackDiscoveryPort(1)),
                                  QStringLiteral("--device-port"), QString::number(s_port),
                                  QStringLiteral("--listen"), QStringLiteral("2")},
               false);
  }
  static int Writes() {
    int writes = 0;
    for (int i = 0; i < kDevices; ++i)
      for (const SimRequest& r : At(i).Requests()) writes += r.command == 0x50 || r.command == 0xB0;
    return writes;
  }

  static inline std::vector<std::unique_ptr<FleetDevice>>* s_devices = nullptr;
  static inline std::vector<DeviceConfig> s_configs;
  static inline quint16 s_port = 0;
  static inline bool s_ok = true;
};

TEST_F(FleetTest, AnyCommandOnTheInventory_LinesStartWithTheNameInInventoryOrder) {
  const CliRun run = Fleet({QStringLiteral("identify"), QStringLiteral("--devices"),
                            Inventory({}, true), QStringLiteral("--jobs"), QStringLiteral("5")});
  EXPECT_EQ(run.code, cli::kExitNoDevice) << run.err.constData();
  QStringList order;
  for (const QString& line : QString::fromUtf8(run.out).split(u'\n', Qt::SkipEmptyParts)) {
    const QString name = line.section(u':', 0, 0);
    if (order.isEmpty() || order.last() != name) order << name;
  }
  QStringList expected;
  for (int i = 0; i < kDevices; ++i) expected << Name(i);
  EXPECT_EQ(order, expected) << run.out.constData();
  EXPECT_TRUE(run.out.contains("n02: Model:    UNIT192")) << run.out.constData();
  EXPECT_TRUE(run.err.contains("gone: ostrivane-cli: no device found")) << run.err.constData();
}

TEST_F(FleetTest, BadInventoryOrTwoWaysOfNaming_UsageErrorAndNothingSent) {
  const QString bad = Write(QStringLiteral("bad.txt"), "a tcp:127.0.2.1\na tcp:127.0.2.2\n");
  CliRun run = Fleet({QStringLiteral("config"), QStringLiteral("get"), Path("x.itc"),
                      QStringLiteral("--devices"), bad});
  EXPECT_EQ(run.code, cli::kExitUsage);
  EXPECT_TRUE(run.err.contains("bad.txt: line 2: the name \"a\" is listed twice"))
      << run.err.constData();
  run = Fleet({QStringLiteral("status"), QStringLiteral("--devices"), Inventory(),
               QStringLiteral("--tcp"), QStringLiteral("127.0.2.1")});
  EXPECT_EQ(run.code, cli::kExitUsage);
  EXPECT_TRUE(run.err.contains("--devices and --tcp exclude each other")) << run.err.constData();
  int requests = 0;
  for (int i = 0; i < kDevices; ++i) requests += static_cast<int>(At(i).Requests().size());
  EXPECT_EQ(requests, 0);
}

TEST_F(FleetTest, StatusScrape_PrometheusPassesPromtoolAndJsonListsEveryDevice) {
  CliRun run = Fleet({QStringLiteral("status"), QStringLiteral("--devices"), Inventory({}, true),
                      QStringLiteral("--format"), QStringLiteral("json"), QStringLiteral("--jobs"),
                      QStringLiteral("8")});
  EXPECT_EQ(run.code, cli::kExitNoDevice);
  const QJsonArray devices = run.Json().value(QStringLiteral("Devices")).toArray();
  ASSERT_EQ(devices.size(), kDevices + 1);
  EXPECT_EQ(devices.at(kDevices).toObject().value(QStringLiteral("Device")).toString(), "gone");
  EXPECT_FALSE(devices.at(kDevices).toObject().value(QStringLiteral("Up")).toBool());
  EXPECT_TRUE(devices.at(0).toObject().value(QStringLiteral("Up")).toBool());

  run = Fleet({QStringLiteral("status"), QStringLiteral("--devices"), Inventory({}, true),
               QStringLiteral("--format"), QStringLiteral("prometheus")});
  EXPECT_EQ(run.code, cli::kExitNoDevice);
  EXPECT_TRUE(run.out.contains("ostrivane_up{device=\"gone\"} 0\n")) << run.out.constData();
  EXPECT_EQ(run.out.count("} 1\n") >= kDevices, true);
  EXPECT_TRUE(run.out.contains("ostrivane_device_info{device=\"n01\",model=\"UNIT176\""));
  const QString promtool = QStandardPaths::findExecutable(QStringLiteral("promtool"));
  if (promtool.isEmpty()) GTEST_SKIP() << "promtool is not installed (Debian package prometheus)";
  QProcess check;
  check.start(promtool, {QStringLiteral("check"), QStringLiteral("metrics")});
  ASSERT_TRUE(check.waitForStarted());
  check.write(run.out);
  check.closeWriteChannel();
  ASSERT_TRUE(check.waitForFinished());
  EXPECT_EQ(check.exitCode(), 0) << check.readAllStandardError().constData()
                                 << check.readAllStandardOutput().constData();
}

TEST_F(FleetTest, RackCheck_ReportsThePlantedClashesAndExitsFive) {
  CliRun run = Fleet({QStringLiteral("rack"), QStringLiteral("check"), QStringLiteral("--devices"),
                      Inventory(), QStringLiteral("--jobs"), QStringLiteral("6")});
  EXPECT_EQ(run.code, cli::kExitDiffers) << run.err.constData();
  const QStringList lines = QString::fromUtf8(run.out).split(u'\n', Qt::SkipEmptyParts);
  EXPECT_EQ(lines.size(), 3) << run.out.constData();
  EXPECT_TRUE(run.out.contains("n02 Modulators[0].Mode=")) << run.out.constData();
  EXPECT_TRUE(QString::fromUtf8(run.out).contains(
      QRegularExpression("n08 NetworkId=8442, Services\\[0\\]\\.Lcn=132 and n12 NetworkId=8442, "
                         "Services\\[0\\]\\.Lcn=132: same LCN in one network")))
      << run.out.constData();
  EXPECT_TRUE(
      run.out.contains("n10 IpAddress=10.8.0.20 and n14 IpAddress=10.8.0.20: same IP "
                       "address"))
      << run.out.constData();
  EXPECT_EQ(Writes(), 0);

  run = Fleet({QStringLiteral("rack"), QStringLiteral("check"), QStringLiteral("--devices"),
               Inventory({0, 1, 3, 4}, true), QStringLiteral("--json")});
  EXPECT_EQ(run.code, cli::kExitNoDevice);
  EXPECT_TRUE(run.Json().value(QStringLiteral("Clashes")).toArray().isEmpty())
      << run.out.constData();
  EXPECT_EQ(run.Json().value(QStringLiteral("DevicesRead")).toInt(), 4);
}

TEST_F(FleetTest, ConfigApply_DryRunPlansTheRowsThenApplyWritesAndVerifies) {
  const QString tmpl =
      Write(QStringLiteral("t.json"), R"({"Services": [{"ServiceName": "News"}]})");
  const QString csv =
      Write(QStringLiteral("v.csv"), "NAME,Services[0].Lcn\nn00,7\nn01,8\nn03,\"9\"\n");
  const QStringList line = {
      QStringLiteral("config"),    QStringLiteral("apply"), tmpl, QStringLiteral("--values"), csv,
      QStringLiteral("--devices"), Inventory({0, 1, 3})};
  CliRun run = Fleet(line + QStringList{QStringLiteral("--dry-run")});
  ASSERT_EQ(run.code, cli::kExitOk) << run.err.constData();
  EXPECT_TRUE(run.out.contains("n01: Services[0].Lcn: 104 -> 8\n")) << run.out.constData();
  EXPECT_TRUE(run.out.contains("n03: Services[0].ServiceName:")) << run.out.constData();
  EXPECT_EQ(Writes(), 0);

  run = Fleet(line);
  ASSERT_EQ(run.code, cli::kExitOk) << run.err.constData();
  EXPECT_TRUE(run.out.contains("n03: configuration applied and verified")) << run.out.constData();
  EXPECT_EQ(ConfigOf(At(3)).Services[0].Lcn, 9);
  EXPECT_EQ(ConfigOf(At(3)).Services[0].ServiceName, "News");
  EXPECT_EQ(ConfigOf(At(0)).Services[0].ServiceId, s_configs[0].Services[0].ServiceId);
  EXPECT_EQ(ConfigOf(At(2)).Services[0].Lcn, s_configs[2].Services[0].Lcn);  // not listed

  const struct {
    QByteArray csv;
    const char* error;
  } refused[] = {
      {"NAME,Services[0].Lcn\nn00,7\nn01,8\nn03,9\nn05,1\n", "n05 is not a listed device"},
      {"NAME,Services[0].Lcn\nn00,7\nn01,8\n", "has no row for n03"},
      {"NAME,Services[0].Lcn\nn00,7\nn01,8\nn03,seven\n", "not every device's plan"}};
  for (const auto& c : refused) {
    Write(QStringLiteral("v.csv"), c.csv);
    for (int i = 0; i < kDevices; ++i) At(i).ClearRequests();
    run = Fleet(line);
    EXPECT_NE(run.code, cli::kExitOk);
    EXPECT_TRUE(run.err.contains(c.error)) << run.err.constData();
    EXPECT_EQ(Writes(), 0) << c.csv.constData();
  }
}

TEST_F(FleetTest, FirmwareRollout_StopsAtTheDeviceLostMidFlashKeepGoingUpgradesTheRest) {
  const QString folder = Path(QStringLiteral("fw"));
  QDir().mkpath(folder);
  ASSERT_FALSE(WriteFirmwareImage(folder, QStringLiteral("UNIT131"), 21, 4096).isEmpty());
  SimFaults lost;
  lost.dropLinkAfterFlashRequests = 3;
  At(kMidFlash).SetFaults(lost);
  const QStringList line = {QStringLiteral("firmware"),  QStringLiteral("upgrade"),
                            QStringLiteral("--folder"),  folder,
                            QStringLiteral("--devices"), Inventory({0, kMidFlash, 8, 12}),
                            QStringLiteral("--jobs"),    QStringLiteral("1")};
  CliRun run = Fleet(line);
  EXPECT_EQ(run.code, cli::kExitFailed) << run.err.constData();
  EXPECT_TRUE(QString::fromUtf8(run.out).contains(
      QRegularExpression("n00 +UNIT131 +20\\.10 +21\\.10 +upgraded")))
      << run.out.constData();
  EXPECT_TRUE(QString::fromUtf8(run.out).contains(QRegularExpression("n04 +UNIT131 .* failed\n")))
      << run.out.constData();
  EXPECT_TRUE(QString::fromUtf8(run.out).contains(QRegularExpression("n12 .* not started\n")))
      << run.out.constData();
  EXPECT_EQ(At(8).Versions().main, 20);
  EXPECT_EQ(At(0).Versions().main, 21);

  run = Fleet(line + QStringList{QStringLiteral("--keep-going")});
  EXPECT_EQ(run.code, cli::kExitOk) << run.err.constData() << run.out.constData();
  EXPECT_TRUE(QString::fromUtf8(run.out).contains(QRegularExpression("n00 .* up to date\n")))
      << run.out.constData();
  EXPECT_EQ(At(8).Versions().main, 21);
  EXPECT_EQ(At(12).Versions().main, 21);

  run = Fleet({QStringLiteral("firmware"), QStringLiteral("upgrade"), QStringLiteral("--folder"),
               folder, QStringLiteral("--devices"), Inventory({5})});
  EXPECT_EQ(run.code, cli::kExitLocal);
  EXPECT_TRUE(
      QString::fromUtf8(run.out).contains(QRegularExpression("n05 +UNIT176 .* no image\n")));
}

TEST_F(FleetTest, FindWithInventoryAndJson_SaysWhoAnswersWhoIsUnlistedAndWhatEachIs) {
  CliRun run =
      Fleet({QStringLiteral("find"), QStringLiteral("--devices"), Inventory({0, 1, 2}, true)});
  EXPECT_EQ(run.code, cli::kExitNoDevice);
  EXPECT_TRUE(run.out.contains("n01: answers: UNIT176")) << run.out.constData();
  EXPECT_TRUE(run.err.contains("gone: ostrivane-cli: no device found")) << run.err.constData();
  EXPECT_TRUE(run.out.contains("not in the inventory: FLEET15 at 127.0.2.16"))
      << run.out.constData();
  EXPECT_FALSE(run.out.contains("not in the inventory: FLEET01"));

  run = Fleet({QStringLiteral("find"), QStringLiteral("--json")});
  ASSERT_EQ(run.code, cli::kExitOk) << run.err.constData();
  for (const QJsonValue& entry : run.Json().value(QStringLiteral("Network")).toArray()) {
    const QJsonObject d = entry.toObject();
    if (d.value(QStringLiteral("Identifier")).toString() != "FLEET02") continue;
    EXPECT_EQ(d.value(QStringLiteral("Address")).toString(), "127.0.2.3");
    EXPECT_EQ(d.value(QStringLiteral("ModelName")).toString(), "UNIT192");
    EXPECT_EQ(d.value(QStringLiteral("DeviceTypeCode")).toInt(), 192);
    EXPECT_TRUE(d.contains(QStringLiteral("Main")) && d.contains(QStringLiteral("Secondary")));
    return;
  }
  ADD_FAILURE() << "FLEET02 missing: " << run.out.constData();
}

}  // namespace
