#include "ui/OstrivaneDlg.h"

#include <QCloseEvent>
#include <QDateTime>
#include <algorithm>

#include "operations/DeviceActions.h"
#include "operations/DeviceFiles.h"
#include "operations/FirmwareUpgrade.h"
#include "operations/ModelTable.h"
#include "texts/TextTable.h"
#include "ui/Info.h"
#include "ui/Pictures.h"
#include "ui/Setting.h"

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

COstrivaneDlg::COstrivaneDlg(OperationContext& ctx, const DiscoveryTable& discovery,
                             ConnectionOptions connection, QWidget* parent)
    : QWidget(parent), m_ctx(ctx), m_discovery(discovery), m_connection(std::move(connection)) {
  setObjectName(QStringLiteral("mainWindow"));
  setWindowIcon(PictureIcon(Picture::Application));
  m_scale = MeasureDisplayScale(*this);

  m_setting = new CSetting(m_ctx, this);
  m_setting->BuildPages(m_scale);
  m_info = new CInfo(m_ctx.settings, this);
  connect(m_info, &CInfo::LogRequested, this, &COstrivaneDlg::OnLogButton);
  setFixedWidth(std::max(m_setting->width(), m_info->sizeHint().width()));
  setTabOrder(m_setting, m_info);
  UpdateTitleAndLayout(false);

  for (QTimer* timer : {&m_searchTimer, &m_watchTimer}) timer->setSingleShot(true);
  connect(&m_searchTimer, &QTimer::timeout, this, &COstrivaneDlg::OnSearchTimer);
  connect(&m_watchTimer, &QTimer::timeout, this, &COstrivaneDlg::OnWatchTimer);
  m_searchTimer.start(kFirstSearchMs);
}

COstrivaneDlg::~COstrivaneDlg() = default;

void COstrivaneDlg::UpdateTitleAndLayout(bool withPanel) {
  int top = 0;
  if (withPanel) {
    m_setting->move(0, 0);
    top = m_setting->LayoutHeight();
  } else {
    m_setting->hide();
  }
  const int statusHeight = m_info->sizeHint().height();
  m_info->setGeometry(0, top, width(), statusHeight);
  m_info->show();
  // The window manager adds its own frame around this height.
  setFixedHeight(top + statusHeight);
  setWindowTitle(WindowTitle(m_ctx.settings.SetupVersion(), withPanel ? &m_ctx.identity : nullptr));
}

bool COstrivaneDlg::ConnectStep() {
  const int language = m_ctx.settings.LanguageIndex();
  if (m_ctx.flags.EdidRequest) ProgramEdid(m_ctx);
  if (m_ctx.flags.RestartWaitTicks != 0) {
    m_info->ShowWarningIcon(true);
    m_info->ShowStatusText(LocalText(text::WaitDoNotPowerOff, language), kRestartWarningMs, false);
  } else {
    m_info->ShowWarningIcon(false);
    m_info->ShowStatusText(LocalText(text::WaitingConnection, language), kWaitingTextMs, false);
  }
  m_info->EnableLogButton(false);
  m_info->SetProgress(1, 0);
  UpdateTitleAndLayout(false);
  if (!ConnectDevice(m_ctx.link, m_ctx.identity, m_discovery, m_connection)) return false;
  if (HardwareCheck(m_ctx)) return false;
  m_info->ShowWarningIcon(false);
  UpdateTitleAndLayout(true);
  m_setting->OpenForDevice();
  m_info->ShowStatusText(LocalText(text::HardwareConnected, language), kConnectedTextMs, false);
  m_info->EnableLogButton(true);
  return true;
}

void COstrivaneDlg::OnSearchTimer() {
  m_searchTimer.stop();
  m_connected = ConnectStep();
  if (m_connected) {
    m_watchTimer.start(kFirstWatchMs);
  } else {
    m_searchTimer.start(kSearchPeriodMs);
  }
  std::int32_t& ticks = m_ctx.flags.RestartWaitTicks;
  ticks = std::max<std::int32_t>(ticks - 1, 0);
  if (m_connected) Q_EMIT DeviceConnected();
}

void COstrivaneDlg::OnWatchTimer() {
  m_watchTimer.stop();
  if (m_ctx.flags.EdidRequest) {
    // The link stays open: the next search step sends the programming command over it first.
    m_setting->ClosePanel();
    UpdateTitleAndLayout(false);
    FallBackToSearching();
    return;
  }
  const bool linkError = m_ctx.link.LinkError;
  m_ctx.link.LinkError = false;
  if (linkError || m_ctx.flags.FirmwareReloadRequest) {
    m_setting->ClosePanel();
    UpdateTitleAndLayout(false);
    m_ctx.link.CloseSerial();
    FallBackToSearching();
    return;
  }
  m_watchTimer.start(kWatchPeriodMs);
}

void COstrivaneDlg::FallBackToSearching() {
  m_connected = false;
  m_searchTimer.start(kFirstSearchMs);
  Q_EMIT SearchResumed();
}

void COstrivaneDlg::OnLogButton() {
  DownloadLogs(m_ctx, QDateTime::currentDateTime(), m_ctx.settings.DefaultSaveFolder());
}

void COstrivaneDlg::closeEvent(QCloseEvent* event) {
  m_searchTimer.stop();
  m_watchTimer.stop();
  m_setting->ClosePanel();
  m_connected = false;
  QWidget::closeEvent(event);
}

}  // namespace ostrivane
