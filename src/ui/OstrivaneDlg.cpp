#include "ui/OstrivaneDlg.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QResizeEvent>
#include <QScrollArea>
#include <algorithm>
#include <memory>

#include "operations/DeviceActions.h"
#include "operations/DeviceFiles.h"
#include "operations/ModelTable.h"
#include "texts/TextTable.h"
#include "ui/DeviceList.h"
#include "ui/Info.h"
#include "ui/Pictures.h"
#include "ui/Setting.h"
#include "ui/device/ConnectionSteps.h"
#include "ui/device/DeviceThread.h"

namespace ostrivane {

QString WindowTitle(int setupVersion, const DeviceIdentity* connected) {
  QString title = QStringLiteral("Ostrivane ") + QString::fromLatin1(OSTRIVANE_VERSION);
  if (setupVersion != 0) title += QStringLiteral(" (setup %1)").arg(setupVersion);
  if (connected != nullptr) {
    const unsigned type = connected->DeviceTypeCode;
    title += QStringLiteral(" (H%1[%2]-%3)")
                 .arg(type)
                 .arg(QString::number(type, 16).toUpper(), FormatTitleVersion(*connected));
  }
  return title;
}

COstrivaneDlg::COstrivaneDlg(OperationContext& ctx, DeviceThread& device,
                             const DiscoveryTable& discovery, ConnectionOptions connection,
                             QWidget* parent)
    : QWidget(parent),
      m_ctx(ctx),
      m_device(device),
      m_discovery(discovery),
      m_connection(std::move(connection)) {
  setObjectName(QStringLiteral("mainWindow"));
  setWindowIcon(PictureIcon(Picture::Application));
  m_scale = MeasureDisplayScale(*this);

  // First in the focus chain: while it is shown, the list is where the keyboard starts.
  BuildDeviceList();
  m_setting = new CSetting(m_ctx, m_device, this);
  m_setting->BuildPages(m_scale);
  // Where the window does not fit its screen, the pages scroll instead of being cut off.
  m_pagesScroll = new QScrollArea(this);
  m_pagesScroll->setObjectName(QStringLiteral("pagesScroll"));
  m_pagesScroll->setFrameShape(QFrame::NoFrame);
  m_pagesScroll->setFocusPolicy(Qt::NoFocus);
  m_pagesScroll->setWidget(m_setting);
  m_pagesScroll->hide();
  m_setting->hide();
  m_info = new CInfo(m_ctx.settings, this);
  connect(m_info, &CInfo::LogRequested, this, &COstrivaneDlg::OnLogButton);
  connect(m_info, &CInfo::WindowLockRequested, this, &COstrivaneDlg::OnWindowLock);
  connect(m_info, &CInfo::ChangeDeviceRequested, this, &COstrivaneDlg::OnChangeDevice);
  BuildActivity();
  m_fullWidth = std::max(m_setting->width(), m_info->sizeHint().width());
  setTabOrder(m_setting, m_info);
  UpdateTitleAndLayout(false);

  m_searchTimer.setObjectName(QStringLiteral("searchTimer"));
  m_watchTimer.setObjectName(QStringLiteral("watchTimer"));
  for (QTimer* timer : {&m_searchTimer, &m_watchTimer}) {
    timer->setSingleShot(true);
    // Coarse timers may fire 5 % early; these periods are the protocol's.
    timer->setTimerType(Qt::PreciseTimer);
  }
  connect(&m_searchTimer, &QTimer::timeout, this, &COstrivaneDlg::OnSearchTimer);
  connect(&m_watchTimer, &QTimer::timeout, this, &COstrivaneDlg::OnWatchTimer);
  m_searchTimer.start(kFirstSearchMs);
}

COstrivaneDlg::~COstrivaneDlg() = default;

void COstrivaneDlg::UpdateTitleAndLayout(bool withPanel) {
  int top = 0;
  m_panelShown = withPanel;
  if (withPanel) {
    m_deviceList->hide();
    top = m_setting->LayoutHeight();
  } else {
    m_pagesScroll->hide();
    m_setting->hide();
    m_deviceList->setVisible(m_deviceListShown);
    if (m_deviceListShown) top = m_deviceList->LayoutHeight();
  }
  const QSize needed(m_fullWidth, top + m_info->sizeHint().height());
  m_fit = FitToScreen(needed, AvailableClientSize(*this));
  if (m_fit.scrolls) {
    // The window manager may now size it anywhere up to the described size.
    setMinimumSize(m_fit.window.boundedTo(needed / 2));
    setMaximumSize(needed);
    resize(m_fit.window);
  } else {
    // The window manager adds its own frame around this size.
    setFixedSize(needed);
  }
  PlaceChildren(m_fit.window);
  setWindowTitle(WindowTitle(m_ctx.settings.SetupVersion(), withPanel ? &m_ctx.identity : nullptr));
}

void COstrivaneDlg::PlaceChildren(QSize size) {
  const int statusHeight = m_info->sizeHint().height();
  const int top = std::max(0, size.height() - statusHeight);
  if (m_panelShown) {
    m_pagesScroll->setGeometry(0, 0, size.width(), top);
    m_pagesScroll->show();
  } else if (m_deviceListShown) {
    m_deviceList->setGeometry(0, 0, size.width(), top);
  }
  m_info->setGeometry(0, top, size.width(), statusHeight);
  m_info->show();
}

void COstrivaneDlg::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (m_fit.scrolls) PlaceChildren(event->size());
}

