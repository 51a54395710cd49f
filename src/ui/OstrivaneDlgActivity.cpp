// The main window's account of what happened: the activity panel (F9) and its log, the write
// state in the status bar and the name of the connected unit.
#include <QAction>
#include <QRegularExpression>
#include <algorithm>

#include "operations/ModelTable.h"
#include "texts/TextTable.h"
#include "texts/WindowTexts.h"
#include "ui/ActivityPanel.h"
#include "ui/Info.h"
#include "ui/OstrivaneDlg.h"
#include "ui/Setting.h"
#include "ui/WriteState.h"
#include "ui/device/ConnectionSteps.h"

namespace ostrivane {

namespace {

// "tcp:127.0.0.1:6666" -> "127.0.0.1"; empty for a serial channel.
QString TcpHost(const QString& channel) {
  static const QRegularExpression tcp(QStringLiteral("^tcp:(.*):[0-9]+$"));
  const QRegularExpressionMatch match = tcp.match(channel);
  return match.hasMatch() ? match.captured(1) : QString();
}

}  // namespace

QString UnitName(const QString& identifier, const QString& channel, const DeviceConfig& config) {
  QStringList parts;
  if (!identifier.isEmpty()) parts.append(identifier);
  QString where = channel;
  where.remove(QRegularExpression(QStringLiteral("^(tcp|serial):")));
  if (!where.isEmpty()) parts.append(where);
  const auto& mac = config.MacAddress;
  if (std::any_of(mac.begin(), mac.end(), [](std::int32_t byte) { return (byte & 0xFF) != 0; })) {
    QStringList bytes;
    for (std::int32_t byte : mac)
      bytes.append(QStringLiteral("%1").arg(byte & 0xFF, 2, 16, QLatin1Char('0')));
    parts.append(QStringLiteral("MAC ") + bytes.join(QLatin1Char(':')));
  }
  return parts.join(QStringLiteral("  "));
}

QString OpenFailureText(const OpenFailure& failure, int languageIndex) {
  const auto local = [languageIndex](int entry) { return LocalText(entry, languageIndex); };
  switch (failure.cause) {
    case OpenFailure::Cause::Permission:
      return local(text::PortPermission).arg(failure.where, failure.group);
    case OpenFailure::Cause::NoDevice:
      return local(text::PortMissing).arg(failure.where);
    case OpenFailure::Cause::Refused:
      return local(text::TcpRefused).arg(failure.where);
    case OpenFailure::Cause::NoAnswer:
      return local(text::TcpNoAnswer).arg(failure.where);
    case OpenFailure::Cause::NotAnAddress:
    case OpenFailure::Cause::Other:
      break;
  }
  // The system's own words (or the English sentence) where no entry says it better.
  return local(text::PortFailed)
      .arg(failure.where, failure.detail.isEmpty() ? failure.Sentence() : failure.detail);
}

void COstrivaneDlg::BuildActivity() {
  const int language = m_ctx.settings.LanguageIndex();
  m_activity =
      new CActivityPanel(m_ctx.settings.DataFolder(), LocalText(text::Activity, language), this);
  auto* toggle = new QAction(LocalText(text::Activity, language), this);
  toggle->setObjectName(QStringLiteral("activityAction"));
  toggle->setShortcut(QKeySequence(Qt::Key_F9));
  toggle->setShortcutContext(Qt::ApplicationShortcut);
  connect(toggle, &QAction::triggered, m_activity, &CActivityPanel::Toggle);
  // The window's menu: its context menu holds the entry.
  addAction(toggle);
  setContextMenuPolicy(Qt::ActionsContextMenu);
  connect(m_info, &CInfo::ActivityRequested, m_activity, &CActivityPanel::Toggle);
  connect(m_info, &CInfo::StatusShown, this, &COstrivaneDlg::NoteStatus);
  connect(m_info, &CInfo::ActivityNoted, this, &COstrivaneDlg::NoteActivity);
  connect(m_info, &CInfo::SendAgainRequested, m_setting, &CSetting::SendAgain);
  connect(m_setting, &CSetting::WriteStateChanged, this, &COstrivaneDlg::NoteWrite);
}

void COstrivaneDlg::NoteActivity(const QString& event) {
  m_activity->Add(m_unitIdentifier, event);
}

void COstrivaneDlg::NoteStatus(const QString& text) {
  // The search repeats its text every second: one line for a run of the same text.
  if (text.isEmpty() || text == m_lastStatusNoted) return;
  m_lastStatusNoted = text;
  NoteActivity(text);
}

void COstrivaneDlg::NoteSearch(const ConnectOutcome& outcome) {
  const int language = m_ctx.settings.LanguageIndex();
  const QString tried = outcome.tried.join(QStringLiteral(", "));
  if (!tried.isEmpty() && tried != m_lastTriedNoted) {
    m_lastTriedNoted = tried;
    NoteActivity(LocalText(text::SearchTried, language).arg(tried));
  }
  for (const OpenFailure& failure : outcome.openFailures) {
    const QString line = OpenFailureText(failure, language);
    if (m_openFailuresNoted.contains(line)) continue;
    m_openFailuresNoted.insert(line);
    NoteActivity(line);
  }
}

void COstrivaneDlg::NoteConnected(const ConnectOutcome& outcome) {
  // The next search tells what it tries and its failures again.
  m_openFailuresNoted.clear();
  m_lastTriedNoted.clear();
  const QString host = TcpHost(outcome.channel);
  m_unitIdentifier.clear();
  for (const DiscoveredDevice& device : m_discovery.Copy()) {
    if (!host.isEmpty() && device.address == host) m_unitIdentifier = device.identifier;
  }
  m_setting->SetOverNetwork(outcome.channel.startsWith(QLatin1String("tcp:")));
  const QString unit = UnitName(m_unitIdentifier, outcome.channel, m_ctx.config);
  m_info->ShowUnit(unit);
  const QString model = WindowText(u"H%1 firmware %2", m_ctx.settings.LanguageIndex())
                            .arg(m_ctx.identity.DeviceTypeCode)
                            .arg(FormatTitleVersion(m_ctx.identity));
  NoteActivity(LocalText(text::ConnectedTo, m_ctx.settings.LanguageIndex())
                   .arg(unit + QStringLiteral(", ") + model));
}

void COstrivaneDlg::NoteWrite(const WriteReport& report) {
  const int language = m_ctx.settings.LanguageIndex();
  const QString text = WriteStateText(report, language);
  m_info->ShowWriteState(text, report.state == WriteState::NotApplied);
  if (report.state == WriteState::Sent || report.state == WriteState::NotApplied) {
    NoteActivity(text);
  }
}

}  // namespace ostrivane
