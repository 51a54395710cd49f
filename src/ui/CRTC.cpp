#include "ui/CRTC.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLocale>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "operations/DeviceActions.h"
#include "operations/OperationContext.h"
#include "texts/WindowTexts.h"
#include "ui/ControlIds.h"
#include "ui/pages/UsbPictures.h"

namespace ostrivane {

namespace {

constexpr int kFirstYear = 1900;
constexpr int kLastYear = 9999;  // the last the date picker shows
constexpr int kPictureSide = 40;
constexpr std::uint8_t kFailedField = 255;

// The locale's short date, always with the whole year: a two-digit year would be read back in
// another century.
QString ShortDateFormat() {
  QString format = QLocale().dateFormat(QLocale::ShortFormat);
  if (!format.contains(QStringLiteral("yyyy")))
    format.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
  return format;
}

template <class W>
W* Numbered(W* widget, int id, const char* objectName, const QString& spoken) {
  widget->setProperty(control::kProperty, id);
  widget->setObjectName(QString::fromLatin1(objectName));
  widget->setAccessibleName(spoken);
  return widget;
}

}  // namespace

bool IsValidDeviceClock(const DeviceClockTime& clock) {
  return clock.year >= kFirstYear && clock.year <= kLastYear &&
         QDate(clock.year, clock.month, clock.day).isValid() &&
         QTime(clock.hour, clock.minute, clock.second).isValid();
}

CRTC::CRTC(const DeviceClockTime& deviceClock, const QDateTime& now, QWidget* parent,
           int languageIndex)
    : QDialog(parent),
      m_year(deviceClock.year),
      m_month(deviceClock.month),
      m_day(deviceClock.day),
      m_hour(deviceClock.hour),
      m_minute(deviceClock.minute),
      m_second(deviceClock.second) {
  setObjectName(QStringLiteral("clockDialog"));
  setAccessibleName(WindowText(u"Device clock", languageIndex));
  setWindowTitle(QString());
  BuildControls(languageIndex);
  OnInitDialog(now);
}

void CRTC::BuildControls(int languageIndex) {
  m_date = Numbered(new QDateEdit(this), clockcontrol::DatePicker, "clockDate",
                    WindowText(u"Date", languageIndex));
  m_date->setCalendarPopup(true);
  m_date->setAlignment(Qt::AlignRight);
  m_time = Numbered(new QTimeEdit(this), clockcontrol::TimePicker, "clockTime",
                    WindowText(u"Time", languageIndex));
  m_time->setAlignment(Qt::AlignRight);
  auto* ok = Numbered(new QPushButton(QStringLiteral("OK"), this), clockcontrol::Ok, "clockOk",
                      QStringLiteral("OK"));
  auto* cancel = Numbered(new QPushButton(QStringLiteral("Cancel"), this), clockcontrol::Cancel,
                          "clockCancel", QStringLiteral("Cancel"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &CRTC::accept);
  connect(cancel, &QPushButton::clicked, this, &CRTC::reject);

  auto* picture =
      new PictureBox(PictureIcon(Picture::Clock), QSize(kPictureSide, kPictureSide), this);
  auto* pickers = new QVBoxLayout;
  pickers->addWidget(m_date);
  pickers->addWidget(m_time);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* row = new QHBoxLayout(this);
  row->addWidget(picture, 0, Qt::AlignTop);
  row->addLayout(pickers);
  row->addSpacing(8);
  row->addLayout(buttons);
  setTabOrder(m_date, m_time);
  setTabOrder(m_time, ok);
  setTabOrder(ok, cancel);
}

void CRTC::OnInitDialog(const QDateTime& now) {
  m_time->setDisplayFormat(QStringLiteral("HH:mm"));
  m_date->setDisplayFormat(ShortDateFormat());
  const DeviceClockTime shown = Clock();
  if (IsValidDeviceClock(shown)) {
    m_date->setDate(QDate(shown.year, shown.month, shown.day));
    m_time->setTime(QTime(shown.hour, shown.minute));
  } else {
    m_date->setDate(now.date());
    m_time->setTime(QTime(now.time().hour(), now.time().minute()));
  }
  m_changed = false;
  m_date->setFocus();
}

DeviceClockTime CRTC::Clock() const {
  return {m_year, m_month, m_day, m_hour, m_minute, m_second};
}

void CRTC::accept() {
  const QDate date = m_date->date();
  const QTime time = m_time->time();
  const bool dateOk = date.isValid() && date.year() >= 0 && date.year() <= 0xFFFF;
  const auto year = static_cast<std::uint16_t>(dateOk ? date.year() : 0);
  const auto month = static_cast<std::uint8_t>(dateOk ? date.month() : 0);
  const auto day = static_cast<std::uint8_t>(dateOk ? date.day() : 0);
  const auto hour = static_cast<std::uint8_t>(time.isValid() ? time.hour() : kFailedField);
  const auto minute = static_cast<std::uint8_t>(time.isValid() ? time.minute() : kFailedField);
  if (year != m_year || month != m_month || day != m_day || hour != m_hour || minute != m_minute) {
    m_year = year;
    m_month = month;
    m_day = day;
    m_hour = hour;
    m_minute = minute;
    m_second = 0;
    m_changed = true;
  }
  QDialog::accept();
}

}  // namespace ostrivane
