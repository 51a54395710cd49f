#include "ui/pages/MiscPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QToolButton>

#include "operations/Capabilities.h"
#include "operations/DeviceActions.h"
#include "ui/ControlIds.h"
#include "ui/Pictures.h"

namespace ostrivane {

namespace {

constexpr int kEdidIconSide = 16;
constexpr int kVolumeText = 31;
constexpr int kAllowVbrText = 32;
constexpr std::uint8_t kEncoderOptionsModel = 121;

}  // namespace

void ReadListIndex(const QComboBox* list, std::int32_t& field) {
  if (list->currentIndex() >= 0) field = list->currentIndex();
}

void ShowListIndex(QComboBox* list, std::int32_t field) {
  list->setCurrentIndex(field >= 0 && field < list->count() ? field : -1);
}

MiscPage::MiscPage(PanelHost& host, OperationContext& ctx, QWidget* parent)
    : PanelPage(kIndex, host, ctx, parent) {
  m_fourKLabel = AddLabel(misccontrol::FourKLabel, QStringLiteral("4K :"), "fourKLabel");
  m_fourK = AddList(misccontrol::FourK, "fourK", QStringLiteral("4K output"),
                    {QStringLiteral("OFF"), QStringLiteral("ON")});
  m_irLabel = AddLabel(misccontrol::IrLabel, QStringLiteral("I.R. :"), "irLabel");
  m_irCarrier =
      AddList(misccontrol::IrCarrier, "irCarrier", QStringLiteral("Infrared remote carrier"),
              {QStringLiteral("38kHz"), QStringLiteral("46kHz"), QStringLiteral("56kHz")});
  m_volumeLabel =
      AddLabel(misccontrol::VolumeLabel, QStringLiteral("Volume HDMI-PCM :"), "pcmVolumeLabel");
  auto* profileLabel =
      AddLabel(misccontrol::ProfileLabel, QStringLiteral("H264 Profile :"), "h264ProfileLabel");
  m_pcmVolume = AddList(misccontrol::PcmVolume, "pcmVolume", QStringLiteral("PCM volume factor"),
                        {QStringLiteral("x1"), QStringLiteral("x2"), QStringLiteral("x4")});
  m_profile =
      AddList(misccontrol::H264Profile, "h264Profile", QStringLiteral("H264 profile choice"),
              {QStringLiteral("MAIN"), QStringLiteral(" HIGH")});
  m_allowVbr =
      AddControl(misccontrol::AllowVbr, new QCheckBox(QStringLiteral("Allow V.B.R."), this),
                 "allowVbr", QStringLiteral("Allow variable bitrate"));
  m_strictCbr =
      AddControl(misccontrol::StrictCbr, new QCheckBox(QStringLiteral("Strict C.B.R."), this),
                 "strictCbr", QStringLiteral("Strict constant bitrate"));
  m_edidButton = AddControl(misccontrol::Edid, new QToolButton(this), "edidRepair",
                            QStringLiteral("Repair EDID table"));
  m_edidButton->setIcon(PictureIcon(Picture::Chip));
  m_edidButton->setIconSize(QSize(kEdidIconSide, kEdidIconSide));
  m_edidButton->setToolTip(Local(u"Repair EDID table"));
  m_edidButton->setFocusPolicy(Qt::StrongFocus);

  connect(m_fourK, &QComboBox::activated, this, &MiscPage::ChangeFourK);
  for (QComboBox* list : {m_irCarrier, m_profile, m_pcmVolume}) {
    connect(list, &QComboBox::activated, this, [this] { PageRead(); });
  }
  for (QCheckBox* box : {m_allowVbr, m_strictCbr}) {
    connect(box, &QCheckBox::toggled, this, [this] { PageRead(); });
  }
  connect(m_edidButton, &QToolButton::clicked, this, &MiscPage::RepairEdid);

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->addWidget(m_fourKLabel, 0, 0);
  grid->addWidget(m_fourK, 1, 0);
  grid->addWidget(m_irLabel, 2, 0);
  grid->addWidget(m_irCarrier, 3, 0);
  grid->addWidget(m_volumeLabel, 4, 0);
  grid->addWidget(profileLabel, 4, 1);
  grid->addWidget(m_pcmVolume, 5, 0);
  grid->addWidget(m_profile, 5, 1);
  grid->addWidget(m_allowVbr, 5, 2);
  grid->addWidget(m_strictCbr, 5, 3);
  grid->addWidget(m_edidButton, 6, 0, Qt::AlignLeft);
  grid->setRowMinimumHeight(6, m_edidButton->sizeHint().height() + 12);
  grid->setColumnStretch(4, 1);
  grid->setRowStretch(7, 1);
  ChainTabOrder();
}

void MiscPage::RepairEdid() {
  // In manufacturer mode the repair goes out at once.
  if (Ctx().settings.ManufacturerMode()) {
    Host().RunOnDevice([](OperationContext& device) { RequestEdidRepair(device); });
    return;
  }
  // Asked by the window while the device is still polled; the programming is for the device the
  // questions were about.
  const std::uint32_t epoch = Host().ConnectionEpoch();
  AskEdidRepair(Ctx().prompts, Ctx().settings.LanguageIndex(), [this, epoch] {
    if (Host().StillConnected(epoch)) Ctx().flags.EdidRequest = true;
  });
}

QComboBox* MiscPage::AddList(int id, const char* objectName, const QString& spoken,
                             const QStringList& items) {
  auto* list = AddControl(id, new QComboBox(this), objectName, spoken);
  list->addItems(items);
  return list;
}

void MiscPage::PageLayout() {
  m_volumeLabel->setText(Text(kVolumeText));
  m_volumeLabel->setAccessibleName(SpokenName(m_volumeLabel->text()));
  m_allowVbr->setText(Text(kAllowVbrText));
}

void MiscPage::PageEnable() {
  const bool fourK = Ctx().config.Capability4K != 0;
  m_fourKLabel->setEnabled(fourK);
  m_fourK->setEnabled(fourK);
  const bool infrared = Ctx().config.CapabilityInfrared != 0;
  m_irLabel->setEnabled(infrared);
  m_irCarrier->setEnabled(infrared);
  const bool encoderOptions = TypeCode() == kEncoderOptionsModel;
  for (QWidget* widget :
       std::initializer_list<QWidget*>{m_profile, m_allowVbr, m_strictCbr, m_pcmVolume}) {
    widget->setEnabled(encoderOptions);
  }
  m_edidButton->setEnabled(HasEdidRepair(TypeCode()));
}

void MiscPage::FillValues() {
  const DeviceConfig& config = Ctx().config;
  ShowListIndex(m_fourK, config.FourKMode);
  ShowListIndex(m_irCarrier, config.IrCarrier);
  ShowListIndex(m_pcmVolume, config.PcmVolume);
  ShowListIndex(m_profile, config.H264Profile);
  m_allowVbr->setChecked(config.AllowVbr != 0);
  m_strictCbr->setChecked(config.StrictCbr != 0);
}

void MiscPage::ReadValues() {
  DeviceConfig& config = Ctx().config;
  ReadListIndex(m_fourK, config.FourKMode);
  ReadListIndex(m_irCarrier, config.IrCarrier);
  ReadListIndex(m_pcmVolume, config.PcmVolume);
  ReadListIndex(m_profile, config.H264Profile);
  config.AllowVbr = m_allowVbr->isChecked() ? 1 : 0;
  config.StrictCbr = m_strictCbr->isChecked() ? 1 : 0;
}

void MiscPage::ChangeFourK(int index) {
  // Choosing again the value shown is no change, and must not restart the device.
  if (index < 0 || index == Ctx().config.FourKMode) return;
  Ctx().config.FourKMode = index;
  // The device takes a new 4K choice only after a restart, which follows the next send.
  Ctx().panel.RequestFourKChange();
  Host().NoteEdit();
}

}  // namespace ostrivane
