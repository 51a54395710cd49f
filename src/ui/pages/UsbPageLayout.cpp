// The USB page's controls, created in the rows of the page from top to bottom and left to right,
// which is also the keyboard path through them.
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDateEdit>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTimeEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/ControlIds.h"
#include "ui/pages/UsbPage.h"
#include "ui/pages/UsbPictures.h"
#include "ui/pages/UsbSchedule.h"

namespace ostrivane {

namespace {

constexpr int kPictureSide = 26;
constexpr int kIconSide = 16;
constexpr int kLampWidth = 84;
constexpr int kOffsetEditChars = 5;
const QColor kNavy(0, 0, 128);
const QColor kMaroon(128, 0, 0);
const QColor kDarkGrey(64, 64, 64);

const char* const kDayNames[] = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                 "Friday", "Saturday", "Sunday"};
const char* const kPositionNames[] = {
    "Overlay top left",    "Overlay top centre",    "Overlay top right",
    "Overlay middle left", "Overlay centre",        "Overlay middle right",
    "Overlay bottom left", "Overlay bottom centre", "Overlay bottom right"};

// Text in `colour` while enabled; the style greys it while disabled.
void SetTextColour(QWidget* widget, const QColor& colour) {
  QPalette palette = widget->palette();
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    palette.setColor(group, QPalette::WindowText, colour);
    palette.setColor(group, QPalette::ButtonText, colour);
  }
  widget->setPalette(palette);
}

QToolButton* IconButton(QWidget* parent, const QIcon& icon) {
  auto* button = new QToolButton(parent);
  button->setIcon(icon);
  button->setIconSize(QSize(kIconSide, kIconSide));
  button->setFocusPolicy(Qt::StrongFocus);
  return button;
}

int EditWidth(const QWidget* widget, int chars) {
  return widget->fontMetrics().horizontalAdvance(QLatin1Char('0')) * chars + 12;
}

}  // namespace

UsbPage::UsbPage(PanelHost& host, OperationContext& ctx, QWidget* parent)
    : PanelPage(kIndex, host, ctx, parent) {
  auto* entry = new QGridLayout;
  entry->setHorizontalSpacing(4);
  BuildFileRow(entry);
  BuildEntryRow(entry);

  m_clockPicture =
      AddControl(usbcontrol::ClockPicture, IconButton(this, PictureIcon(Picture::Clock)),
                 "clockPicture", QStringLiteral("Set the device clock"));
  m_clockPicture->setIconSize(QSize(kPictureSide, kPictureSide));
  m_clockPicture->setAutoRaise(true);
  m_clockPicture->setToolTip(Local(u"Set the device clock"));
  m_schedule = AddControl(usbcontrol::Schedule, new ScheduleList(this), "schedule",
                          QStringLiteral("Play and record schedule"));

  auto* middle = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  left->addWidget(BuildClockAndLamps());
  left->addStretch(1);
  left->addWidget(BuildOverlay());
  middle->addLayout(left);
  middle->addWidget(m_schedule, 1);

  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(0, 0, 0, 0);
  page->addLayout(entry);
  page->addLayout(middle, 1);
  ConnectNotifications();
  ChainTabOrder();
}

void UsbPage::BuildFileRow(QGridLayout* grid) {
  const QSize picture(kPictureSide, kPictureSide);
  auto* usbKey = AddControl(1138, new PictureBox(PictureIcon(Picture::UsbKey), picture, this),
                            "usbKeyPicture", QStringLiteral("USB stick"));
  auto* start = AddControl(
      1281, new PictureBox(SchedulePictureIcon(SchedulePicture::StartMarker), picture, this),
      "startPicture", QStringLiteral("Schedule start"));
  auto* stop = AddControl(
      1282, new PictureBox(SchedulePictureIcon(SchedulePicture::StopMarker), picture, this),
      "stopPicture", QStringLiteral("Schedule stop"));
  auto* week =
      AddControl(1283, new PictureBox(SchedulePictureIcon(SchedulePicture::Week), picture, this),
                 "weekPicture", QStringLiteral("Schedule weekdays"));
  m_usbFiles = AddControl(usbcontrol::UsbFiles, new QComboBox(this), "usbFiles",
                          QStringLiteral("Files on the USB stick"));

  auto* startCell = new QHBoxLayout;
  startCell->addWidget(usbKey);
  startCell->addStretch(1);
  startCell->addWidget(start);
  startCell->addStretch(1);
  grid->addLayout(startCell, 0, 0, 1, 2);
  grid->addWidget(stop, 0, 2, 1, 2, Qt::AlignHCenter);
  grid->addWidget(week, 0, 4, Qt::AlignHCenter);
  grid->addWidget(m_usbFiles, 0, 8, 1, 4);
}

