#include "ui/Setting.h"

#include <QDateTime>
#include <QDialog>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <utility>

#include "config/ConfigDiff.h"
#include "link/CXmit.h"
#include "link/Commands.h"
#include "operations/Transfer.h"
#include "texts/TextTable.h"
#include "texts/WindowTexts.h"
#include "ui/ColouredTabBar.h"
#include "ui/ControlIds.h"
#include "ui/device/DeviceThread.h"
#include "ui/pages/ManufacturerPage.h"
#include "ui/pages/MiscPage.h"
#include "ui/pages/MultiplexPage.h"
#include "ui/pages/ServicePage.h"
#include "ui/pages/UsbPage.h"

namespace ostrivane {

namespace {

constexpr int kMultiplexTabText = 40;
constexpr int kServiceTabText = 41;
constexpr int kMiscTabText = 42;

// Page area origin in units that the display scale multiplies.
constexpr double kPageAreaLeft = 2.0;
constexpr double kPageAreaTop = 33.0;
// The page area is never smaller than this (at 96 DPI), so the window keeps its proportions
// whatever the pages hold.
constexpr int kMinimumAreaWidth = 780;
constexpr int kMinimumAreaHeight = 260;
constexpr int kBottomMargin = 4;
constexpr int kEmptyNoteMargin = 12;
// How long a request refused for a changed connection is said.
constexpr int kRefusedTextMs = 2000;

}  // namespace

CSetting::CSetting(OperationContext& ctx, DeviceThread& device, QWidget* parent)
    : QWidget(parent), m_ctx(ctx), m_device(device) {
  setObjectName(QStringLiteral("settingsPanel"));
  setAccessibleName(WindowText(u"Settings", m_ctx.settings.LanguageIndex()));
  m_timer.setObjectName(QStringLiteral("panelTimer"));
  m_timer.setSingleShot(true);
  // The two-second send and the poll period are counted in its ticks: never early.
  m_timer.setTimerType(Qt::PreciseTimer);
  connect(&m_timer, &QTimer::timeout, this, &CSetting::OnPanelTimer);

  m_pageTabs = new ColouredTabBar([this](int index) { return PageTabColour(index); }, this);
  m_pageTabs->setProperty(control::kProperty, control::PageTabs);
  m_pageTabs->setObjectName(QStringLiteral("pageTabs"));
  m_pageTabs->setAccessibleName(WindowText(u"Pages", m_ctx.settings.LanguageIndex()));
  connect(m_pageTabs, &QTabBar::currentChanged, this, [this](int index) { SelectPage(index); });

  m_pageArea = new QWidget(this);
  m_pageArea->setObjectName(QStringLiteral("pageArea"));
  m_emptyNote = new QLabel(m_pageArea);
  m_emptyNote->setObjectName(QStringLiteral("emptyPageNote"));
  m_emptyNote->move(kEmptyNoteMargin, kEmptyNoteMargin);
  m_emptyNote->hide();
  m_multiplex = new MultiplexPage(*this, m_ctx, m_pageArea);
  m_service = new ServicePage(*this, m_ctx, m_pageArea);
  m_usb = new UsbPage(*this, m_ctx, m_pageArea);
  m_misc = new MiscPage(*this, m_ctx, m_pageArea);
  m_manufacturer = new ManufacturerPage(*this, m_ctx, m_pageArea);
  m_pages = {m_multiplex, m_service, m_usb, m_misc, m_manufacturer};
  hide();
}

void CSetting::BuildPages(const DisplayScale& scale) {
  const int language = m_ctx.settings.LanguageIndex();
  m_pageTabs->SetItems({LocalText(kMultiplexTabText, language),
                        LocalText(kServiceTabText, language), QStringLiteral("USB (M1A)"),
                        LocalText(kMiscTabText, language), QStringLiteral("MANUFACTURER")});
  for (PanelPage* page : m_pages) page->PageLayout();
  PlacePageArea(scale);
  for (PanelPage* page : m_pages) page->hide();
  setTabOrder(m_pageTabs, m_pageArea);
}

void CSetting::PlacePageArea(const DisplayScale& scale) {
  QSize area(static_cast<int>(kMinimumAreaWidth * scale.ratio),
             static_cast<int>(kMinimumAreaHeight * scale.ratio));
  for (PanelPage* page : m_pages) area = area.expandedTo(page->sizeHint());
  const int stripHeight = m_pageTabs->sizeHint().height();
  // The page area starts where the display scale puts it, but never over the strip.
  const QPoint origin(static_cast<int>(kPageAreaLeft * scale.step),
                      std::max(static_cast<int>(kPageAreaTop * scale.ratio), stripHeight + 2));
  m_pageArea->setGeometry(QRect(origin, area));
  for (PanelPage* page : m_pages) page->setGeometry(QRect(QPoint(0, 0), area));
  const int width = origin.x() * 2 + area.width();
  m_pageTabs->setGeometry(0, 0, width, stripHeight);
  setFixedSize(width, origin.y() + area.height() + kBottomMargin);
}

QPoint CSetting::PageAreaOrigin() const {
  return m_pageArea->pos();
}

PanelPage* CSetting::Page(int index) const {
  return index >= 0 && index < kPageCount ? m_pages[static_cast<std::size_t>(index)] : nullptr;
}

void CSetting::OpenForDevice() {
  NextEpoch();
  m_multiplex->RefillProtocolList(m_ctx.identity.DeviceTypeCode);
  m_currentPage = -1;
  m_currentService = 0;
  m_currentModulator = 0;
  m_closing = false;
  ReportWrite(WriteState::Idle);
  show();
  m_ctx.panel.SendCountdown = 0;
  m_ctx.panel.PlayerCommand = 0;
  m_ctx.panel.PanelActive = 1;
  m_timer.start(kFirstPanelTickMs);
  SelectPage(m_ctx.settings.ManufacturerMode() ? ManufacturerPage::kIndex : MultiplexPage::kIndex);
}

void CSetting::ClosePanel(std::function<void()> then, bool exiting) {
  m_timer.stop();
  hide();
  NextEpoch();
  if (m_closing) {
    // The last send is already under way: then follows it.
    m_device.Submit([](OperationContext&) {}, std::move(then));
    return;
  }
  if (m_ctx.panel.PanelActive == 0) {
    if (then) then();
    return;
  }
  // Decided on the device thread once every earlier job has been merged: what is unsent then goes
  // to the device before the link is given up.
  m_closing = true;
  // Only edits have a fate to tell; the send of an unedited panel is the closing's own.
  const bool edited = m_ctx.panel.UnsentEdits();
  if (edited) ReportWrite(WriteState::Sending);
  m_unsent.reset();
  auto unsent = std::make_shared<QString>();
  auto outcome = std::make_shared<SendOutcome>(SendOutcome::None);
  m_device.Submit(
      [unsent, outcome, exiting](OperationContext& ctx) {
        *unsent = FinalPanelSend(ctx, exiting, outcome.get());
      },
      [this, unsent, outcome, edited, exiting, edits = m_ctx.config, then = std::move(then)] {
        if (!unsent->isEmpty()) ReportUnsent(*unsent);
        const bool lost = *outcome == SendOutcome::LinkLost || *outcome == SendOutcome::NoAnswer;
        if (edited && lost && !exiting && m_ctx.panel.DeviceRecordRead) m_unsent = edits;
        m_ctx.panel.PanelActive = 0;
        m_closing = false;
        if (edited) FinishWrite(*outcome, false);
        if (then) then();
      });
}

void CSetting::NextEpoch() {
  ++m_epoch;
  const QList<QPointer<QDialog>> open = std::exchange(m_boundDialogs, {});
  for (const QPointer<QDialog>& dialog : open) {
    if (dialog) dialog->reject();
  }
}

bool CSetting::StillConnected(std::uint32_t epoch) {
  if (epoch == m_epoch && m_ctx.panel.PanelActive != 0) return true;
  m_ctx.status.ShowStatusText(LocalText(text::ConnectionChanged, m_ctx.settings.LanguageIndex()),
                              kRefusedTextMs, false);
  return false;
}

void CSetting::BindToConnection(QDialog* dialog) {
  m_boundDialogs.removeAll(nullptr);
  m_boundDialogs.append(dialog);
}

void CSetting::OfferUnsentEdits(const QString& unit, bool sameDevice) {
  const std::optional<DeviceConfig> kept = std::exchange(m_unsent, std::nullopt);
  if (!kept || !sameDevice || m_ctx.panel.PanelActive == 0) return;
  QStringList differences = ConfigDiffLines(m_ctx.config, *kept);
  if (differences.isEmpty()) return;
  constexpr qsizetype kShownDifferences = 20;
  if (differences.size() > kShownDifferences) {
    const qsizetype more = differences.size() - kShownDifferences;
    differences.resize(kShownDifferences);
    differences << QStringLiteral("... (+%1)").arg(more);
  }
  MessageBoxRequest box;
  box.owner = PromptOwner::MainWindow;
  box.caption = QStringLiteral("Ostrivane");
  box.text = LocalText(text::UnsentAfterLinkLoss, m_ctx.settings.LanguageIndex())
                 .arg(unit, differences.join(u'\n'));
  box.buttons = PromptButtons::OkCancel;
  box.icon = PromptIcon::Exclamation;
  const std::uint32_t epoch = m_epoch;
  m_ctx.prompts.AskMessage(box, [this, epoch, edits = *kept](PromptAnswer answer) {
    if (answer != PromptAnswer::Ok || !StillConnected(epoch)) return;
    // A whole record again: the kept edits over what the device holds, sent at the next tick.
    m_ctx.config = edits;
    m_ctx.panel.RequestSendNow();
    ReportWrite(WriteState::Pending);
    SelectPage(m_currentPage);
  });
}

void CSetting::ReportUnsent(const QString& path) const {
  const QString line =
      QStringLiteral(
          "The device did not take the last changes; they are kept in %1 (LOAD sends them).")
          .arg(QDir::toNativeSeparators(path));
  std::fprintf(stderr, "ostrivane: %s\n", qPrintable(line));
  // Into activity.log with the rest of the session, in the window's language.
  m_ctx.status.NoteActivity(LocalText(text::UnsentKept, m_ctx.settings.LanguageIndex())
                                .arg(QDir::toNativeSeparators(path)));
}

bool CSetting::TickSends() const {
  const PanelState& panel = m_ctx.panel;
  return panel.SendCountdown == 1 || (panel.SendCountdown != 0 && panel.PlayerCommand != 0);
}

void CSetting::OnPanelTimer() {
  const bool sends = TickSends();
  if (sends) {
    m_sentEdits = m_ctx.config;
    ReportWrite(WriteState::Sending);
  }
  auto outcome = std::make_shared<SendOutcome>(SendOutcome::None);
  m_device.Submit([outcome](OperationContext& ctx) { *outcome = PanelTick(ctx, true); },
                  [this, outcome, sends] {
                    if (sends) FinishWrite(*outcome, true);
                    // Measured from the end of the tick, so a slow device stretches the period
                    // instead of piling up ticks.
                    if (m_ctx.panel.PanelActive != 0 && !m_closing) {
                      m_timer.start(kPanelTickPeriodMs);
                    }
                  });
}

void CSetting::FinishWrite(SendOutcome outcome, bool keepEdits) {
  if (outcome == SendOutcome::None) return;
  const bool editedMeanwhile = m_ctx.panel.SendCountdown != 0;
  if (outcome == SendOutcome::Sent) {
    ReportWrite(WriteState::Sent, outcome);
  } else {
    // The read-back put the device's old values into the model: the installer's stay instead,
    // shown as not applied, until they are sent again. Edits made meanwhile already won.
    if (keepEdits && !editedMeanwhile && m_ctx.panel.PanelActive != 0) {
      m_ctx.config = m_sentEdits;
      SelectPage(m_currentPage);
    }
    ReportWrite(WriteState::NotApplied, outcome);
  }
  if (editedMeanwhile) ReportWrite(WriteState::Pending);
}

void CSetting::NoteEdit() {
  if (m_write.state != WriteState::Sending) ReportWrite(WriteState::Pending);
}

void CSetting::SendAgain() {
  if (m_ctx.panel.PanelActive == 0 || m_closing) return;
  m_ctx.panel.RequestSendNow();
  ReportWrite(WriteState::Pending);
}

void CSetting::ReportWrite(WriteState state, SendOutcome outcome) {
  m_write.state = state;
  m_write.outcome = outcome;
  if (state == WriteState::Sent) m_write.at = QTime::currentTime();
  Q_EMIT WriteStateChanged(m_write);
}

void CSetting::RunOnDevice(std::function<void(OperationContext&)> work) {
  m_device.Submit(std::move(work));
}

void CSetting::RunOnDeviceThen(std::function<void(OperationContext&)> work,
                               std::function<void()> then) {
  m_device.Submit(std::move(work), std::move(then));
}

void CSetting::SelectPage(int page) {
  if (Page(page) == nullptr) return;
  m_ctx.panel.UpdatingGuard = 1;
  if (page != m_currentPage) {
    m_currentPage = page;
    m_pageTabs->SelectQuietly(page);
    const bool usbShown = m_ctx.config.CapabilityPlayRecord != 0;
    const bool manufacturerShown =
        m_ctx.settings.AdvancedMode() || m_ctx.settings.ManufacturerMode();
    m_multiplex->PageShow(page == MultiplexPage::kIndex);
    m_service->PageShow(page == ServicePage::kIndex);
    m_usb->PageShow(page == UsbPage::kIndex && usbShown);
    m_misc->PageShow(page == MiscPage::kIndex);
    m_manufacturer->PageShow(page == ManufacturerPage::kIndex && manufacturerShown);
    ShowEmptyNote(page == UsbPage::kIndex && !usbShown                     ? text::NoUsbPlayRecord
                  : page == ManufacturerPage::kIndex && !manufacturerShown ? text::ModesOnly
                                                                           : -1);
  }
  m_multiplex->SelectModulatorTab(m_currentModulator);
  m_service->SelectServiceTab(m_currentService);
  Page(m_currentPage)->PageFill();
  m_ctx.panel.UpdatingGuard = 0;
  // The USB tab's colour follows the capability, which a fill may just have changed.
  m_pageTabs->update();
}

void CSetting::ShowEmptyNote(int entry) {
  const QString note = entry < 0 ? QString() : LocalText(entry, m_ctx.settings.LanguageIndex());
  m_emptyNote->setText(note);
  m_emptyNote->setAccessibleName(note);
  m_emptyNote->adjustSize();
  m_emptyNote->setVisible(entry >= 0);
  if (entry >= 0) m_emptyNote->raise();
}

void CSetting::ChooseService(int index) {
  m_currentService = std::clamp(index, 0, kServiceSlots - 1);
  SelectPage(m_currentPage);
}

void CSetting::ChooseModulator(int index) {
  m_currentModulator = std::clamp(index, 0, kModulatorSlots - 1);
  SelectPage(m_currentPage);
}

QColor CSetting::PageTabColour(int index) const {
  switch (index) {
    case MultiplexPage::kIndex:
      return ColouredTabBar::kRoyalBlue;
    case ServicePage::kIndex:
      return ColouredTabBar::kLimeGreen;
    case UsbPage::kIndex:
      return m_ctx.config.CapabilityPlayRecord != 0 ? ColouredTabBar::kLimeGreen
                                                    : ColouredTabBar::kSilver;
    case MiscPage::kIndex:
      return ColouredTabBar::kOrange;
    default:
      return ColouredTabBar::kDarkRed;
  }
}

void CSetting::RefreshScheduleList() {
  m_usb->RefreshScheduleList();
}
void CSetting::ShowUsbStatus() {
  m_usb->ShowUsbStatus();
}
void CSetting::ShowServiceTabLabels() {
  m_service->ShowServiceTabLabels();
}
void CSetting::ShowBitrateMeter() {
  m_multiplex->ShowBitrateMeter();
}
void CSetting::SetClockText(const QString& text) {
  m_usb->SetClockText(text);
}

void CSetting::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
      // Neither closes nor changes anything on the panel.
      event->accept();
      return;
    default:
      QWidget::keyPressEvent(event);
  }
}

void CSetting::paintEvent(QPaintEvent*) {
  // A rule between the panel and the status bar below it.
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::Mid));
  painter.drawLine(0, height() - 1, width() - 1, height() - 1);
}

}  // namespace ostrivane
