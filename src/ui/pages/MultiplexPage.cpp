#include "ui/pages/MultiplexPage.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

#include "ui/ColouredTabBar.h"
#include "ui/ControlIds.h"
#include "ui/Pictures.h"
#include "ui/pages/PageGrid.h"

namespace ostrivane {

namespace {

using namespace mpxcontrol;

constexpr int kAddressChars = 15;  // "255.255.255.255"
constexpr int kPictureSide = 20;
constexpr int kMeterWidth = 160;
constexpr int kLevelWidth = 120;

const QStringList kBandwidths = {"6 Mhz", "7 Mhz", "8 Mhz"};
const QStringList kTransmissionModes = {"2K", "8K"};
const QStringList kConstellations = {"QPSK", "QAM16", "QAM64"};
const QStringList kCableConstellations = {"QAM16", "QAM32", "QAM64", "QAM128", "QAM256"};
const QStringList kCodeRates = {"1/2", "2/3", "3/4", "5/6", "7/8"};
const QStringList kGuardIntervals = {"1/32", "1/16", "1/8", "1/4"};
const QStringList kLcnTypes = {"EACEM", "ITC", "NORDIG", "AUSTRALIA"};
const QStringList kLcnCountries = {
    "FRANCE",    "SPAIN",       "UK",          "IRELAND",     "GERMANY", "ITALY",   "POLAND",
    "PORTUGAL",  "GREECE",      "SWITZERLAND", "DENMARK",     "FINLAND", "NORWAY",  "SWEDEN",
    "AUSTRALIA", "NEW_ZEALAND", "CZECH",       "NETHERLANDS", "RUSSIA",  "SLOVAK",  "SLOVENIA",
    "HUNGARY",   "AUSTRIA",     "LATVIA",      "ISRAEL",      "CROATIA", "ESTONIA", "---"};

}  // namespace

MultiplexPage::MultiplexPage(PanelHost& host, OperationContext& ctx, QWidget* parent)
    : PanelPage(kIndex, host, ctx, parent) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, kPageRightMargin, 0);
  column->setSpacing(kPageSectionGap);
  column->addLayout(BuildAddressRows());
  column->addLayout(BuildNetworkRows());

  m_modulatorTabs =
      AddControl(control::ModulatorTabs,
                 new ColouredTabBar([](int) { return ColouredTabBar::kRoyalBlue; }, this),
                 "modulatorTabs", QStringLiteral("Modulator outputs"));
  connect(m_modulatorTabs, &QTabBar::currentChanged, this,
          [this](int index) { Host().ChooseModulator(index); });
  column->addWidget(m_modulatorTabs);

  column->addLayout(BuildOutputRows());
  column->addStretch(1);
  WatchFields();
  LinkLabels();
  ChainTabOrder();
}

void MultiplexPage::LinkLabels() {
  // A screen reader names each field after the label above it as well.
  const std::pair<int, int> pairs[] = {{DeviceIpLabel, DeviceIp},
                                       {MaskLabel, Mask},
                                       {GatewayLabel, Gateway},
                                       {VersionLabel, NetworkVersion},
                                       {NetworkNameLabel, NetworkName},
                                       {LcnCountryLabel, LcnCountry},
                                       {NetworkIdLabel, NetworkId},
                                       {OriginalIdLabel, OriginalNetworkId},
                                       {LcnTypeLabel, LcnType},
                                       {TsIdLabel, TsId},
                                       {FrequencyLabel, Frequency},
                                       {BandwidthLabel, Bandwidth},
                                       {ConstellationLabel, Constellation},
                                       {SymbolRateLabel, SymbolRate},
                                       {ModeLabel, TransmissionMode},
                                       {CodeRateLabel, CodeRate},
                                       {GuardLabel, GuardInterval},
                                       {LevelLabel, Level},
                                       {AddressLabel, DestAddress},
                                       {PortLabel, DestPort},
                                       {TtlLabel, Ttl},
                                       {IpLabel, Protocol}};
  for (const auto& [labelId, fieldId] : pairs) {
    if (auto* label = qobject_cast<QLabel*>(Control(labelId))) label->setBuddy(Control(fieldId));
  }
}

QLineEdit* MultiplexPage::AddEdit(int id, int chars, const char* objectName, const char* spoken) {
  auto* edit = AddControl(id, new QLineEdit(this), objectName, QString::fromLatin1(spoken));
  FitEditWidth(edit, chars);
  connect(edit, &QLineEdit::textChanged, this, [this] { PageRead(); });
  return edit;
}

