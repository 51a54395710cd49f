#pragma once

#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>

#include "config/DeviceConfig.h"
#include "operations/OperationContext.h"
#include "ui/DisplayScale.h"
#include "ui/WriteState.h"
#include "ui/pages/PanelPage.h"

class QLabel;

namespace ostrivane {

class ColouredTabBar;
class DeviceThread;
class MultiplexPage;
class ServicePage;
class UsbPage;
class MiscPage;
class ManufacturerPage;

// The settings panel: the page strip 1270 and five pages sharing one area below it. It is open
// for a device between OpenForDevice and ClosePanel, and runs the periodic transfer on its timer:
// each tick runs on the device thread, and the timer is started again when the tick has finished.
class CSetting final : public QWidget, public PanelHost, public PanelDisplays {
  Q_OBJECT

 public:
  static constexpr int kPageCount = 5;

  CSetting(OperationContext& ctx, DeviceThread& device, QWidget* parent);

  // Once, right after construction: tab labels, page layouts, the shared page area.
  void BuildPages(const DisplayScale& scale);
  // After the device's first configuration read (the search step reads it on the device
  // thread): the pages for its model, the panel shown and polling started.
  void OpenForDevice();
  // Hidden and stopped at once; when open for a device, one last send on the device thread of
  // what is unsent. then runs when that send has finished (at once when the panel was closed).
  // exiting: the window is closing, so a record the device did not take is kept in a file of
  // the data folder, and its name said on stderr and in the data folder's log.
  void ClosePanel(std::function<void()> then = {}, bool exiting = false);

  int CurrentPage() const override { return m_currentPage; }
  int CurrentService() const override { return m_currentService; }
  int CurrentModulator() const override { return m_currentModulator; }
  void ChooseService(int index) override;
  void ChooseModulator(int index) override;
  void SelectPage(int page) override;
  void RunOnDevice(std::function<void(OperationContext&)> work) override;
  void NoteEdit() override;
  bool OverNetwork() const override { return m_overNetwork; }
  // The main window says how the device is reached once it is connected.
  void SetOverNetwork(bool overNetwork) { m_overNetwork = overNetwork; }

  // Where the edits stand; the send that did not apply is offered again by SendAgain.
  const WriteReport& Write() const { return m_write; }
  void SendAgain();

  void RefreshScheduleList() override;
  void ShowUsbStatus() override;
  void ShowServiceTabLabels() override;
  void ShowBitrateMeter() override;
  void SetClockText(const QString& text) override;

  // Height the main window gives the panel (the page strip and the page area).
  int LayoutHeight() const { return height(); }
  PanelPage* Page(int index) const;
  ColouredTabBar* PageTabs() const { return m_pageTabs; }
  QPoint PageAreaOrigin() const;
  bool PollingActive() const { return m_timer.isActive(); }

 Q_SIGNALS:
  void WriteStateChanged(const ostrivane::WriteReport& report);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor PageTabColour(int index) const;
  // One line where a page shows nothing in the current mode; entry -1 hides it.
  void ShowEmptyNote(int entry);
  void PlacePageArea(const DisplayScale& scale);
  void OnPanelTimer();
  // True when the coming tick sends the record.
  bool TickSends() const;
  void ReportWrite(WriteState state, SendOutcome outcome = SendOutcome::None);
  // After the tick's send: the installer's edits stay when the device did not take them.
  void FinishWrite(SendOutcome outcome, bool keepEdits);
  void ReportUnsent(const QString& path) const;

  OperationContext& m_ctx;
  DeviceThread& m_device;
  ColouredTabBar* m_pageTabs = nullptr;
  QWidget* m_pageArea = nullptr;
  QLabel* m_emptyNote = nullptr;
  MultiplexPage* m_multiplex = nullptr;
  ServicePage* m_service = nullptr;
  UsbPage* m_usb = nullptr;
  MiscPage* m_misc = nullptr;
  ManufacturerPage* m_manufacturer = nullptr;
  std::array<PanelPage*, kPageCount> m_pages{};
  QTimer m_timer{this};
  WriteReport m_write;
  // The model as it was sent, kept until the device answered.
  DeviceConfig m_sentEdits;
  bool m_closing = false;
  bool m_overNetwork = false;
  int m_currentPage = -1;
  int m_currentService = 0;
  int m_currentModulator = 0;
};

}  // namespace ostrivane