void COstrivaneDlg::OnSearchTimer() {
  m_searchTimer.stop();
  m_info->EnableLogButton(false);
  RefreshDeviceList();
  UpdateTitleAndLayout(false);
  SubmitProbes();
  auto outcome = std::make_shared<ConnectOutcome>();
  m_device.Submit(
      [outcome, discovery = &m_discovery, connection = m_connection,
       target = NextTarget()](OperationContext& ctx) {
        *outcome = RunConnectStep(ctx, *discovery, connection, target);
      },
      [this, outcome] { FinishSearchStep(*outcome); });
}

void COstrivaneDlg::FinishSearchStep(const ConnectOutcome& outcome) {
  if (m_closing) return;
  std::int32_t& ticks = m_ctx.flags.RestartWaitTicks;
  ticks = std::max<std::int32_t>(ticks - 1, 0);
  NoteSearch(outcome);
  switch (outcome.result) {
    case ConnectOutcome::Result::NotFound:
      m_searchTimer.start(kSearchPeriodMs);
      return;
    case ConnectOutcome::Result::ReadFailed:
      FallBack(true, kFirstSearchMs);
      return;
    case ConnectOutcome::Result::RecordRefused:
      // Shown for a while before the next attempt says "Waiting connection..." again.
      m_info->ShowStatusText(LocalText(text::ConfigurationError, m_ctx.settings.LanguageIndex()),
                             kRefusedRecordTextMs, false);
      FallBack(true, kSearchPeriodMs);
      return;
    case ConnectOutcome::Result::Ready:
      break;
  }
  m_info->ShowWarningIcon(false);
  m_connected = true;
  m_deviceListShown = false;
  m_info->ShowChangeDevice(m_choice.Rack());
  UpdateTitleAndLayout(true);
  NoteConnected(outcome);
  m_setting->OpenForDevice();
  m_info->ShowStatusText(LocalText(text::HardwareConnected, m_ctx.settings.LanguageIndex()),
                         kConnectedTextMs, false);
  m_info->EnableLogButton(true);
  m_watchTimer.start(kFirstWatchMs);
  // Edits a lost link kept from a device go to that device alone, and only when asked.
  if (m_setting->KeepsUnsentEdits()) {
    m_setting->OfferUnsentEdits(m_unitIdentifier,
                                !m_unsentUnit.isEmpty() && m_unsentUnit == m_unitIdentifier);
  }
  Q_EMIT DeviceConnected();
}

void COstrivaneDlg::OnWatchTimer() {
  m_watchTimer.stop();
  if (m_ctx.flags.EdidRequest) {
    // The link stays open: the next search step sends the programming command over it first.
    FallBack(false, kFirstSearchMs);
    return;
  }
  auto linkError = std::make_shared<bool>(false);
  m_device.Submit([linkError](OperationContext& ctx) { *linkError = TakeLinkError(ctx); },
                  [this, linkError] { FinishWatchStep(*linkError); });
}

