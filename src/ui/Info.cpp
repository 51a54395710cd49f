#include "ui/Info.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QToolButton>
#include <algorithm>
#include <chrono>
#include <limits>
#include <thread>

#include "files/ApplicationData.h"
#include "texts/TextTable.h"
#include "texts/WindowTexts.h"
#include "ui/ControlIds.h"
#include "ui/LampWidget.h"
#include "ui/Pictures.h"
#include "ui/Theme.h"

namespace ostrivane {

const QColor CInfo::kWarningTextColour(255, 0, 0);
const QColor CInfo::kNormalTextColour(96, 96, 96);

namespace {

constexpr int kMargin = 6;
constexpr int kApplicationIconSide = 32;

template <class W>
W* Numbered(W* widget, int id, const char* objectName, const QString& accessibleName) {
  widget->setProperty(control::kProperty, id);
  widget->setObjectName(QString::fromLatin1(objectName));
  if (!accessibleName.isEmpty()) widget->setAccessibleName(accessibleName);
  // Controls that come and go keep their place, so the rest of the bar never jumps.
  QSizePolicy policy = widget->sizePolicy();
  policy.setRetainSizeWhenHidden(true);
  widget->setSizePolicy(policy);
  return widget;
}

constexpr double kMinContrast = 4.5;

int ToProgressValue(std::uint32_t value) {
  return static_cast<int>(std::min<std::uint32_t>(value, std::numeric_limits<int>::max()));
}

}  // namespace

CInfo::CInfo(const ApplicationData& settings, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("statusBar"));
  setAccessibleName(WindowText(u"Status bar", settings.LanguageIndex()));
  for (QTimer* timer : {&m_textTimer, &m_activityTimer, &m_writeTimer}) timer->setSingleShot(true);
  connect(&m_textTimer, &QTimer::timeout, this, [this] { m_statusText->clear(); });
  connect(&m_activityTimer, &QTimer::timeout, this, [this] { m_activityLamp->SetLit(false); });
  connect(&m_writeTimer, &QTimer::timeout, this, [this] { m_writeLamp->SetLit(false); });
  BuildControls(settings.LanguageIndex());
  BuildChangeDevice(settings.LanguageIndex());
  BuildWriteRow(settings.LanguageIndex());
  BuildLayout();
  InitIndicators(settings.AdvancedMode());
  ApplyTextColour();
}

void CInfo::BuildControls(int languageIndex) {
  const auto say = [languageIndex](QStringView english) {
    return WindowText(english, languageIndex);
  };
  m_statusText = Numbered(new QLabel(this), control::StatusText, "statusText", {});
  m_statusText->setAccessibleDescription(say(u"Status"));
  // A long text is cut rather than allowed to widen the window.
  m_statusText->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  m_statusText->setMinimumHeight(fontMetrics().height());

  m_progress = Numbered(new QProgressBar(this), control::Progress, "progressBar", say(u"Progress"));
  m_progress->setTextVisible(false);
  m_progress->setMaximumHeight(fontMetrics().height());
  m_progress->hide();

  m_activityLamp = Numbered(new LampWidget(Picture::LampActivity, this), control::ActivityLamp,
                            "activityLamp", say(u"Activity lamp"));
  m_writeLamp = Numbered(new LampWidget(Picture::LampWrite, this), control::WriteLamp, "writeLamp",
                         say(u"Write lamp"));

  const int iconSide = 2 * fontMetrics().height() + kMargin;
  m_warningIcon = Numbered(new QLabel(this), control::WarningIcon, "warningIcon", say(u"Warning"));
  m_warningIcon->setPixmap(PictureIcon(Picture::Warning).pixmap(iconSide - kMargin));
  m_warningIcon->setFixedSize(iconSide, iconSide);
  m_warningIcon->setAlignment(Qt::AlignCenter);
  m_warningIcon->hide();

  m_logButton =
      Numbered(new QToolButton(this), control::LogButton, "logButton", say(u"Download logs"));
  m_logButton->setIcon(PictureIcon(Picture::LogDownload));
  m_logButton->setIconSize(QSize(iconSide - 2 * kMargin, iconSide - 2 * kMargin));
  m_logButton->setFixedSize(iconSide, iconSide);
  m_logButton->setToolTip(m_logButton->accessibleName());
  connect(m_logButton, &QToolButton::clicked, this, &CInfo::LogRequested);

  m_applicationIcon = Numbered(new QLabel(this), control::ApplicationIcon, "applicationIcon",
                               QStringLiteral("Ostrivane"));
  m_applicationIcon->setPixmap(PictureIcon(Picture::Application).pixmap(kApplicationIconSide));
  m_applicationIcon->setFixedSize(iconSide, iconSide);
  m_applicationIcon->setAlignment(Qt::AlignCenter);
}