void UsbPage::BuildEntryRow(QGridLayout* grid) {
  m_startDate = AddControl(usbcontrol::StartDate, new QDateEdit(this), "startDate",
                           QStringLiteral("Start date"));
  m_startTime = AddControl(usbcontrol::StartTime, new QTimeEdit(this), "startTime",
                           QStringLiteral("Start time"));
  m_stopDate = AddControl(usbcontrol::StopDate, new QDateEdit(this), "stopDate",
                          QStringLiteral("Stop date"));
  m_stopTime = AddControl(usbcontrol::StopTime, new QTimeEdit(this), "stopTime",
                          QStringLiteral("Stop time"));
  for (QDateEdit* date : {m_startDate, m_stopDate}) {
    date->setCalendarPopup(true);
    date->setDate(QDate::currentDate());
  }
  QHBoxLayout* days = BuildWeekdays();
  m_addPlay = AddControl(usbcontrol::AddPlay, IconButton(this, PictureIcon(Picture::AddPlay)),
                         "addPlayEntry", QStringLiteral("Add play entry"));
  m_addRecord = AddControl(usbcontrol::AddRecord, IconButton(this, PictureIcon(Picture::AddRecord)),
                           "addRecordEntry", QStringLiteral("Add record entry"));
  m_remove = AddControl(usbcontrol::Remove, IconButton(this, PictureIcon(Picture::Remove)),
                        "removeEntries", QStringLiteral("Remove selected entries"));
  m_fileName = AddControl(usbcontrol::FileName, new QLineEdit(this), "usbFileName",
                          QStringLiteral("USB file name"));
  m_record = AddControl(usbcontrol::Record, IconButton(this, PictureIcon(Picture::Record)),
                        "record", QStringLiteral("Record"));
  m_play = AddControl(usbcontrol::Play, IconButton(this, PictureIcon(Picture::Play)), "play",
                      QStringLiteral("Play"));
  m_stop = AddControl(usbcontrol::Stop, IconButton(this, PictureIcon(Picture::Stop)), "stop",
                      QStringLiteral("Stop"));
  SetTextColour(m_stop, kDarkGrey);
  for (QToolButton* button : {m_addPlay, m_addRecord, m_remove, m_record, m_play, m_stop}) {
    button->setToolTip(button->accessibleName());
  }

  const QList<QWidget*> row = {m_startDate, m_startTime, m_stopDate, m_stopTime, nullptr, m_addPlay,
                               m_addRecord, m_remove,    m_fileName, m_record,   m_play,  m_stop};
  for (int column = 0; column < row.size(); ++column) {
    if (row[column] != nullptr) grid->addWidget(row[column], 1, column);
  }
  grid->addLayout(days, 1, 4);
  grid->setColumnStretch(8, 1);
}

QHBoxLayout* UsbPage::BuildWeekdays() {
  auto* days = new QHBoxLayout;
  days->setSpacing(1);
  for (int day = 0; day < static_cast<int>(m_weekdays.size()); ++day) {
    auto* button = AddControl(usbcontrol::FirstWeekday + day, new QToolButton(this), "weekday",
                              QString::fromLatin1(kDayNames[day]));
    button->setObjectName(QStringLiteral("weekday%1").arg(day));
    button->setCheckable(true);
    button->setFocusPolicy(Qt::StrongFocus);
    m_weekdays[static_cast<std::size_t>(day)] = button;
    days->addWidget(button);
  }
  return days;
}

QLabel* UsbPage::AddLamp(int frameId, int labelId, const QString& text, const char* name,
                         const QString& spoken, QWidget* column) {
  auto* frame = AddControl(frameId, new QFrame(column), name, spoken + QStringLiteral(" lamp"));
  frame->setFrameShape(QFrame::Panel);
  frame->setFrameShadow(QFrame::Sunken);
  frame->setAutoFillBackground(true);
  frame->setFixedWidth(kLampWidth);
  auto* label = AddControl(labelId, new QLabel(text, frame), name, spoken);
  label->setObjectName(QString::fromLatin1(name) + QStringLiteral("Label"));
  auto* inside = new QHBoxLayout(frame);
  inside->setContentsMargins(4, 1, 4, 1);
  inside->addWidget(label);
  column->layout()->addWidget(frame);
  return label;
}

