#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QSet>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "link/Connection.h"
#include "operations/OperationContext.h"
#include "ui/DisplayScale.h"
#include "ui/device/DeviceChoice.h"

class QScrollArea;

namespace ostrivane {

class CActivityPanel;
class CDeviceList;
class CInfo;
class CSetting;
class DeviceThread;
class DiscoveryTable;
struct ConnectOutcome;
struct WriteReport;

// "UNIT-A 127.0.0.1:6666 MAC 00:1a:2b:3c:4d:5e": the connected unit as the status bar names it.
// channel as the link describes it; the MAC only when the record holds one.
QString UnitName(const QString& identifier, const QString& channel, const DeviceConfig& config);

// Why a port or address could not be opened, in the window's language.
QString OpenFailureText(const OpenFailure& failure, int languageIndex);

// "Ostrivane 1.0", then " (setup N)" for a non-zero setup version, then the connected hardware
// " (H131[83]-20.10)" when identity is given.
QString WindowTitle(int setupVersion, const DeviceIdentity* connected);

// The main window: the settings panel above the status bar. Timer 1 searches for a device, one
// search step per expiry; timer 2 watches the connected device and falls back to searching. The
// device part of every step runs on the device thread; a timer is started again only when the
// step it drives has finished there, so steps never overlap.
class COstrivaneDlg final : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kFirstSearchMs = 100;
  static constexpr int kSearchPeriodMs = 1000;
  static constexpr int kFirstWatchMs = 1000;
  static constexpr int kWatchPeriodMs = 100;
  static constexpr int kConnectedTextMs = 1000000;
  static constexpr int kRefusedRecordTextMs = 2000;
  static constexpr int kClosingTextMs = 1000000;
  static constexpr int kAlreadyClosingTextMs = 5000;
  // The list of announced devices follows the discovery table at this pace.
  static constexpr int kDeviceListRefreshMs = 500;

  COstrivaneDlg(OperationContext& ctx, DeviceThread& device, const DiscoveryTable& discovery,
                ConnectionOptions connection, QWidget* parent = nullptr);
  ~COstrivaneDlg() override;

  CInfo& Info() { return *m_info; }
  CDeviceList& DeviceList() { return *m_deviceList; }
  CActivityPanel& Activity() { return *m_activity; }
  // True while the list of announced devices is shown instead of connecting on its own.
  bool DeviceListShown() const { return m_deviceListShown; }
  CSetting& Setting() { return *m_setting; }
  const DisplayScale& Scale() const { return m_scale; }

  // Rebuilds the title and stacks the panel (when withPanel) over the status bar.
  void UpdateTitleAndLayout(bool withPanel);
  // True from a successful search step until the next fall-back to searching.
  bool Connected() const { return m_connected; }
  // True while the main firmware image is written: the window refuses input.
  bool Locked() const { return m_locked; }
  // True from a close request until the window has closed: the device work under way is being
  // finished, and what is unsent goes out.
  bool Closing() const { return m_closing; }

 Q_SIGNALS:
  void DeviceConnected();
  void SearchResumed();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // The pages (in their scroll area) or the device list above the status bar, in this size.
  void PlaceChildren(QSize size);
  void OnSearchTimer();
  void FinishSearchStep(const ConnectOutcome& outcome);
  void OnWatchTimer();
  void FinishWatchStep(bool linkError);
  // Closes the panel (its last send), then says a lost link (linkLost), shrinks the window,
  // optionally closes a serial port, and searches again after firstSearchMs.
  void FallBack(bool closeSerial, int firstSearchMs, bool linkLost = false);
  void OnLogButton();
  void OnWindowLock(bool locked);
  // Closing: what the window is waiting for, in the status bar.
  void ShowFinishingText();

  // The activity panel and the unit's name (OstrivaneDlgActivity.cpp).
  void BuildActivity();
  void NoteConnected(const ConnectOutcome& outcome);
  // What the search tried (when that changes) and each reason a port could not be opened, once
  // per search.
  void NoteSearch(const ConnectOutcome& outcome);
  void NoteStatus(const QString& text);
  void NoteWrite(const WriteReport& report);
  void NoteActivity(const QString& event);

  // Choosing among several networked devices.
  void BuildDeviceList();
  // Follows the discovery table: what has been heard, the list's entries, whether it is shown.
  void RefreshDeviceList();
  // Identifies, once each, the announced devices the list shows, on the device thread.
  void SubmitProbes();
  NetworkTarget NextTarget() const;
  void OnDevicePicked(const QString& identifier);
  void OnChangeDevice();

  OperationContext& m_ctx;
  DeviceThread& m_device;
  const DiscoveryTable& m_discovery;
  ConnectionOptions m_connection;
  DisplayScale m_scale;
  CSetting* m_setting = nullptr;
  QScrollArea* m_pagesScroll = nullptr;
  int m_fullWidth = 0;
  ScreenFit m_fit;
  bool m_panelShown = false;
  CInfo* m_info = nullptr;
  CDeviceList* m_deviceList = nullptr;
  CActivityPanel* m_activity = nullptr;
  QString m_unitIdentifier;
  // The unit whose edits a lost link kept (empty: none, or a unit without an identifier).
  QString m_unsentUnit;
  QString m_lastStatusNoted;
  QSet<QString> m_openFailuresNoted;
  QString m_lastTriedNoted;
  DeviceChoice m_choice;
  QElapsedTimer m_listening;
  QHash<QString, DeviceIdentity> m_identified;
  QSet<QString> m_probed;
  bool m_deviceListShown = false;
  QTimer m_deviceListTimer;
  QTimer m_searchTimer{this};
  QTimer m_watchTimer{this};
  bool m_connected = false;
  bool m_locked = false;
  bool m_closing = false;
  // The device work has finished: the next close event is accepted.
  bool m_closeDone = false;
};

}  // namespace ostrivane