void CInfo::BuildChangeDevice(int languageIndex) {
  const QString caption = LocalText(text::ChangeDevice, languageIndex);
  m_changeDevice = new QToolButton(this);
  m_changeDevice->setObjectName(QStringLiteral("changeDeviceButton"));
  m_changeDevice->setText(caption);
  m_changeDevice->setAccessibleName(caption);
  m_changeDevice->setFocusPolicy(Qt::StrongFocus);
  // Hidden without keeping its place: with one device the bar looks as it always did.
  m_changeDevice->hide();
  connect(m_changeDevice, &QToolButton::clicked, this, &CInfo::ChangeDeviceRequested);
}

void CInfo::BuildWriteRow(int languageIndex) {
  m_unit = new QLabel(this);
  m_unit->setObjectName(QStringLiteral("unit"));
  m_unit->setAccessibleName(WindowText(u"Unit", languageIndex));
  m_unit->setTextInteractionFlags(Qt::TextSelectableByMouse);
  m_unit->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  m_writeState = new QLabel(this);
  m_writeState->setObjectName(QStringLiteral("writeState"));
  m_writeState->setAccessibleName(WindowText(u"Write state", languageIndex));
  m_writeState->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

  const QString again = LocalText(text::SendAgain, languageIndex);
  m_sendAgain = new QToolButton(this);
  m_sendAgain->setObjectName(QStringLiteral("sendAgainButton"));
  m_sendAgain->setText(again);
  m_sendAgain->setAccessibleName(again);
  m_sendAgain->setFocusPolicy(Qt::StrongFocus);
  m_sendAgain->hide();
  connect(m_sendAgain, &QToolButton::clicked, this, &CInfo::SendAgainRequested);

  const QString activity = LocalText(text::Activity, languageIndex);
  m_activity = new QToolButton(this);
  m_activity->setObjectName(QStringLiteral("activityButton"));
  m_activity->setText(activity);
  m_activity->setAccessibleName(activity);
  m_activity->setToolTip(activity + QStringLiteral(" (F9)"));
  m_activity->setFocusPolicy(Qt::StrongFocus);
  connect(m_activity, &QToolButton::clicked, this, &CInfo::ActivityRequested);
}

void CInfo::BuildLayout() {
  auto* lamps = new QHBoxLayout;
  lamps->setSpacing(2);
  lamps->addWidget(m_activityLamp);
  lamps->addWidget(m_writeLamp);

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(kMargin, kMargin / 2, kMargin, kMargin / 2);
  grid->setHorizontalSpacing(kMargin);
  grid->setVerticalSpacing(2);
  grid->addWidget(m_statusText, 0, 0);
  grid->addLayout(lamps, 0, 1, Qt::AlignRight | Qt::AlignBottom);
  grid->addWidget(m_progress, 1, 0, 1, 2);
  grid->addWidget(m_warningIcon, 0, 2, 2, 1);
  // The log button and the application icon share one place; only one of them is shown.
  grid->addWidget(m_logButton, 0, 3, 2, 1);
  grid->addWidget(m_applicationIcon, 0, 3, 2, 1);
  grid->addWidget(m_changeDevice, 0, 4, 2, 1);
  auto* writeRow = new QHBoxLayout;
  writeRow->addWidget(m_unit, 1);
  writeRow->addWidget(m_writeState);
  writeRow->addWidget(m_sendAgain);
  writeRow->addWidget(m_activity);
  grid->addLayout(writeRow, 2, 0, 1, 5);
  grid->setColumnStretch(0, 1);
}

