// A rack of simulated modulators on 127.0.0.2 .. 127.0.0.61, all announcing on loopback and
// listening on one TCP port: two announce one identifier (RACKDUP) and models repeat.
#pragma once

#include <QThread>
#include <memory>
#include <vector>

#include "CliTestSupport.h"

namespace ostrivane::clitest {

inline quint16 RackDiscoveryPort(int offset) {
  return static_cast<quint16>(46000 + (QCoreApplication::applicationPid() % 1000) * 4 + offset);
}

struct RackDevice {
  RackDevice(std::uint8_t type, const QString& address, quint16 tcpPort, const QString& id,
             quint16 discoveryPort)
      : device([type] {
          SimOptions options;
          options.typeCode = type;
          return options;
        }()),
        server(device, tcpPort, address),
        announcer([&] {
          AnnouncerOptions options;
          options.identifier = id;
          options.address = address;
          options.port = discoveryPort;
          options.interval = std::chrono::milliseconds(100);
          return options;
        }()) {}

  bool Start() { return server.Start() && announcer.Start(); }

  SimulatedModulator device;
  TcpServer server;
  Announcer announcer;
  QString identifier;
};

class Rack {
 public:
  static constexpr int kSize = 60;
  static constexpr std::uint8_t kModels[] = {131, 176, 192, 132};

  explicit Rack(quint16 discoveryPort) : m_discoveryPort(discoveryPort) {
    for (int i = 0; i < kSize; ++i) {
      const QString id = i == 1 || i == 2
                             ? QStringLiteral("RACKDUP")
                             : QStringLiteral("RACK%1").arg(i, 2, 10, QLatin1Char('0'));
      const QString address = QStringLiteral("127.0.0.%1").arg(i + 2);
      m_devices.push_back(std::make_unique<RackDevice>(kModels[i % std::size(kModels)], address,
                                                       m_port, id, discoveryPort));
      RackDevice& d = *m_devices.back();
      d.identifier = id;
      m_ok = m_ok && d.server.Start();
      if (i == 0) m_port = d.server.Port();
      // The two sharing an identifier speak half an interval apart, so that a listener hears
      // both within any one interval.
      if (i == 2) QThread::msleep(50);
      m_ok = m_ok && d.announcer.Start();
    }
  }

  bool Ok() const { return m_ok; }
  RackDevice& At(int i) { return *m_devices.at(static_cast<std::size_t>(i)); }
  int RequestCount() const {
    int n = 0;
    for (const auto& d : m_devices) n += static_cast<int>(d->device.Requests().size());
    return n;
  }
  QStringList Options(const QString& listen = QStringLiteral("0.6")) const {
    return {QStringLiteral("--discovery-interface"),
            QStringLiteral("127.0.0.1"),
            QStringLiteral("--discovery-port"),
            QString::number(m_discoveryPort),
            QStringLiteral("--device-port"),
            QString::number(m_port),
            QStringLiteral("--listen"),
            listen};
  }

 private:
  quint16 m_discoveryPort;
  quint16 m_port = 0;
  bool m_ok = true;
  std::vector<std::unique_ptr<RackDevice>> m_devices;
};

// The rack is built once for all the tests that use it.
class RackTest : public CliTest {
 protected:
  static void SetUpTestSuite() { s_rack = new Rack(RackDiscoveryPort(0)); }
  static void TearDownTestSuite() {
    delete s_rack;
    s_rack = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(s_rack->Ok());
    for (int i = 0; i < Rack::kSize; ++i) {
      s_rack->At(i).device.SetFaults({});
      s_rack->At(i).device.ClearRequests();
    }
  }
  CliRun RackCli(QStringList line, const QString& listen = QStringLiteral("0.6")) {
    return Cli(line + s_rack->Options(listen), false);
  }

  static inline Rack* s_rack = nullptr;
};

}  // namespace ostrivane::clitest
