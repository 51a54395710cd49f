// ostrivane-screenshots: pictures of the window for the documentation. Runs the window against an
// in-process simulated modulator on loopback and saves grabs of the searching and the connected
// window. Usage: ostrivane-screenshots OUTPUT_FOLDER [SUFFIX]
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPainter>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "sim/Announcer.h"
#include "sim/SimulatedModulator.h"
#include "sim/TcpServer.h"
#include "ui/DeviceList.h"
#include "ui/Info.h"
#include "ui/OstrivaneApp.h"
#include "ui/OstrivaneDlg.h"
#include "ui/Pictures.h"
#include "ui/Setting.h"

namespace {

using namespace ostrivane;

constexpr int kPollMs = 20;
constexpr int kTimeoutMs = 10000;
constexpr int kSettleMs = 1200;

bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (!condition()) {
    if (clock.elapsed() > timeoutMs) return false;
    QEventLoop loop;
    QTimer::singleShot(kPollMs, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return true;
}

void Settle(int ms) {
  WaitFor([] { return false; }, ms);
}

// Every picture of the window at three sizes, one row each.
bool SavePictureSheet(const QString& path) {
  constexpr int kSizes[] = {16, 32, 64};
  constexpr int kCount = static_cast<int>(Picture::DoubleArrow) + 1;
  constexpr int kGap = 8;
  const qreal ratio = qApp->devicePixelRatio();
  const int width = kCount * (64 + kGap) + kGap;
  const int height = (16 + 32 + 64) + 4 * kGap;
  QPixmap sheet(QSize(width, height) * ratio);
  sheet.setDevicePixelRatio(ratio);
  sheet.fill(QColor(236, 236, 236));
  QPainter painter(&sheet);
  int y = kGap;
  for (const int side : kSizes) {
    for (int i = 0; i < kCount; ++i) {
      const QPixmap picture = PictureIcon(static_cast<Picture>(i)).pixmap(QSize(side, side), ratio);
      painter.drawPixmap(QPoint(kGap + i * (64 + kGap), y), picture);
    }
    y += side + kGap;
  }
  painter.end();
  const bool ok = sheet.save(path);
  std::fprintf(ok ? stdout : stderr, "%s %s\n", ok ? "saved" : "could not save", qPrintable(path));
  return ok;
}

bool Save(QWidget& window, const QString& path) {
  const bool ok = window.grab().save(path);
  std::fprintf(ok ? stdout : stderr, "%s %s\n", ok ? "saved" : "could not save", qPrintable(path));
  return ok;
}

// The window against an announced simulated modulator of type 176 (two outputs, four services).
bool GrabWindow(const QDir& out, const QString& suffix) {
  sim::SimOptions simOptions;
  simOptions.typeCode = 176;
  sim::SimulatedModulator device(simOptions);
  device.SetServiceStatus(1, {1, 720, 1, 50, 0, 0});
  sim::TcpServer tcp(device, 0);
  if (!tcp.Start()) return false;

  QTemporaryDir data;
  QDir(data.path()).mkpath(QStringLiteral("firmware"));
  QFile(data.path() + QStringLiteral("/firmware/advanced.txt")).open(QIODevice::WriteOnly);
  AppOptions options;
  options.dataFolder = data.path();
  options.desktopFolder = data.path();
  options.discovery.interfaceAddress = QStringLiteral("127.0.0.1");
  options.discovery.port = 0;
  options.connection.tcpPort = tcp.Port();
  options.connection.scanUsbPorts = false;
  COstrivaneApp ostrivaneApp(options);
  ostrivaneApp.Start();
  COstrivaneDlg& window = *ostrivaneApp.MainDialog();
  const auto name = [&](const char* base) {
    return out.filePath(QString::fromLatin1(base) + suffix + QStringLiteral(".png"));
  };

  if (!WaitFor([&] { return !window.Info().StatusText().isEmpty(); }, kTimeoutMs) ||
      !Save(window, name("searching"))) {
    return false;
  }
  sim::AnnouncerOptions announce;
  announce.identifier = QStringLiteral("SCREENSHOT");
  announce.port = ostrivaneApp.DiscoveryPort();
  sim::Announcer announcer(announce);
  if (!announcer.Start() || !WaitFor([&] { return window.Connected(); }, kTimeoutMs)) return false;
  Settle(kSettleMs);  // a few polls: the service tabs show their inputs
  if (!Save(window, name("connected"))) return false;
  window.Setting().SelectPage(1);
  Settle(kPollMs * 5);
  const bool saved = Save(window, name("connected-service"));
  window.close();
  return saved;
}

// The list a rack of three announced modulators brings up, once each has been identified.
bool GrabDeviceList(const QDir& out, const QString& suffix) {
  struct Member {
    std::uint8_t type;
    const char* identifier;
    const char* address;
  };
  constexpr Member kRack[] = {{176, "HEADEND-R1-01", "127.0.0.2"},
                              {192, "HEADEND-R1-02", "127.0.0.3"},
                              {131, "HEADEND-R1-03", "127.0.0.4"}};
  std::vector<std::unique_ptr<sim::SimulatedModulator>> devices;
  std::vector<std::unique_ptr<sim::TcpServer>> servers;
  std::uint16_t port = 0;
  for (const Member& member : kRack) {
    sim::SimOptions simOptions;
    simOptions.typeCode = member.type;
    devices.push_back(std::make_unique<sim::SimulatedModulator>(simOptions));
    servers.push_back(std::make_unique<sim::TcpServer>(*devices.back(), port,
                                                       QString::fromLatin1(member.address)));
    if (!servers.back()->Start()) return false;
    port = servers.back()->Port();
  }
  QTemporaryDir data;
  AppOptions options;
  options.dataFolder = data.path();
  options.desktopFolder = data.path();
  options.discovery.interfaceAddress = QStringLiteral("127.0.0.1");
  options.discovery.port = 0;
  options.connection.tcpPort = port;
  options.connection.scanUsbPorts = false;
  COstrivaneApp ostrivaneApp(options);
  ostrivaneApp.Start();
  COstrivaneDlg& window = *ostrivaneApp.MainDialog();
  std::vector<std::unique_ptr<sim::Announcer>> announcers;
  for (const Member& member : kRack) {
    sim::AnnouncerOptions announce;
    announce.identifier = QString::fromLatin1(member.identifier);
    announce.address = QString::fromLatin1(member.address);
    announce.port = ostrivaneApp.DiscoveryPort();
    announcers.push_back(std::make_unique<sim::Announcer>(announce));
    if (!announcers.back()->Start()) return false;
  }
  const auto identified = [&] {
    const QStringList entries = window.DeviceList().EntryTexts();
    return entries.size() == 3 && std::all_of(entries.begin(), entries.end(), [](const QString& e) {
             return e.count(QLatin1Char(',')) == 2;
           });
  };
  if (!WaitFor(identified, kTimeoutMs * 2)) return false;
  Settle(kPollMs * 5);
  const bool saved =
      Save(window, out.filePath(QStringLiteral("device-list") + suffix + QStringLiteral(".png")));
  window.close();
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setWindowIcon(PictureIcon(Picture::Application));
  const QStringList args = QApplication::arguments();
  if (args.size() < 2) {
    std::fprintf(stderr, "usage: ostrivane-screenshots OUTPUT_FOLDER [SUFFIX]\n");
    return 2;
  }
  const QDir out(args[1]);
  const QString suffix = args.size() > 2 ? args[2] : QString();
  QDir().mkpath(out.path());
  const bool ok = SavePictureSheet(out.filePath(QStringLiteral("pictures%1.png").arg(suffix))) &&
                  GrabWindow(out, suffix) && GrabDeviceList(out, suffix);
  return ok ? 0 : 1;
}