void CInfo::InitIndicators(bool advancedMode) {
  m_activityLamp->SetLit(false);
  m_writeLamp->SetLit(false);
  m_logButton->setVisible(advancedMode);
  m_logButton->setEnabled(false);
  m_applicationIcon->setVisible(!advancedMode);
}

void CInfo::ShowStatusText(const QString& text, int durationMs, bool wait) {
  m_statusText->setText(text);
  m_textTimer.start(std::max(durationMs, 0));
  Q_EMIT StatusShown(text);
  show();
  // Painted now: the caller usually goes on blocking the window (a request, or the wait below).
  repaint();
  if (wait) std::this_thread::sleep_for(std::chrono::milliseconds(std::max(durationMs, 0)));
}

void CInfo::SetProgress(std::uint32_t range, std::uint32_t position) {
  if (range == 0) {
    m_progress->hide();
    m_progressRange = 0;
    return;
  }
  if (range != m_progressRange) {
    m_progress->setRange(0, ToProgressValue(range));
    m_progress->show();
  }
  m_progress->setValue(ToProgressValue(std::min(position, range)));
  m_progressRange = range;
  if (m_progress->isVisible()) m_progress->repaint();
}

void CInfo::FlashActivity(bool write) {
  m_activityLamp->SetLit(true);
  m_activityTimer.start(kActivityLampMs);
  if (!write) return;
  m_writeLamp->SetLit(true);
  m_writeTimer.start(kWriteLampMs);
}

void CInfo::ShowWarningIcon(bool show) {
  m_warningIcon->setVisible(show);
  ApplyTextColour();
}

void CInfo::ShowChangeDevice(bool show) {
  m_changeDevice->setVisible(show);
}

void CInfo::ShowWriteState(const QString& text, bool offerSendAgain) {
  m_writeState->setText(text);
  // Qt 6.4 speaks a named label by its name only: the state itself travels as the description.
  m_writeState->setAccessibleDescription(text);
  m_sendAgain->setVisible(offerSendAgain);
}

void CInfo::ShowUnit(const QString& text) {
  m_unit->setText(text);
  m_unit->setAccessibleDescription(text);
}

QString CInfo::WriteStateText() const {
  return m_writeState->text();
}
QString CInfo::UnitText() const {
  return m_unit->text();
}
bool CInfo::SendAgainOffered() const {
  return !m_sendAgain->isHidden();
}

void CInfo::EnableLogButton(bool enable) {
  m_logButton->setEnabled(enable);
}

QString CInfo::StatusText() const {
  return m_statusText->text();
}
bool CInfo::ActivityLit() const {
  return m_activityLamp->IsLit();
}
bool CInfo::WriteLit() const {
  return m_writeLamp->IsLit();
}
bool CInfo::WarningShown() const {
  return !m_warningIcon->isHidden();
}

QColor CInfo::TextColour() const {
  return m_statusText->palette().color(QPalette::WindowText);
}

void CInfo::ApplyTextColour() {
  QPalette colours = palette();
  QColor colour = WarningShown() ? kWarningTextColour : kNormalTextColour;
  // The grey is for a light background; on a dark one it is lightened until it reads.
  if (IsDarkPalette(colours))
    colour = Readable(colour, colours.color(QPalette::Window), kMinContrast);
  colours.setColor(QPalette::WindowText, colour);
  colours.setColor(QPalette::Text, colour);
  colours.setColor(QPalette::ButtonText, colour);
  setPalette(colours);
}

}  // namespace ostrivane
