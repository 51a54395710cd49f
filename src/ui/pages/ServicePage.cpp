#include "ui/pages/ServicePage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>
#include <tuple>

#include "ui/ColouredTabBar.h"
#include "ui/ControlIds.h"
#include "ui/pages/PageGrid.h"

namespace ostrivane {

namespace {

using namespace svccontrol;

constexpr int kNameChars = 24;
constexpr int kPidChars = 5;

const QStringList kVideoSources = {"HDMI", "COMP.", "PC"};
const QStringList kAudioSources = {"HDMI", "ANALOG"};
const QStringList kAudioBitrates = {"128 Kb/s", "192 Kb/s", "256 Kb/s", "320  Kb/s"};
const QStringList kAitControlCodes = {"reserved", "autostart", "present",  "destroy", "kill",
                                      "prefetch", "remote",    "disabled", "playback"};

// Picture 1219 beside the gain field: a level bar with a plus sign.
class GainPictureWidget final : public QWidget {
 public:
  explicit GainPictureWidget(QWidget* parent) : QWidget(parent) {}
  QSize sizeHint() const override { return {20, 20}; }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = std::min(width(), height());
    painter.translate((width() - side) / 2, (height() - side) / 2);
    painter.scale(side / 100.0, side / 100.0);
    const QColor ink = isEnabled() ? QColor(60, 60, 60) : QColor(170, 170, 170);
    const QColor plus = isEnabled() ? QColor(30, 170, 40) : QColor(170, 200, 170);
    painter.setPen(QPen(ink, 6));
    painter.setBrush(isEnabled() ? QColor(65, 105, 225) : QColor(200, 200, 210));
    painter.drawRect(QRectF(10, 30, 26, 62));
    painter.setPen(QPen(plus, 12, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(70, 36), QPointF(70, 84));
    painter.drawLine(QPointF(46, 60), QPointF(94, 60));
  }
};

}  // namespace

ServicePage::ServicePage(PanelHost& host, OperationContext& ctx, QWidget* parent)
    : PanelPage(kIndex, host, ctx, parent) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, kPageRightMargin, 0);
  column->setSpacing(kPageSectionGap);
  m_serviceTabs =
      AddControl(control::ServiceTabs,
                 new ColouredTabBar([](int) { return ColouredTabBar::kLimeGreen; }, this),
                 "serviceTabs", QStringLiteral("Services"));
  connect(m_serviceTabs, &QTabBar::currentChanged, this,
          [this](int index) { Host().ChooseService(index); });
  column->addWidget(m_serviceTabs);
  column->addLayout(BuildIdentityRows());
  column->addLayout(BuildCodingRows());
  column->addLayout(BuildEventRows());
  column->addStretch(1);
  WatchFields();
  LinkLabels();
  ChainTabOrder();
}

QLineEdit* ServicePage::AddEdit(int id, int chars, const char* objectName, const char* spoken) {
  auto* edit = AddControl(id, new QLineEdit(this), objectName, QString::fromLatin1(spoken));
  FitEditWidth(edit, chars);
  connect(edit, &QLineEdit::textChanged, this, [this] { PageRead(); });
  return edit;
}

QLineEdit* ServicePage::AddAitEdit(int id, int chars, const char* objectName, const char* spoken) {
  auto* edit = AddControl(id, new QLineEdit(this), objectName, QString::fromLatin1(spoken));
  FitEditWidth(edit, chars);
  connect(edit, &QLineEdit::textChanged, this, [this] { AitEdit(); });
  return edit;
}

QComboBox* ServicePage::AddList(int id, const QStringList& items, const char* objectName,
                                const char* spoken) {
  auto* list = AddControl(id, new QComboBox(this), objectName, QString::fromLatin1(spoken));
  list->addItems(items);
  connect(list, &QComboBox::activated, this, [this] { PageRead(); });
  return list;
}

QLabel* ServicePage::AddNamedLabel(int id, const QString& text, const char* objectName,
                                   const QString& spoken) {
  QLabel* label = AddLabel(id, text, objectName);
  label->setAccessibleName(spoken);
  return label;
}

QLayout* ServicePage::BuildIdentityRows() {
  auto* grid = NewPageGrid();
  // Texts of the localised labels arrive with PageLayout.
  grid->addWidget(AddLabel(IdLabel, {}, "serviceIdLabel"), 0, 0);
  grid->addWidget(AddLabel(NameLabel, {}, "serviceNameLabel"), 0, 1);
  grid->addWidget(AddLabel(LcnLabel, {}, "lcnLabel"), 0, 2);
  grid->addWidget(AddLabel(HdLcnLabel, {}, "hdLcnLabel"), 0, 3);

  m_serviceId = AddEdit(ServiceId, 6, "serviceId", "Service id");
  m_name =
      AddControl(ServiceName, new QComboBox(this), "serviceName", QStringLiteral("Service name"));
  m_name->setEditable(true);
  // Any name may be typed; a typed name never joins the channel list, and nothing is completed
  // behind the installer's back.
  m_name->setInsertPolicy(QComboBox::NoInsert);
  m_name->setCompleter(nullptr);
  m_name->setMinimumWidth(m_name->fontMetrics().horizontalAdvance(QLatin1Char('0')) * kNameChars);
  connect(m_name, &QComboBox::editTextChanged, this, [this] { PageRead(); });
  connect(m_name, &QComboBox::activated, this, [this](int index) { PickChannel(index); });
  m_lcn = AddEdit(Lcn, 6, "lcn", "Logical channel number");
  m_hdLcn = AddEdit(HdLcn, 6, "hdLcn", "HD logical channel number");
  grid->addWidget(m_serviceId, 1, 0);
  grid->addWidget(m_name, 1, 1);
  grid->addWidget(m_lcn, 1, 2);
  grid->addWidget(m_hdLcn, 1, 3);
  grid->setColumnStretch(4, 1);
  return grid;
}

