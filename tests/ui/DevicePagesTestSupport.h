#pragma once

// Fixtures for the USB, MISC. and MANUFACTURER pages and the clock dialog: the whole window on a
// simulated modulator of a chosen type and firmware version (loopback only), and a bench that
// holds one page alone on its own single instances for fast rule checks.

#include <QDir>
#include <QFile>
#include <QPair>
#include <QVBoxLayout>
#include <memory>

#include "UiTestSupport.h"
#include "config/ConfigCodec.h"
#include "ui/ActivityPanel.h"
#include "ui/ColouredTabBar.h"

namespace ostrivane::uitest {

// Scripted answers (OK once the script is used up); every request and beep is remembered.
class DialogPrompts final : public Prompts {
 public:
  PromptAnswer ShowMessage(const MessageBoxRequest& request) override {
    messages.append(request);
    if (answers.empty()) return PromptAnswer::Ok;
    const PromptAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }
  QString GetSaveFileName(const FileDialogRequest& request) override {
    saveRequests.append(request);
    return saveAnswer;
  }
  QString GetOpenFileName(const FileDialogRequest& request) override {
    openRequests.append(request);
    return openAnswer;
  }
  void Beep(int frequencyHz, int durationMs) override { beeps.append({frequencyHz, durationMs}); }

  std::deque<PromptAnswer> answers;
  QList<MessageBoxRequest> messages;
  QList<FileDialogRequest> saveRequests, openRequests;
  QString saveAnswer, openAnswer;
  QList<QPair<int, int>> beeps;
};

struct WindowSetup {
  std::uint8_t type = 192;
  std::uint8_t mainVersion = 20;
  bool manufacturer = false;
  bool advanced = false;
  QStringList logoEntries;  // created in the logo folder; a name ending in "/" is a folder
};

// The application connected to an announced simulated modulator.
class DeviceWindow {
 public:
  explicit DeviceWindow(const WindowSetup& setup)
      : device(Options(setup)), m_setup(setup), m_tcp(device, 0) {
    PrepareDataFolder();
    if (!m_tcp.Start()) return;
    AppOptions options;
    options.dataFolder = m_data.path();
    options.desktopFolder = m_data.path();
    options.discovery.interfaceAddress = QStringLiteral("127.0.0.1");
    options.discovery.port = 0;
    options.discovery.receiveTimeout = std::chrono::milliseconds(200);
    options.connection.tcpPort = m_tcp.Port();
    options.connection.scanUsbPorts = false;
    options.connection.tcpConnectTimeoutMs = 500;
    options.linkClock = &m_clock;
    options.prompts = &prompts;
    m_app = std::make_unique<COstrivaneApp>(options);
    m_app->Start();
    sim::AnnouncerOptions announce;
    announce.identifier = QStringLiteral("PAGESTEST");
    announce.port = m_app->DiscoveryPort();
    announce.interval = std::chrono::milliseconds(200);
    m_announcer = std::make_unique<sim::Announcer>(announce);
    connected = m_announcer->Start() && WaitUntil([this] { return Connected(); }, 8000);
  }

  ~DeviceWindow() {
    if (m_app && m_app->MainDialog() != nullptr) m_app->MainDialog()->close();
    m_app.reset();
    if (m_announcer) m_announcer->Stop();
    m_tcp.Stop();
  }

  CSetting& Panel() { return m_app->MainDialog()->Setting(); }
  CInfo& Info() { return m_app->MainDialog()->Info(); }
  CActivityPanel& Activity() { return m_app->MainDialog()->Activity(); }
  OperationContext& Ctx() { return m_app->Context(); }
  bool Connected() const { return m_app->MainDialog()->Connected(); }
  // What a click queued on the device thread has been done.
  bool WaitDeviceIdle() { return uitest::WaitDeviceIdle(*m_app); }
  QString DataFolder() const { return m_data.path(); }
  void ShowPage(int page) { Panel().PageTabs()->setCurrentIndex(page); }
  template <class W = QWidget>
  W* Control(int id) {
    return FindControl<W>(Panel(), id);
  }