QWidget* UsbPage::BuildClockAndLamps() {
  auto* column = new QWidget(this);
  auto* rows = new QVBoxLayout(column);
  rows->setContentsMargins(0, 0, 0, 0);
  rows->setSpacing(3);
  m_clock = AddControl(usbcontrol::ClockField, new QLineEdit(column), "deviceClock",
                       QStringLiteral("Device clock"));
  m_clock->setReadOnly(true);
  m_clock->setMaxLength(5);
  m_clock->setAlignment(Qt::AlignCenter);
  m_clock->setFixedWidth(EditWidth(m_clock, kOffsetEditChars + 1));
  m_clock->setToolTip(Local(u"Click to set the device clock"));
  m_clock->installEventFilter(this);
  auto* clockRow = new QHBoxLayout;
  clockRow->addWidget(m_clockPicture);
  clockRow->addWidget(m_clock);
  clockRow->addStretch(1);
  rows->addLayout(clockRow);

  m_modeLabel = AddLamp(1284, usbcontrol::ModeLabel, QStringLiteral("AUTO"), "playerMode",
                        QStringLiteral("Player mode"), column);
  m_playLabel = AddLamp(1285, usbcontrol::PlayLabel, QStringLiteral("PLAY"), "playing",
                        QStringLiteral("Playing"), column);
  m_recordLabel = AddLamp(1286, usbcontrol::RecordLabel, QStringLiteral(" REC"), "recording",
                          QStringLiteral("Recording"), column);
  m_hdmiLabel = AddLamp(1287, usbcontrol::HdmiLabel, QStringLiteral(" HDMI"), "hdmiInput",
                        QStringLiteral("HDMI input"), column);
  SetTextColour(m_modeLabel, kDarkGrey);
  SetTextColour(m_playLabel, kNavy);
  SetTextColour(m_recordLabel, kMaroon);
  return column;
}

// Box of position p + 1, in the 3 x 3 grid right of the overlay file.
void UsbPage::AddPositionBox(int p, QGridLayout* grid) {
  auto* box = AddControl(usbcontrol::FirstPositionBox + p, new QCheckBox(grid->parentWidget()),
                         "position", QString::fromLatin1(kPositionNames[p]));
  box->setObjectName(QStringLiteral("overlayPosition%1").arg(p + 1));
  m_positions[static_cast<std::size_t>(p)] = box;
  grid->addWidget(box, p / 3, 1 + p % 3);
}

QWidget* UsbPage::BuildOverlay() {
  auto* block = new QWidget(this);
  auto* grid = new QGridLayout(block);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setHorizontalSpacing(4);
  for (int p = 0; p < 3; ++p) AddPositionBox(p, grid);
  grid->addWidget(AddLabel(1297, QStringLiteral("X"), "overlayXLabel"), 0, 4);
  m_overlayX = AddControl(usbcontrol::OverlayX, new QLineEdit(block), "overlayX",
                          QStringLiteral("Overlay X offset"));
  grid->addWidget(m_overlayX, 0, 5);

  const QSize picture(kIconSide, kIconSide);
  auto* fileRow = new QHBoxLayout;
  fileRow->setSpacing(4);
  fileRow->addWidget(AddControl(1294, new PictureBox(PictureIcon(Picture::Screen), picture, block),
                                "overlayScreen", QStringLiteral("Overlay picture")));
  fileRow->addWidget(AddLabel(1295, QStringLiteral("File :"), "overlayFileLabel"));
  fileRow->addWidget(AddControl(1296,
                                new PictureBox(PictureIcon(Picture::DoubleArrow), picture, block),
                                "overlayArrow", QStringLiteral("Overlay placement")));
  fileRow->addStretch(1);
  grid->addLayout(fileRow, 0, 0);

  m_overlayFile = AddControl(usbcontrol::OverlayFile, new QComboBox(block), "overlayFile",
                             QStringLiteral("Overlay file"));
  m_overlayFile->setEditable(true);
  m_overlayFile->setInsertPolicy(QComboBox::NoInsert);
  grid->addWidget(m_overlayFile, 1, 0);
  for (int p = 3; p < 9; ++p) AddPositionBox(p, grid);
  grid->addWidget(AddLabel(1298, QStringLiteral("Y"), "overlayYLabel"), 2, 4);
  m_overlayY = AddControl(usbcontrol::OverlayY, new QLineEdit(block), "overlayY",
                          QStringLiteral("Overlay Y offset"));
  grid->addWidget(m_overlayY, 2, 5);
  for (QLineEdit* offset : {m_overlayX, m_overlayY}) {
    offset->setFixedWidth(EditWidth(offset, kOffsetEditChars));
  }
  return block;
}

}  // namespace ostrivane
