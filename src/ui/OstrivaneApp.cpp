#include "ui/OstrivaneApp.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <iterator>

#include "texts/TextTable.h"
#include "ui/Info.h"
#include "ui/OstrivaneDlg.h"
#include "ui/Setting.h"
#include "ui/device/DeviceThread.h"

namespace ostrivane {

namespace {

// Qt's translation files by language index (EN FR IT DE PO ES).
const char* const kQtLanguages[] = {"en", "fr", "it", "de", "pl", "es"};

}  // namespace

COstrivaneApp::COstrivaneApp(AppOptions options)
    : m_options(std::move(options)),
      m_link(LinkClock(), m_status),
      m_ctx{m_link,     m_identity, m_config, m_panel,         m_shape,    m_deviceStatus,
            m_settings, m_flags,    m_status, ChosenPrompts(), m_displays, LinkClock()} {
  m_link.SetObserver(m_options.linkTrace);
}

COstrivaneApp::~COstrivaneApp() {
  Stop();
  // The device thread's last work may still report to the window: it ends first.
  m_device.reset();
  // Nothing may report to the window once it is gone.
  m_status.Attach(nullptr, nullptr);
  m_displays.Attach(nullptr);
  m_qtPrompts.SetOwners(nullptr, nullptr);
  m_dialog.reset();
}

int COstrivaneApp::InitInstance() {
  Start();
  const int code = QApplication::exec();
  Stop();
  return code;
}

void COstrivaneApp::Start() {
  const QString folder =
      m_options.dataFolder.isEmpty() ? QDir::currentPath() : m_options.dataFolder;
  m_settings.LoadApplicationData(folder, m_options.desktopFolder);
  const int language = m_settings.LanguageIndex();
  if (language >= 0 && language < static_cast<int>(std::size(kQtLanguages)) &&
      m_qtTranslator.load(QStringLiteral("qtbase_") + QLatin1String(kQtLanguages[language]),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(&m_qtTranslator);
  }

  m_device = std::make_unique<DeviceThread>(m_ctx, m_mailbox, ChosenPrompts());
  m_dialog = std::make_unique<COstrivaneDlg>(m_ctx, *m_device, m_discovery, m_options.connection);
  m_status.Attach(&m_dialog->Info(), &m_mailbox);
  m_displays.Attach(&m_dialog->Setting());
  m_qtPrompts.SetOwners(m_dialog.get(), &m_dialog->Setting());
  m_device->Start();
  m_dialog->show();

  // Without discovery the tool still finds devices on the serial ports; only the activity panel
  // says so.
  DiscoveryStart started = StartDiscovery(
      m_discovery, m_options.discovery,
      m_options.discoveryClock ? *m_options.discoveryClock : static_cast<Clock&>(m_clock));
  m_discoveryCode = started.code;
  m_listener = std::move(started.listener);
  // Where the search listens for announcements, for the activity panel and its log.
  m_status.NoteActivity(
      m_listener ? LocalText(text::ListeningOn, language)
                       .arg(m_listener->InterfaceName(), QString::number(m_listener->BoundPort()))
                 : LocalText(text::NotListening, language).arg(m_discoveryCode));
}

void COstrivaneApp::Stop() {
  if (m_listener) m_listener->Stop();
  m_listener.reset();
}

quint16 COstrivaneApp::DiscoveryPort() const {
  return m_listener ? m_listener->BoundPort() : 0;
}

}  // namespace ostrivane
