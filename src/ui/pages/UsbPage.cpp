#include "ui/pages/UsbPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QTimeEdit>
#include <QToolButton>
#include <algorithm>

#include "operations/DeviceActions.h"
#include "operations/ModelTable.h"
#include "texts/TextTable.h"
#include "ui/CRTC.h"
#include "ui/pages/EditNumbers.h"
#include "ui/pages/UsbSchedule.h"

namespace ostrivane {

namespace {

constexpr int kFieldTextMax = 32;
constexpr std::uint32_t kOverlayOffsetMax = 1000;
constexpr std::uint8_t kOverlayModel = 192;
constexpr unsigned kFirstOverlayVersion = 15;
constexpr std::uint8_t kUsbRecording = 1;
constexpr std::uint8_t kUsbPlaying = 2;
constexpr std::uint8_t kPlayerPlay = 1, kPlayerRecord = 2, kPlayerStop = 3;

const char* const kModeTexts[] = {"", "---", "MP", "MR", "AP", "AR"};

QString ModeText(std::uint8_t mode) {
  if (mode < std::size(kModeTexts)) return QString::fromLatin1(kModeTexts[mode]);
  // A mode this tool does not know is shown by its number, so that it can be reported.
  return QString::number(mode);
}

// An offset that is not a decimal number from 0 to 1000 becomes 0.
std::int32_t ReadOffset(const QString& text) {
  return ReadAtMost(text, kOverlayOffsetMax, 0);
}

// A lit lamp: its label enabled (in its colour) on a bright field; a dark one greyed.
void SetLampLit(QLabel* label, bool lit) {
  label->setEnabled(lit);
  QWidget* frame = label->parentWidget();
  QPalette palette = frame->palette();
  palette.setColor(QPalette::Window,
                   lit ? palette.color(QPalette::Base)
                       : frame->parentWidget()->palette().color(QPalette::Window));
  frame->setPalette(palette);
}

void SetTextIfDifferent(QLineEdit* edit, const QString& text) {
  if (edit->text() != text) edit->setText(text);
}

}  // namespace

void UsbPage::ConnectNotifications() {
  connect(m_fileName, &QLineEdit::textChanged, this, [this](const QString& text) {
    Ctx().panel.UsbFileNameText = text;
    PageRead();
  });
  // Typing an overlay name is an edit like any other: it reaches the model and the device.
  connect(m_overlayFile, &QComboBox::editTextChanged, this, [this](const QString& text) {
    Ctx().panel.OverlayFileText = text;
    PageRead();
  });
  for (QLineEdit* offset : {m_overlayX, m_overlayY}) {
    connect(offset, &QLineEdit::textChanged, this, [this] { PageRead(); });
  }
  connect(m_usbFiles, &QComboBox::activated, this, &UsbPage::ChooseUsbFile);
  connect(m_overlayFile, &QComboBox::activated, this, &UsbPage::ChooseOverlayFile);
  for (int p = 0; p < static_cast<int>(m_positions.size()); ++p) {
    // Unticking the other boxes while the choice is shown is no choice of its own.
    connect(m_positions[static_cast<std::size_t>(p)], &QCheckBox::toggled, this,
            [this, p](bool on) {
              if (Updating() || on == (Ctx().config.OverlayPosition == p + 1)) return;
              ChooseOverlayPosition(p + 1);
            });
  }
  connect(m_addPlay, &QToolButton::clicked, this,
          [this] { AddScheduleEntry(kScheduleActionPlay); });
  connect(m_addRecord, &QToolButton::clicked, this,
          [this] { AddScheduleEntry(kScheduleActionRec); });
  connect(m_remove, &QToolButton::clicked, this, &UsbPage::RemoveSelectedEntries);
  connect(m_schedule, &QTableWidget::itemSelectionChanged, this, &UsbPage::UpdateRemoveButton);
  connect(m_play, &QToolButton::clicked, this, [this] { Ctx().panel.RequestPlayer(kPlayerPlay); });
  connect(m_record, &QToolButton::clicked, this,
          [this] { Ctx().panel.RequestPlayer(kPlayerRecord); });
  connect(m_stop, &QToolButton::clicked, this, [this] { Ctx().panel.RequestPlayer(kPlayerStop); });
  connect(m_clockPicture, &QToolButton::clicked, this, &UsbPage::EditClock);
}

void UsbPage::PageLayout() {
  for (QTimeEdit* time : {m_startTime, m_stopTime}) time->setDisplayFormat(QStringLiteral("HH:mm"));
  m_startTime->setTime(QTime(0, 0));
  m_stopTime->setTime(QTime(23, 59));
  for (QDateEdit* date : {m_startDate, m_stopDate}) {
    date->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
  }
  const int language = Ctx().settings.LanguageIndex();
  int side = 0;
  for (int day = 0; day < static_cast<int>(m_weekdays.size()); ++day) {
    QToolButton* button = m_weekdays[static_cast<std::size_t>(day)];
    button->setChecked(true);
    button->setText(WeekdayLetter(day, language));
    side = std::max({side, button->sizeHint().width(), button->sizeHint().height()});
  }
  // One square size for the seven letters, whatever their widths.
  for (QToolButton* button : m_weekdays) button->setFixedSize(side, side);
}

bool UsbPage::HasSchedule() const {
  return HasUsbPlayRecord(TypeCode());
}

bool UsbPage::HasOverlay() const {
  return TypeCode() == kOverlayModel && MainVersion() >= kFirstOverlayVersion;
}

void UsbPage::PageEnable() {
  const bool schedule = HasSchedule();
  for (QWidget* widget :
       std::initializer_list<QWidget*>{m_clock, m_clockPicture, m_startDate, m_startTime,
                                       m_stopDate, m_stopTime, m_addRecord, m_schedule}) {
    widget->setEnabled(schedule);
  }
  for (QToolButton* day : m_weekdays) day->setEnabled(schedule);
  // A full schedule takes no more play entries, whatever edit ran this rule last.
  m_addPlay->setEnabled(schedule && UsedScheduleEntries(Ctx().config) < kScheduleSlots);
  UpdateRemoveButton();
  const bool overlay = HasOverlay();
  m_overlayFile->setEnabled(overlay);
  m_overlayX->setEnabled(overlay);
  m_overlayY->setEnabled(overlay);
  for (QCheckBox* box : m_positions) box->setVisible(overlay);
}

void UsbPage::FillValues() {
  const DeviceConfig& config = Ctx().config;
  SetTextIfDifferent(m_fileName, config.UsbFileName);
  if (m_overlayFile->currentText() != config.OverlayFile)
    m_overlayFile->setEditText(config.OverlayFile);
  SetTextIfDifferent(m_overlayX, QString::number(config.OverlayX));
  SetTextIfDifferent(m_overlayY, QString::number(config.OverlayY));
  ShowOverlayPosition();
}

void UsbPage::ReadValues() {
  DeviceConfig& config = Ctx().config;
  config.UsbFileName = m_fileName->text().left(kFieldTextMax);
  config.OverlayFile = m_overlayFile->currentText().left(kFieldTextMax);
  config.OverlayX = ReadOffset(m_overlayX->text());
  config.OverlayY = ReadOffset(m_overlayY->text());
}

void UsbPage::SyncFieldTexts() {
  // A decode leaves the model's file names in the panel state; the fields show them.
  const QScopedValueRollback<std::int32_t> guard(Ctx().panel.UpdatingGuard, 1);
  SetTextIfDifferent(m_fileName, Ctx().panel.UsbFileNameText);
  if (m_overlayFile->currentText() != Ctx().panel.OverlayFileText) {
    m_overlayFile->setEditText(Ctx().panel.OverlayFileText);
  }
}

void UsbPage::RefreshScheduleList() {
  SyncFieldTexts();
  if (!HasSchedule()) {
    // Another device's schedule must not linger in the disabled list.
    m_schedule->setRowCount(0);
    return;
  }
  m_schedule->ShowSchedule(Ctx().config, Ctx().settings.LanguageIndex());
  m_addPlay->setEnabled(UsedScheduleEntries(Ctx().config) < kScheduleSlots);
  UpdateRemoveButton();
}

void UsbPage::UpdateRemoveButton() {
  m_remove->setEnabled(!m_schedule->SelectedRows(UsedScheduleEntries(Ctx().config)).isEmpty());
}

void UsbPage::AddScheduleEntry(int action) {
  ScheduleEntry entry;
  entry.StartMinute = ScheduleMinute(m_startTime->time());
  entry.StopMinute = ScheduleMinute(m_stopTime->time());
  entry.StartDate = PackScheduleDate(m_startDate->date());
  entry.StopDate = PackScheduleDate(m_stopDate->date());
  entry.FileName = m_fileName->text();
  for (int day = 0; day < static_cast<int>(m_weekdays.size()); ++day) {
    if (m_weekdays[static_cast<std::size_t>(day)]->isChecked()) entry.WeekdayMask |= 1 << day;
  }
  entry.Action = action;
  if (!InsertScheduleEntry(Ctx().config, entry)) {
    Ctx().prompts.Beep(kScheduleRefusalBeepHz, kScheduleRefusalBeepMs);
    return;
  }
  RefreshScheduleList();
  Ctx().panel.MarkForSending();
  Host().NoteEdit();
}

void UsbPage::RemoveSelectedEntries() {
  const QList<int> rows = m_schedule->SelectedRows(UsedScheduleEntries(Ctx().config));
  if (RemoveScheduleEntries(Ctx().config, rows) == 0) return;
  RefreshScheduleList();
  Ctx().panel.MarkForSending();
  Host().NoteEdit();
}

void UsbPage::ChooseOverlayPosition(int position) {
  std::int32_t& current = Ctx().config.OverlayPosition;
  current = current == position ? 0 : position;
  ShowOverlayPosition();
  PageRead();
}

void UsbPage::ShowOverlayPosition() {
  const std::int32_t position = Ctx().config.OverlayPosition;
  for (int p = 0; p < static_cast<int>(m_positions.size()); ++p) {
    m_positions[static_cast<std::size_t>(p)]->setChecked(p + 1 == position);
  }
}

void UsbPage::ChooseUsbFile(int index) {
  if (index < 0) return;
  m_fileName->setText(m_usbFiles->itemText(index));
  PageRead();
}

void UsbPage::ChooseOverlayFile(int index) {
  if (index < 0) return;
  m_overlayFile->setEditText(m_overlayFile->itemText(index));
  PageRead();
}

void UsbPage::RefillNameList(QComboBox* list, const QStringList& names, const QString& current) {
  list->clear();
  list->addItems(names);
  list->setCurrentIndex(list->findText(current, Qt::MatchExactly | Qt::MatchCaseSensitive));
  if (list->isEditable() && list->currentText() != current) list->setEditText(current);
}

void UsbPage::ShowUsbStatus() {
  const DeviceStatus& status = Ctx().deviceStatus.current;
  const ServiceInputStatus& first = status.Inputs[0];
  SetLampLit(m_recordLabel, first.UsbState == kUsbRecording);
  SetLampLit(m_playLabel, first.UsbState == kUsbPlaying);
  SetLampLit(m_hdmiLabel, first.InputLines != 0 && first.UsbState != kUsbRecording);
  m_modeLabel->setText(ModeText(status.UsbMode));
  {
    // Refilling the lists rewrites the overlay field's text, which is no edit.
    const QScopedValueRollback<std::int32_t> guard(Ctx().panel.UpdatingGuard, 1);
    RefillNameList(m_usbFiles, status.UsbFiles, m_fileName->text());
    RefillNameList(m_overlayFile, status.OverlayFiles, m_overlayFile->currentText());
  }
  const bool present = status.UsbPresent != 0;
  for (QWidget* widget :
       std::initializer_list<QWidget*>{m_usbFiles, m_fileName, m_play, m_record, m_stop}) {
    widget->setEnabled(present);
  }
}

void UsbPage::SetClockText(const QString& text) {
  if (m_clock->text() != text) m_clock->setText(text);
}

QString UsbPage::ClockText() const {
  return m_clock->text();
}

void UsbPage::EditClock() {
  if (!m_clock->isEnabled()) return;
  // Answered later: the device keeps being polled while the dialog is open, and a time chosen
  // for a device that has gone meanwhile is never sent to the one connected since.
  auto* dialog =
      new CRTC(Ctx().deviceStatus.current.DeviceClock, QDateTime::currentDateTime(), this);
  OpenForConnection(dialog, [this, dialog](int) {
    if (!dialog->Changed()) return;
    Host().RunOnDevice([t = dialog->Clock()](OperationContext& ctx) {
      SendDeviceClock(ctx.link, t.year, t.month, t.day, t.hour, t.minute, t.second);
    });
  });
}

bool UsbPage::eventFilter(QObject* watched, QEvent* event) {
  if (watched != m_clock || !m_clock->isEnabled()) return PanelPage::eventFilter(watched, event);
  // The field is never edited: a click into it, or Enter, Space or F4 on it, opens the dialog.
  if (event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    EditClock();
    return true;
  }
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space ||
        key == Qt::Key_F4) {
      EditClock();
      return true;
    }
  }
  return PanelPage::eventFilter(watched, event);
}

}  // namespace ostrivane