QLineEdit* MultiplexPage::AddAddressEdit(int id, const char* objectName, const char* spoken) {
  auto* edit = AddControl(id, new QLineEdit(this), objectName, QString::fromLatin1(spoken));
  FitEditWidth(edit, kAddressChars);
  // Typing passes through other whole addresses (backspacing over 192.168.1.10 gives
  // 192.168.1.1): only the finished edit counts. Leaving an untouched field changes nothing.
  connect(edit, &QLineEdit::editingFinished, this, [this, edit] {
    if (!edit->isModified()) return;
    edit->setModified(false);
    ConfirmDeviceMove([this] { PageRead(); });
  });
  return edit;
}

QComboBox* MultiplexPage::AddList(int id, const QStringList& items, const char* objectName,
                                  const char* spoken) {
  auto* list = AddControl(id, new QComboBox(this), objectName, QString::fromLatin1(spoken));
  list->addItems(items);
  connect(list, &QComboBox::activated, this, [this] { PageRead(); });
  return list;
}

QRadioButton* MultiplexPage::AddOutputType(int id, const char* text, const char* objectName,
                                           std::int32_t mode) {
  const QString caption = QString::fromLatin1(text);
  auto* radio = AddControl(id, new QRadioButton(caption, this), objectName, caption);
  m_outputTypes->addButton(radio, static_cast<int>(mode));
  // Any way of switching it counts (mouse, keyboard, accessibility action), filling does not.
  connect(radio, &QRadioButton::toggled, this, [this, mode](bool on) {
    if (on && !Updating()) ChooseOutputType(mode);
  });
  return radio;
}

QLayout* MultiplexPage::BuildAddressRows() {
  auto* grid = NewPageGrid();
  grid->addWidget(AddLabel(DeviceIpLabel, QStringLiteral("IP Address : "), "deviceIpLabel"), 0, 1);
  grid->addWidget(AddLabel(MaskLabel, QStringLiteral("Mask :"), "maskLabel"), 0, 2);
  grid->addWidget(AddLabel(GatewayLabel, QStringLiteral("Gateway :"), "gatewayLabel"), 0, 3);

  m_dhcp =
      AddControl(Dhcp, new QCheckBox(QStringLiteral("DHCP"), this), "dhcp", QStringLiteral("DHCP"));
  connect(m_dhcp, &QCheckBox::toggled, this, [this] {
    if (!Updating()) ConfirmDeviceMove([this] { PageRead(); });
  });
  m_deviceIp = AddAddressEdit(DeviceIp, "deviceIp", "Device IP address");
  m_mask = AddAddressEdit(Mask, "subnetMask", "Subnet mask");
  m_gateway = AddAddressEdit(Gateway, "gateway", "Gateway address");
  grid->addWidget(m_dhcp, 1, 0);
  grid->addWidget(m_deviceIp, 1, 1);
  grid->addWidget(m_mask, 1, 2);
  grid->addWidget(m_gateway, 1, 3);
  grid->setColumnStretch(4, 1);
  return grid;
}

QLayout* MultiplexPage::BuildNetworkRows() {
  auto* grid = NewPageGrid();
  // Texts of the localised labels arrive with PageLayout.
  grid->addWidget(AddLabel(VersionLabel, QStringLiteral("Vers. :"), "networkVersionLabel"), 0, 1);
  grid->addWidget(AddLabel(NetworkNameLabel, {}, "networkNameLabel"), 0, 2);
  grid->addWidget(AddLabel(LcnCountryLabel, QStringLiteral("LCN Country :"), "lcnCountryLabel"), 0,
                  3);
  grid->addWidget(AddLabel(NetworkIdLabel, {}, "networkIdLabel"), 0, 4);
  grid->addWidget(AddLabel(OriginalIdLabel, {}, "originalNetworkIdLabel"), 0, 5);
  grid->addWidget(AddLabel(LcnTypeLabel, {}, "lcnTypeLabel"), 0, 6);

  grid->addWidget(AddLabel(NetworkLabel, {}, "networkLabel"), 1, 0);
  m_networkVersion = AddEdit(NetworkVersion, 4, "networkVersion", "Network version");
  m_networkName = AddEdit(NetworkName, 0, "networkName", "Network name");
  m_lcnCountry = AddList(LcnCountry, kLcnCountries, "lcnCountry", "LCN country choice");
  m_networkId = AddEdit(NetworkId, 6, "networkId", "Network id");
  m_originalNetworkId = AddEdit(OriginalNetworkId, 6, "originalNetworkId", "Original network id");
  m_lcnType = AddList(LcnType, kLcnTypes, "lcnType", "LCN descriptor type");
  int col = 1;
  for (QWidget* field :
       std::initializer_list<QWidget*>{m_networkVersion, m_networkName, m_lcnCountry, m_networkId,
                                       m_originalNetworkId, m_lcnType}) {
    grid->addWidget(field, 1, col++);
  }
  grid->setColumnStretch(7, 1);
  return grid;
}