void COstrivaneDlg::FinishWatchStep(bool linkError) {
  if (m_closing || !m_connected) return;
  if (linkError || m_ctx.flags.FirmwareReloadRequest) {
    FallBack(true, kFirstSearchMs, linkError);
    return;
  }
  m_watchTimer.start(kWatchPeriodMs);
}

void COstrivaneDlg::FallBack(bool closeSerial, int firstSearchMs, bool linkLost) {
  m_watchTimer.stop();
  m_connected = false;
  // Logs come from a connected device only; the panel's last send may take a while.
  m_info->EnableLogButton(false);
  m_info->ShowChangeDevice(false);
  // The last send is tried first; only then is a lost link reported and the window shrunk.
  m_setting->ClosePanel([this, closeSerial, firstSearchMs, linkLost] {
    if (linkLost) {
      NoteActivity(LocalText(text::LinkLost, m_ctx.settings.LanguageIndex()));
      m_info->ShowStatusText(LocalText(text::WaitingConnection, m_ctx.settings.LanguageIndex()),
                             kWaitingTextMs, false);
    }
    RefreshDeviceList();
    UpdateTitleAndLayout(false);
    m_info->ShowUnit({});
    m_unsentUnit = m_setting->KeepsUnsentEdits() ? m_unitIdentifier : QString();
    m_unitIdentifier.clear();
    if (closeSerial) m_device.Submit([](OperationContext& ctx) { ctx.link.CloseSerial(); });
    if (m_closing) return;
    m_searchTimer.start(firstSearchMs);
    Q_EMIT SearchResumed();
  });
}

void COstrivaneDlg::OnLogButton() {
  const QDateTime now = QDateTime::currentDateTime();
  const QString folder = m_ctx.settings.DefaultSaveFolder();
  m_device.Submit([now, folder](OperationContext& ctx) { DownloadLogs(ctx, now, folder); });
}

void COstrivaneDlg::OnWindowLock(bool locked) {
  m_locked = locked;
  m_setting->setEnabled(!locked);
  if (locked) m_info->EnableLogButton(false);
}

void COstrivaneDlg::ShowFinishingText() {
  int entry = -1;
  switch (m_ctx.link.CurrentTransfer()) {
    case TransferKind::Firmware:
      entry = text::FinishingFirmware;
      break;
    case TransferKind::FactoryDefault:
      entry = text::FinishingFactoryDefault;
      break;
    case TransferKind::Logs:
      entry = text::FinishingLogs;
      break;
    case TransferKind::Configuration:
    case TransferKind::DeviceFile:
      entry = text::FinishingSend;
      break;
    case TransferKind::None:
      if (m_ctx.panel.PanelActive != 0 && m_ctx.panel.UnsentEdits()) entry = text::FinishingSend;
      break;
  }
  if (entry < 0) return;
  m_info->ShowStatusText(LocalText(entry, m_ctx.settings.LanguageIndex()), kClosingTextMs, false);
}

void COstrivaneDlg::closeEvent(QCloseEvent* event) {
  if (m_closeDone) {
    m_connected = false;
    QWidget::closeEvent(event);
    return;
  }
  // The window stays, painting and answering, until the device work is done.
  event->ignore();
  if (m_closing) {
    m_info->ShowStatusText(LocalText(text::AlreadyClosing, m_ctx.settings.LanguageIndex()),
                           kAlreadyClosingTextMs, false);
    return;
  }
  m_closing = true;
  m_deviceListTimer.stop();
  m_searchTimer.stop();
  m_watchTimer.stop();
  ShowFinishingText();
  // A poll or a read ends at once; a transfer that writes the device (a firmware image, a logo,
  // the factory store, a log download) runs to its end. Then what is unsent goes out.
  m_device.BeginClosing();
  m_setting->ClosePanel(
      [this] {
        m_device.Submit([](OperationContext&) {},
                        [this] {
                          m_closeDone = true;
                          close();
                        });
      },
      true);
}

}  // namespace ostrivane
