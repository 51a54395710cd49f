#pragma once

#include <QString>
#include <QTranslator>
#include <memory>

#include "common/Clock.h"
#include "config/DeviceConfig.h"
#include "config/PanelState.h"
#include "config/RecordShape.h"
#include "discovery/DiscoveryListener.h"
#include "discovery/DiscoveryTable.h"
#include "files/ApplicationData.h"
#include "link/CXmit.h"
#include "link/Connection.h"
#include "link/DeviceIdentity.h"
#include "operations/OperationContext.h"
#include "ui/QtPrompts.h"
#include "ui/UiRelays.h"
#include "ui/device/WindowMailbox.h"

namespace ostrivane {

class COstrivaneDlg;
class DeviceThread;

struct AppOptions {
  QString dataFolder;     // empty: the current directory
  QString desktopFolder;  // empty: the user's desktop
  DiscoveryOptions discovery;
  ConnectionOptions connection;
  // --trace: sees every request and reply of the link (must outlive the application).
  LinkObserver* linkTrace = nullptr;
  // Tests only: a clock for the link's deadlines and scripted prompts.
  Clock* linkClock = nullptr;
  Prompts* prompts = nullptr;
  // Tests only: the discovery table's clock (entries age out by it); read on the listener thread.
  Clock* discoveryClock = nullptr;
};

// The application: owns every single instance of the run (settings, link, identity, discovery,
// configuration and panel state) and the main window that works on them.
class COstrivaneApp {
 public:
  explicit COstrivaneApp(AppOptions options = {});
  ~COstrivaneApp();
  COstrivaneApp(const COstrivaneApp&) = delete;
  COstrivaneApp& operator=(const COstrivaneApp&) = delete;

  // The whole run: Start, the event loop until the main window closes, Stop. Returns the exit
  // code of the event loop.
  int InitInstance();
  // Data files, the main window (shown) and the discovery listener, in that order.
  void Start();
  // Stops the discovery listener; the main window stays for inspection until destruction, and
  // the device thread until then too (closing the window has finished its work).
  void Stop();

  COstrivaneDlg* MainDialog() const { return m_dialog.get(); }
  OperationContext& Context() { return m_ctx; }
  // The thread that owns the link; exists from Start() on.
  DeviceThread& Device() { return *m_device; }
  // discovery_start code of the listener (its failure is told only in the activity panel).
  int DiscoveryStartCode() const { return m_discoveryCode; }
  quint16 DiscoveryPort() const;

 private:
  Clock& LinkClock() { return m_options.linkClock ? *m_options.linkClock : m_clock; }
  Prompts& ChosenPrompts() {
    return m_options.prompts ? *m_options.prompts : static_cast<Prompts&>(m_qtPrompts);
  }

  AppOptions m_options;
  SteadyClock m_clock;
  // Carries the device thread's calls to the window's thread; outlives everything that posts.
  WindowMailbox m_mailbox;
  ApplicationData m_settings;
  StatusRelay m_status;
  DisplaysRelay m_displays;
  QtPrompts m_qtPrompts;
  // Qt's own texts (file dialogs, standard buttons) in the window's language.
  QTranslator m_qtTranslator;
  CXmit m_link;
  DeviceIdentity m_identity;
  DiscoveryTable m_discovery;
  std::unique_ptr<DiscoveryListener> m_listener;
  int m_discoveryCode = discovery_start::kSocketFailed;
  DeviceConfig m_config;
  PanelState m_panel;
  RecordShape m_shape;
  DeviceStatusPair m_deviceStatus;
  ConnectionFlags m_flags;
  OperationContext m_ctx;
  // Owns the link from Start() on; stopped before the window goes.
  std::unique_ptr<DeviceThread> m_device;
  std::unique_ptr<COstrivaneDlg> m_dialog;
};

}  // namespace ostrivane