QLayout* MultiplexPage::BuildOutputRows() {
  auto* grid = NewPageGrid();
  BuildOutputTypes(grid);
  BuildModulationRow(grid, 1);
  BuildIpRows(grid, 3);
  grid->setColumnStretch(9, 1);
  return grid;
}

void MultiplexPage::BuildOutputTypes(QGridLayout* grid) {
  m_outputTypes = new QButtonGroup(this);
  m_dvbT = AddOutputType(DvbT, "DVB-T", "outputDvbT", 1);
  m_dvbC = AddOutputType(DvbC, "DVB-C", "outputDvbC", 2);
  m_dvbS = AddOutputType(DvbS, "DVB-S", "outputDvbS", 3);
  auto* row = new QHBoxLayout;
  row->addWidget(m_dvbT);
  row->addWidget(m_dvbC);
  row->addWidget(m_dvbS);
  row->addStretch(1);
  grid->addLayout(row, 0, 0, 1, 9);
}

void MultiplexPage::BuildModulationRow(QGridLayout* grid, int row) {
  const std::pair<int, const char*> labels[] = {{TsIdLabel, "tsIdLabel"},
                                                {FrequencyLabel, "frequencyLabel"},
                                                {BandwidthLabel, "bandwidthLabel"},
                                                {ConstellationLabel, "constellationLabel"},
                                                {SymbolRateLabel, "symbolRateLabel"},
                                                {ModeLabel, "transmissionModeLabel"},
                                                {CodeRateLabel, "codeRateLabel"},
                                                {GuardLabel, "guardIntervalLabel"},
                                                {LevelLabel, "levelLabel"}};
  int col = 0;
  for (const auto& [id, name] : labels) grid->addWidget(AddLabel(id, {}, name), row, col++);

  m_tsId = AddEdit(TsId, 6, "tsId", "Transport stream id");
  m_frequency = AddEdit(Frequency, 8, "frequency", "Frequency (kHz)");
  m_bandwidth = AddList(Bandwidth, kBandwidths, "bandwidth", "Channel bandwidth");
  m_constellation = AddList(Constellation, kConstellations, "constellation", "DVB-T constellation");
  m_cableConstellation = AddList(CableConstellation, kCableConstellations, "cableConstellation",
                                 "DVB-C constellation");
  m_symbolRate = AddEdit(SymbolRate, 6, "symbolRate", "Symbol rate (kS/s)");
  m_transmissionMode =
      AddList(TransmissionMode, kTransmissionModes, "transmissionMode", "Transmission mode");
  m_codeRate = AddList(CodeRate, kCodeRates, "codeRate", "Code rate");
  m_guardInterval = AddList(GuardInterval, kGuardIntervals, "guardInterval", "Guard interval");
  const QList<QWidget*> fields = {m_tsId,       m_frequency,        m_bandwidth, m_constellation,
                                  m_symbolRate, m_transmissionMode, m_codeRate,  m_guardInterval};
  col = 0;
  for (QWidget* field : fields) {
    grid->addWidget(field, row + 1, col++);
    // Both constellation lists share one place; only the one of the output type is shown.
    if (field == m_constellation) grid->addWidget(m_cableConstellation, row + 1, col - 1);
  }
  // The place stays as wide as the wider list, so the columns to its right never move.
  for (QWidget* list : {m_constellation, m_cableConstellation}) {
    QSizePolicy policy = list->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    list->setSizePolicy(policy);
  }

  grid->addLayout(BuildLevelControls(), row + 1, col);
}