  QList<QByteArray> Payloads(std::uint8_t command) const {
    QList<QByteArray> payloads;
    for (const sim::SimRequest& request : device.Requests()) {
      if (request.command == command) payloads.append(request.payload);
    }
    return payloads;
  }

  // The record the device stores, read the way the window reads it.
  DeviceConfig StoredConfig() const {
    DeviceConfig config;
    PanelState panel;
    const LayoutContext context{m_setup.type, m_setup.mainVersion,
                                RecordShape::ForType(m_setup.type)};
    DecodeConfigImage(device.ConfigRecord(), context, config, panel);
    return config;
  }

  DialogPrompts prompts;
  sim::SimulatedModulator device;
  bool connected = false;

 private:
  static sim::SimOptions Options(const WindowSetup& setup) {
    sim::SimOptions options;
    options.typeCode = setup.type;
    options.mainVersion = setup.mainVersion;
    options.restartDuration = std::chrono::milliseconds(300);
    return options;
  }
  void PrepareDataFolder() {
    const QDir data(m_data.path());
    for (const char* sub : {"firmware", "logos", "config"}) data.mkpath(QString::fromLatin1(sub));
    if (m_setup.advanced) Touch(data.filePath(QStringLiteral("firmware/advanced.txt")));
    if (m_setup.manufacturer) Touch(data.filePath(QStringLiteral("firmware/manufacturer.txt")));
    for (const QString& entry : m_setup.logoEntries) {
      const QString path = data.filePath(QStringLiteral("logos/") + entry);
      if (entry.endsWith(QLatin1Char('/'))) {
        data.mkpath(path);
      } else {
        Touch(path);
      }
    }
  }
  static void Touch(const QString& path) { QFile(path).open(QIODevice::WriteOnly); }

  WindowSetup m_setup;
  AcceleratedClock m_clock{kClockFactor};
  QTemporaryDir m_data;
  sim::TcpServer m_tcp;
  std::unique_ptr<sim::Announcer> m_announcer;
  std::unique_ptr<COstrivaneApp> m_app;
};

// One page, shown, on its own single instances; nothing is connected, so requests fail at once.
template <class PageT>
class SinglePageBench {
 public:
  SinglePageBench(std::uint8_t type, std::uint8_t mainVersion, bool manufacturer = false,
                  bool advanced = false, int language = 0) {
    identity.DeviceTypeCode = type;
    identity.Version.main = mainVersion;
    shape = RecordShape::ForType(type);
    settings.SetModes(manufacturer, advanced);
    settings.SetLanguageIndex(language);
    host.ctx = &ctx;
    page = new PageT(host, ctx, &window);
    page->PageLayout();
    (new QVBoxLayout(&window))->addWidget(page);
    window.show();
  }

  // What the panel does when the page is selected.
  void Show() {
    panel.UpdatingGuard = 1;
    host.page = PageT::kIndex;
    page->PageShow(true);
    page->PageFill();
    panel.UpdatingGuard = 0;
  }
  template <class W = QWidget>
  W* Control(int id) {
    return FindControl<W>(window, id);
  }

  FakeClock clock;
  NullStatusSink status;
  CXmit link{clock, status};
  DeviceIdentity identity;
  DeviceConfig config;
  PanelState panel;
  RecordShape shape;
  DeviceStatusPair deviceStatus;
  ApplicationData settings;
  ConnectionFlags flags;
  DialogPrompts prompts;
  NullPanelDisplays displays;
  OperationContext ctx{link,     identity, config, panel,   shape,    deviceStatus,
                       settings, flags,    status, prompts, displays, clock};
  BenchHost host;
  QWidget window;
  PageT* page = nullptr;
};

}  // namespace ostrivane::uitest