QLayout* ServicePage::BuildCodingRows() {
  auto* grid = NewPageGrid();
  grid->addWidget(AddLabel(PidLabel, QStringLiteral("PID"), "pidLabel"), 0, 1);
  grid->addWidget(AddLabel(PmtLabel, QStringLiteral("PMT"), "pmtLabel"), 1, 0);
  m_pmtPid = AddEdit(PmtPid, kPidChars, "pmtPid", "PMT PID");
  grid->addWidget(m_pmtPid, 1, 1);

  BuildVideoRow(grid, 2);
  BuildAudioRow(grid, 3);
  grid->setColumnStretch(5, 1);
  return grid;
}

void ServicePage::BuildVideoRow(QGridLayout* grid, int row) {
  grid->addWidget(AddLabel(VideoLabel, QStringLiteral("VIDEO"), "videoLabel"), row, 0);
  m_videoPid = AddEdit(VideoPid, kPidChars, "videoPid", "Video PID");
  m_videoCodec = AddList(VideoCodec, {QStringLiteral("H264")}, "videoCodec", "Video codec");
  m_videoSource = AddList(VideoSource, kVideoSources, "videoSource", "Video source");
  QLabel* bitrateLabel = AddLabel(BitrateLabel, QStringLiteral("Kb/s :"), "videoBitrateLabel");
  m_videoBitrate = AddEdit(VideoBitrate, 6, "videoBitrate", "Video bitrate (kb/s)");
  auto* gainPicture = AddControl(GainPicture, new GainPictureWidget(this), "gainPicture",
                                 QStringLiteral("Gain picture"));
  m_gain = AddEdit(Gain, 4, "gain", "Gain (%)");
  grid->addWidget(m_videoPid, row, 1);
  grid->addWidget(m_videoCodec, row, 2);
  grid->addWidget(m_videoSource, row, 3);
  auto* video = new QHBoxLayout;
  for (QWidget* w :
       std::initializer_list<QWidget*>{bitrateLabel, m_videoBitrate, gainPicture, m_gain}) {
    video->addWidget(w);
  }
  video->addStretch(1);
  grid->addLayout(video, row, 4);
}

void ServicePage::BuildAudioRow(QGridLayout* grid, int row) {
  grid->addWidget(AddLabel(AudioLabel, QStringLiteral("AUDIO"), "audioLabel"), row, 0);
  m_audioPid = AddEdit(AudioPid, kPidChars, "audioPid", "Audio PID");
  m_audioCodec = AddList(AudioCodec, {QStringLiteral("AAC-LC")}, "audioCodec", "Audio codec");
  m_audioSource = AddList(AudioSource, kAudioSources, "audioSource", "Audio source");
  m_audioBitrate = AddList(AudioBitrate, kAudioBitrates, "audioBitrate", "Audio bitrate");
  QLabel* delayLabel = AddLabel(DelayLabel, QStringLiteral("Delay :"), "audioDelayLabel");
  m_delay = AddEdit(Delay, 5, "audioDelay", "Audio delay (ms)");
  QLabel* delayUnit = AddLabel(DelayUnit, QStringLiteral("ms"), "audioDelayUnit");
  grid->addWidget(m_audioPid, row, 1);
  grid->addWidget(m_audioCodec, row, 2);
  grid->addWidget(m_audioSource, row, 3);
  auto* audio = new QHBoxLayout;
  for (QWidget* w :
       std::initializer_list<QWidget*>{m_audioBitrate, delayLabel, m_delay, delayUnit}) {
    audio->addWidget(w);
  }
  audio->addStretch(1);
  grid->addLayout(audio, row, 4);
}

QLayout* ServicePage::BuildEventRows() {
  auto* grid = NewPageGrid();
  grid->addWidget(AddLabel(EitNameLabel, {}, "eitNameLabel"), 0, 2);
  grid->addWidget(AddLabel(EitTextLabel, {}, "eitTextLabel"), 0, 5);
  grid->addWidget(AddLabel(EitLabel, QStringLiteral("E.I.T."), "eitLabel"), 1, 0);
  m_eitName = AddEdit(EitName, 0, "eitEventName", "Event name");
  m_eitText = AddEdit(EitText, 0, "eitEventText", "Event text");
  grid->addWidget(m_eitName, 1, 2, 1, 3);
  grid->addWidget(m_eitText, 1, 5, 1, 3);
  BuildAitRows(grid, 2);
  for (int column = 5; column <= 7; ++column) grid->setColumnStretch(column, 1);
  return grid;
}

