#pragma once

#include <QTimer>
#include <QWidget>

#include "link/Connection.h"
#include "operations/OperationContext.h"
#include "ui/DisplayScale.h"

namespace ostrivane {

class CInfo;
class CSetting;
class DiscoveryTable;

// "Ostrivane 1.0", then " (setup N)" for a non-zero setup version, then the connected hardware
// " (H131[83]-20.10)" when identity is given.
QString WindowTitle(int setupVersion, const DeviceIdentity* connected);

// The main window: the settings panel above the status bar. Timer 1 searches for a device, one
// ConnectStep per expiry; timer 2 watches the connected device and falls back to searching.
class COstrivaneDlg final : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kFirstSearchMs = 100;
  static constexpr int kSearchPeriodMs = 1000;
  static constexpr int kFirstWatchMs = 1000;
  static constexpr int kWatchPeriodMs = 100;
  static constexpr int kWaitingTextMs = 2000;
  static constexpr int kRestartWarningMs = 200;
  static constexpr int kConnectedTextMs = 1000000;

  COstrivaneDlg(OperationContext& ctx, const DiscoveryTable& discovery,
                ConnectionOptions connection, QWidget* parent = nullptr);
  ~COstrivaneDlg() override;

  CInfo& Info() { return *m_info; }
  CSetting& Setting() { return *m_setting; }
  const DisplayScale& Scale() const { return m_scale; }

  // Rebuilds the title and stacks the panel (when withPanel) over the status bar.
  void UpdateTitleAndLayout(bool withPanel);
  // One attempt to find, check and show a device; true when one is connected.
  bool ConnectStep();
  // True from a successful ConnectStep until the next fall-back to searching.
  bool Connected() const { return m_connected; }

 Q_SIGNALS:
  void DeviceConnected();
  void SearchResumed();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void OnSearchTimer();
  void OnWatchTimer();
  void FallBackToSearching();
  void OnLogButton();

  OperationContext& m_ctx;
  const DiscoveryTable& m_discovery;
  ConnectionOptions m_connection;
  DisplayScale m_scale;
  CSetting* m_setting = nullptr;
  CInfo* m_info = nullptr;
  QTimer m_searchTimer;
  QTimer m_watchTimer;
  bool m_connected = false;
};

}  // namespace ostrivane