QLayout* MultiplexPage::BuildLevelControls() {
  auto* picture =
      AddControl(LevelPicture, new QLabel(this), "levelPicture", QStringLiteral("Level ramp"));
  picture->setPixmap(PictureIcon(Picture::LevelRamp).pixmap(kPictureSide, kPictureSide));
  m_level = AddControl(Level, new QSlider(Qt::Horizontal, this), "levelAttenuation",
                       QStringLiteral("Output level attenuation"));
  m_level->setPageStep(5);
  m_level->setMinimumWidth(kLevelWidth);
  // Moving the thumb changes nothing; the position counts once it is released, or at once when a
  // key, the wheel or a click on the groove moves it (the wheel reports itself as a drag).
  connect(m_level, &QSlider::sliderReleased, this, [this] { PageRead(); });
  connect(m_level, &QSlider::valueChanged, this, [this] {
    if (!m_level->isSliderDown()) PageRead();
  });
  m_levelValue = AddControl(LevelValue, new QLabel(QStringLiteral("dB"), this), "levelValue",
                            QStringLiteral("Attenuation (dB)"));
  m_levelValue->setMinimumWidth(m_levelValue->fontMetrics().horizontalAdvance("88dB"));
  auto* level = new QHBoxLayout;
  level->addWidget(picture);
  level->addWidget(m_level, 1);
  level->addWidget(m_levelValue);
  return level;
}

void MultiplexPage::BuildIpRows(QGridLayout* grid, int row) {
  m_ip = AddOutputType(Ip, "IP", "outputIp", 0);
  m_ipLabel = AddLabel(IpLabel, QStringLiteral("IP :"), "ipLabel");
  m_ipLabel->setAccessibleName(Local(u"IP output"));
  grid->addWidget(m_ip, row, 0);
  grid->addWidget(m_ipLabel, row, 0);
  grid->addWidget(AddLabel(AddressLabel, {}, "destAddressLabel"), row, 1);
  grid->addWidget(AddLabel(PortLabel, {}, "destPortLabel"), row, 2);
  grid->addWidget(AddLabel(TtlLabel, QStringLiteral("TTL :"), "ttlLabel"), row, 3);

  m_protocols = AddList(Protocol, {}, "streamProtocol", "Stream protocol");
  m_destAddress = AddEdit(DestAddress, kAddressChars, "destAddress", "Destination address");
  m_destPort = AddEdit(DestPort, 6, "destPort", "Destination port");
  m_ttl = AddEdit(Ttl, 4, "ttl", "Time to live");
  m_bitrateText = AddControl(BitrateText, new QLabel(QStringLiteral("Kb/s"), this), "bitrateText",
                             QStringLiteral("Multiplex bitrate"));
  m_bitrateMeter = AddControl(BitrateMeter, new QProgressBar(this), "bitrateMeter",
                              QStringLiteral("Bitrate meter"));
  m_bitrateMeter->setTextVisible(false);
  m_bitrateMeter->setMinimumWidth(kMeterWidth);
  grid->addWidget(m_protocols, row + 1, 0);
  grid->addWidget(m_destAddress, row + 1, 1);
  grid->addWidget(m_destPort, row + 1, 2);
  grid->addWidget(m_ttl, row + 1, 3);
  auto* meter = new QHBoxLayout;
  meter->addWidget(m_bitrateText);
  meter->addWidget(m_bitrateMeter, 1);
  grid->addLayout(meter, row + 1, 4, 1, 5);
}

void MultiplexPage::PageLayout() {
  // Labels in the installer's language, in place of the template's own captions.
  const std::pair<int, int> texts[] = {
      {FrequencyLabel, 8},  {TsIdLabel, 9},        {ModeLabel, 10},      {ConstellationLabel, 11},
      {BandwidthLabel, 12}, {CodeRateLabel, 13},   {GuardLabel, 14},     {LevelLabel, 15},
      {NetworkLabel, 16},   {OriginalIdLabel, 17}, {NetworkIdLabel, 18}, {NetworkNameLabel, 19},
      {LcnTypeLabel, 21},   {SymbolRateLabel, 27}, {AddressLabel, 28},   {PortLabel, 29}};
  for (const auto& [id, entry] : texts) SetLabelText(id, Text(entry));
  m_level->setTickPosition(QSlider::TicksBelow);
  m_level->setTickInterval(5);
}

void MultiplexPage::SetLabelText(int id, const QString& text) {
  auto* label = qobject_cast<QLabel*>(Control(id));
  if (label == nullptr) return;
  label->setText(text);
  label->setAccessibleName(SpokenName(text));
}

}  // namespace ostrivane