void ServicePage::BuildAitRows(QGridLayout* grid, int row) {
  const std::tuple<int, const char*, const char*> labels[] = {
      {AitPidLabel, "PID :", "aitPidLabel"},
      {AitControlLabel, "Cntrl :", "aitControlLabel"},
      {AitOrganisationLabel, "Org. ID :", "aitOrganisationLabel"},
      {AitNameLabel, "Name :", "aitNameLabel"},
      {AitRootLabel, "Root :", "aitRootLabel"},
      {AitPathLabel, "Path :", "aitPathLabel"}};
  int column = 2;
  for (const auto& [id, text, name] : labels) {
    const QString caption = QString::fromLatin1(text);
    grid->addWidget(AddNamedLabel(id, caption, name, "A.I.T. " + SpokenName(caption)), row,
                    column++);
  }

  grid->addWidget(AddLabel(AitLabel, QStringLiteral("A.I.T."), "aitLabel"), row + 1, 0);
  m_aitEnabled = AddControl(AitEnabled, new QCheckBox(this), "aitEnabled",
                            QStringLiteral("Signal the HbbTV application"));
  connect(m_aitEnabled, &QCheckBox::toggled, this, [this] {
    if (!Updating()) AitEdit();
  });
  m_aitPid = AddAitEdit(AitPid, kPidChars, "aitPid", "Application table PID");
  m_aitControl = AddControl(AitControl, new QComboBox(this), "aitControlCode",
                            QStringLiteral("Application control code"));
  m_aitControl->addItems(kAitControlCodes);
  connect(m_aitControl, &QComboBox::activated, this, [this] { AitEdit(); });
  m_aitOrganisation = AddAitEdit(AitOrganisation, 10, "aitOrganisationId", "Organisation id");
  m_aitName = AddAitEdit(AitName, 0, "aitAppName", "Application name");
  m_aitRoot = AddAitEdit(AitRoot, 0, "aitRootUrl", "Application root URL");
  m_aitPath = AddAitEdit(AitPath, 0, "aitPath", "Application path");
  column = 1;
  for (QWidget* w :
       std::initializer_list<QWidget*>{m_aitEnabled, m_aitPid, m_aitControl, m_aitOrganisation,
                                       m_aitName, m_aitRoot, m_aitPath}) {
    grid->addWidget(w, row + 1, column++);
  }
}

void ServicePage::LinkLabels() {
  // A screen reader names each field after the label beside or above it as well.
  const std::pair<int, int> pairs[] = {{IdLabel, ServiceId},
                                       {NameLabel, ServiceName},
                                       {LcnLabel, Lcn},
                                       {HdLcnLabel, HdLcn},
                                       {PmtLabel, PmtPid},
                                       {BitrateLabel, VideoBitrate},
                                       {DelayLabel, Delay},
                                       {EitNameLabel, EitName},
                                       {EitTextLabel, EitText},
                                       {AitPidLabel, AitPid},
                                       {AitControlLabel, AitControl},
                                       {AitOrganisationLabel, AitOrganisation},
                                       {AitNameLabel, AitName},
                                       {AitRootLabel, AitRoot},
                                       {AitPathLabel, AitPath},
                                       {AitLabel, AitEnabled}};
  for (const auto& [labelId, fieldId] : pairs) {
    if (auto* label = qobject_cast<QLabel*>(Control(labelId))) label->setBuddy(Control(fieldId));
  }
}

void ServicePage::PageLayout() {
  {
    // The first item added becomes the edit text; that is no edit of the installer's.
    const QSignalBlocker quiet(m_name);
    for (const ChannelEntry& entry : Ctx().settings.ChannelTable()) m_name->addItem(entry.name);
  }
  const std::pair<int, int> texts[] = {
      {IdLabel, 18}, {NameLabel, 19}, {LcnLabel, 22}, {HdLcnLabel, 23}};
  for (const auto& [id, entry] : texts) {
    auto* label = qobject_cast<QLabel*>(Control(id));
    label->setText(Text(entry));
    label->setAccessibleName(SpokenName(Text(entry)));
  }
  // Three labels of the page read "Name :"; the spoken names tell them apart.
  auto* eitName = qobject_cast<QLabel*>(Control(EitNameLabel));
  eitName->setText(Text(33));
  eitName->setAccessibleName(QStringLiteral("E.I.T. ") + SpokenName(Text(33)));
  auto* eitText = qobject_cast<QLabel*>(Control(EitTextLabel));
  eitText->setText(Text(34));
  eitText->setAccessibleName(QStringLiteral("E.I.T. ") + SpokenName(Text(34)));
}

}  // namespace ostrivane
