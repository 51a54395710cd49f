#include "UiTestSupport.h"

#include <QDir>
#include <QFile>

#include "ui/device/DeviceThread.h"

namespace ostrivane::uitest {

namespace {
constexpr std::chrono::milliseconds kAnnounceInterval{200};
// A restart keeps the simulated device away only briefly, so fall-back tests reconnect quickly.
constexpr std::chrono::milliseconds kRestartDuration{300};

bool Touch(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly);
}
}  // namespace

sim::SimOptions SimDevice::Options(std::uint8_t type) {
  sim::SimOptions options;
  options.typeCode = type;
  options.restartDuration = kRestartDuration;
  return options;
}

SimDevice::SimDevice(std::uint8_t type, bool withPty) : SimDevice(SimSetup{type, withPty}) {}

SimDevice::SimDevice(const SimSetup& setup)
    : device(Options(setup.type)), m_setup(setup), m_tcp(device, setup.tcpPort, setup.address) {
  m_started = m_tcp.Start();
  if (setup.withPty) {
    m_pty = std::make_unique<sim::PtyServer>(device);
    m_pty->Start();
  }
}

SimDevice::~SimDevice() {
  if (m_announcer) m_announcer->Stop();
  if (m_pty) m_pty->Stop();
  m_tcp.Stop();
}

bool SimDevice::Announce(quint16 discoveryPort) {
  sim::AnnouncerOptions options;
  options.identifier = m_setup.identifier;
  options.address = m_setup.address;
  options.port = discoveryPort;
  options.interval = kAnnounceInterval;
  m_announcer = std::make_unique<sim::Announcer>(options);
  return m_announcer->Start();
}

void SimDevice::StopAnnouncing() {
  if (m_announcer) m_announcer->Stop();
}

int SimDevice::Count(std::uint8_t command) const {
  int n = 0;
  for (const sim::SimRequest& request : device.Requests()) n += request.command == command;
  return n;
}

bool SimDevice::Received(std::uint8_t command, const QByteArray& payload) const {
  for (const sim::SimRequest& request : device.Requests()) {
    if (request.command == command && request.payload == payload) return true;
  }
  return false;
}

void SimDevice::GoSilent() {
  sim::SimFaults faults;
  faults.silence = true;
  device.SetFaults(faults);
}

void SimDevice::Answer() {
  device.SetFaults(sim::SimFaults{});
}

UiHarness::UiHarness(const HarnessSetup& setup) {
  QDir(m_data.path()).mkpath(QStringLiteral("firmware"));
  const QString firmware = m_data.path() + QStringLiteral("/firmware/");
  if (setup.advanced) Touch(firmware + QStringLiteral("advanced.txt"));
  if (setup.manufacturer) Touch(firmware + QStringLiteral("manufacturer.txt"));

  AppOptions options;
  options.dataFolder = m_data.path();
  options.desktopFolder = m_desktop.path();
  options.discovery.interfaceAddress = QStringLiteral("127.0.0.1");
  options.discovery.port = 0;
  options.discovery.receiveTimeout = std::chrono::milliseconds(200);
  // Nothing answers on port 1 of loopback: an unannounced device is never reached over TCP.
  options.connection.tcpPort = setup.devicePort != 0 ? setup.devicePort : 1;
  options.connection.scanUsbPorts = false;
  options.connection.extraSerialPaths = setup.serialPaths;
  options.connection.tcpConnectTimeoutMs = 500;
  options.connection.announcementPeriodMs = setup.announcementPeriodMs;
  options.discoveryClock = setup.discoveryClock;
  if (!setup.lastDevice.isEmpty()) {
    QFile remembered(m_data.path() + QStringLiteral("/last_device.txt"));
    if (remembered.open(QIODevice::WriteOnly)) remembered.write(setup.lastDevice.toLatin1());
  }
  if (!setup.language.isEmpty()) {
    QFile preference(m_data.path() + QStringLiteral("/pref.txt"));
    if (preference.open(QIODevice::WriteOnly)) preference.write(setup.language.toLatin1());
  }
  options.linkClock = &m_clock;
  options.prompts = &prompts;
  m_app = std::make_unique<COstrivaneApp>(options);
  m_app->Start();
}

UiHarness::~UiHarness() {
  if (m_app->MainDialog() != nullptr) m_app->MainDialog()->close();
  m_app.reset();
}

bool UiHarness::WaitConnected(int timeoutMs) {
  return WaitUntil([this] { return Dialog().Connected(); }, timeoutMs);
}

bool UiHarness::WaitDeviceIdle(int timeoutMs) {
  return uitest::WaitDeviceIdle(*m_app, timeoutMs);
}

bool WaitDeviceIdle(COstrivaneApp& app, int timeoutMs) {
  return WaitUntil([&app] { return !app.Device().Busy(); }, timeoutMs);
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
  return QTest::qWaitFor(condition, timeoutMs);
}

}  // namespace ostrivane::uitest
