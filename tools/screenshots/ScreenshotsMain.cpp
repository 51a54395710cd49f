// ostrivane-screenshots: pictures of the window for the documentation. Runs the window against an
// in-process simulated modulator on loopback and saves grabs of the searching and the connected
// window, its write states and activity panel, and the window and its pictures under a dark
// palette.
// Usage: ostrivane-screenshots OUTPUT_FOLDER [SUFFIX]
#include <utility>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "link/Commands.h"
#include "sim/Announcer.h"
#include "sim/SimulatedModulator.h"
#include "sim/TcpServer.h"
#include "ui/ActivityPanel.h"
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

// Every picture of the window at three sizes, one row each, on the palette's window colour.
bool SavePictureSheet(const QString& path) {
  constexpr int kSizes[] = {16, 32, 64};
  constexpr int kCount = static_cast<int>(Picture::DoubleArrow) + 1;
  constexpr int kGap = 8;
  const qreal ratio = qApp->devicePixelRatio();
  const int width = kCount * (64 + kGap) + kGap;
  const int height = (16 + 32 + 64) + 4 * kGap;
  QPixmap sheet(QSize(width, height) * ratio);
  sheet.setDevicePixelRatio(ratio);
  sheet.fill(QApplication::palette().color(QPalette::Window));
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
class ConnectedWindow {
 public:
  ConnectedWindow() : m_device(Options()), m_tcp(m_device, 0) {
    m_device.SetServiceStatus(1, {1, 720, 1, 50, 0, 0});
    if (!m_tcp.Start()) return;
    QDir(m_data.path()).mkpath(QStringLiteral("firmware"));
    QFile(m_data.path() + QStringLiteral("/firmware/advanced.txt")).open(QIODevice::WriteOnly);
    AppOptions options;
    options.dataFolder = m_data.path();
    options.desktopFolder = m_data.path();
    options.discovery.interfaceAddress = QStringLiteral("127.0.0.1");
    options.discovery.port = 0;
    options.connection.tcpPort = m_tcp.Port();
    options.connection.scanUsbPorts = false;
    m_app = std::make_unique<COstrivaneApp>(options);
    m_app->Start();
  }
  ~ConnectedWindow() {
    if (m_app) Window().close();
  }

  COstrivaneDlg& Window() { return *m_app->MainDialog(); }
  sim::SimulatedModulator& Device() { return m_device; }
  bool Started() const { return m_app != nullptr; }
  bool Connect() {
    sim::AnnouncerOptions announce;
    announce.identifier = QStringLiteral("SCREENSHOT");
    announce.port = m_app->DiscoveryPort();
    m_announcer = std::make_unique<sim::Announcer>(announce);
    return m_announcer->Start() && WaitFor([&] { return Window().Connected(); }, kTimeoutMs);
  }
  // An edit of the frequency of M1, and the write state it ends in.
  bool EditAndWait(const QString& frequency, const QString& state) {
    Window().Setting().SelectPage(0);
    auto* edit = Window().Setting().findChild<QLineEdit*>(QStringLiteral("frequency"));
    if (edit == nullptr) return false;
    edit->setText(frequency);
    return WaitFor([&] { return Window().Info().WriteStateText().startsWith(state); }, kTimeoutMs);
  }

 private:
  static sim::SimOptions Options() {
    sim::SimOptions options;
    options.typeCode = 176;
    return options;
  }

  sim::SimulatedModulator m_device;
  sim::TcpServer m_tcp;
  QTemporaryDir m_data;
  std::unique_ptr<COstrivaneApp> m_app;
  std::unique_ptr<sim::Announcer> m_announcer;
};

QString ShotName(const QDir& out, const char* base, const QString& suffix) {
  return out.filePath(QString::fromLatin1(base) + suffix + QStringLiteral(".png"));
}

bool GrabWriteStates(ConnectedWindow& session, const QDir& out, const QString& suffix);

bool GrabWindow(const QDir& out, const QString& suffix) {
  ConnectedWindow session;
  if (!session.Started()) return false;
  COstrivaneDlg& window = session.Window();
  const auto name = [&](const char* base) { return ShotName(out, base, suffix); };

  if (!WaitFor([&] { return !window.Info().StatusText().isEmpty(); }, kTimeoutMs) ||
      !Save(window, name("searching"))) {
    return false;
  }
  if (!session.Connect()) return false;
  Settle(kSettleMs);  // a few polls: the service tabs show their inputs
  if (!Save(window, name("connected"))) return false;
  window.Setting().SelectPage(1);
  Settle(kPollMs * 5);
  if (!Save(window, name("connected-service"))) return false;
  // MISC and MANUFACTURER (advanced mode); a 176 has no Play/Rec USB page to show.
  for (const auto& [page, base] : {std::pair{3, "misc"}, std::pair{4, "manufacturer"}}) {
    window.Setting().SelectPage(page);
    Settle(kPollMs * 2);
    if (!Save(window, name(base))) return false;
  }
  return GrabWriteStates(session, out, suffix);
}

// "Sent HH:MM:SS", then a write the device refuses, and the activity panel that lists both.
bool GrabWriteStates(ConnectedWindow& session, const QDir& out, const QString& suffix) {
  COstrivaneDlg& window = session.Window();
  if (!session.EditAndWait(QStringLiteral("650000"), QStringLiteral("Sent ")) ||
      !Save(window, ShotName(out, "write-sent", suffix))) {
    return false;
  }
  sim::SimFaults refuse;
  refuse.refuse = true;
  refuse.onlyCommand = cmd::WriteConfig;
  session.Device().SetFaults(refuse);
  if (!session.EditAndWait(QStringLiteral("666000"), QStringLiteral("Not applied")) ||
      !Save(window, ShotName(out, "write-not-applied", suffix))) {
    return false;
  }
  session.Device().SetFaults(sim::SimFaults{});
  window.Activity().show();
  Settle(kPollMs * 5);
  const bool saved = Save(window.Activity(), ShotName(out, "activity", suffix));
  window.Activity().hide();
  return saved;
}

// The connected window under a dark palette (Fusion, which draws what the palette says).
bool GrabDarkWindow(const QDir& out, const QString& suffix) {
  QApplication::setStyle(QStringLiteral("Fusion"));
  QPalette dark;
  dark.setColor(QPalette::Window, QColor(45, 45, 48));
  dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
  dark.setColor(QPalette::Base, QColor(30, 30, 32));
  dark.setColor(QPalette::AlternateBase, QColor(45, 45, 48));
  dark.setColor(QPalette::Text, QColor(230, 230, 230));
  dark.setColor(QPalette::Button, QColor(55, 55, 58));
  dark.setColor(QPalette::ButtonText, QColor(230, 230, 230));
  dark.setColor(QPalette::Highlight, QColor(65, 105, 225));
  QApplication::setPalette(dark);
  ConnectedWindow session;
  if (!session.Started() || !session.Connect()) return false;
  Settle(kSettleMs);
  if (!session.EditAndWait(QStringLiteral("650000"), QStringLiteral("Sent "))) return false;
  return Save(session.Window(), ShotName(out, "connected-dark", suffix)) &&
         SavePictureSheet(ShotName(out, "pictures-dark", suffix));
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
                  GrabWindow(out, suffix) && GrabDeviceList(out, suffix) &&
                  GrabDarkWindow(out, suffix);
  return ok ? 0 : 1;
}
