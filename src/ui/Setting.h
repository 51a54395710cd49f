#pragma once

#include <QList>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>

#include "config/DeviceConfig.h"
#include "operations/OperationContext.h"
#include "ui/DisplayScale.h"
#include "ui/WriteState.h"
#include "ui/pages/PanelPage.h"

class QDialog;
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
  void RunOnDeviceThen(std::function<void(OperationContext&)> work,
                       std::function<void()> then) override;
  void NoteEdit() override;
  bool OverNetwork() const override { return m_overNetwork; }
  // The main window says how the device is reached once it is connected.
  void SetOverNetwork(bool overNetwork) { m_overNetwork = overNetwork; }
  std::uint32_t ConnectionEpoch() const override { return m_epoch; }
  bool StillConnected(std::uint32_t epoch) override;
  void BindToConnection(QDialog* dialog) override;

  // After a fall-back whose last send did not reach the device: its edits are kept.
  bool KeepsUnsentEdits() const { return m_unsent.has_value(); }
  // Once the panel is open again: for the device the kept edits were made for (sameDevice) the
  // installer is asked whether to send them, shown what differs from the record just read; for
  // any other device they are dropped. unit names the device in the question.
  void OfferUnsentEdits(const QString& unit, bool sameDevice);

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
  // The panel opens or closes: dialogs still open for the connection before are closed.
  void NextEpoch();

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
  // The edits a lost link kept from the device, until its next connection.
  std::optional<DeviceConfig> m_unsent;
  bool m_closing = false;
  bool m_overNetwork = false;
  std::uint32_t m_epoch = 0;
  QList<QPointer<QDialog>> m_boundDialogs;
  int m_currentPage = -1;
  int m_currentService = 0;
  int m_currentModulator = 0;
};

}  // namespace ostrivane
