// What the MULTIPLEX page shows, enables and reads back, by model, output type and mode.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QSlider>
#include <algorithm>
#include <tuple>

#include "config/DeviceCodes.h"
#include "operations/Capabilities.h"
#include "operations/ModelTable.h"
#include "texts/TextTable.h"
#include "ui/ColouredTabBar.h"
#include "ui/pages/EditNumbers.h"
#include "ui/pages/FieldMarks.h"
#include "ui/pages/MultiplexPage.h"

namespace ostrivane {

namespace {

using namespace mpxcontrol;

constexpr std::int32_t kFullHardware = 0;
constexpr std::int32_t kNoLcnCountry = 27;  // "---", the last item of the country list
// From RTSP on (model 192) the device itself serves the stream: no destination to give.
constexpr std::int32_t kFirstServedProtocol = 2;

constexpr int kLevelMaxLegacy = 29;
constexpr int kLevelMax = 15;

constexpr std::uint32_t kLe16Max = 65535;
constexpr std::int32_t kDefaultTsId = 8442;
constexpr std::int32_t kDefaultPort = 5004;
constexpr std::int32_t kDefaultNetworkId = 100;
constexpr std::int32_t kDefaultOriginalNetworkId = 8442;
constexpr std::uint32_t kMaxNetworkVersion = 32;
constexpr std::int32_t kDefaultNetworkVersion = 1;
constexpr std::uint32_t kMinTtl = 1;
constexpr std::uint32_t kMaxTtl = 128;
constexpr std::int32_t kDefaultTtl = 128;
constexpr int kAddressLength = 16;
constexpr int kNetworkNameLength = 32;

constexpr std::uint32_t kBitsPerKilobit = 1000;
constexpr int kIdleMeterRange = 100;
constexpr int kMeterSlots = static_cast<int>(std::tuple_size_v<decltype(DeviceStatus::Bitrates)>);

std::int32_t ReadLimits(const QLineEdit* edit, const Limits& limits) {
  return ReadWithin(edit->text(), limits.minimum, limits.maximum,
                    static_cast<std::int32_t>(limits.fallback));
}

void SetTextIfChanged(QLabel* label, const QString& text) {
  if (label->text() != text) label->setText(text);
}

FieldMarks::RangeOf Fixed(std::int64_t minimum, std::int64_t maximum) {
  return [minimum, maximum] { return FieldMarks::Range{minimum, maximum}; };
}

// An address field holding something other than a whole address keeps the model's value.
void ReadAddress(const QLineEdit* edit, QString& field) {
  const QString text = edit->text().left(kAddressLength);
  if (FieldMarks::IsWholeAddress(text)) field = text;
}

}  // namespace

void MultiplexPage::WatchFields() {
  FieldMarks& marks = Marks();
  const auto shapeRange = [this](Limits RecordShape::*limits) {
    return [this, limits] {
      const Limits& l = Ctx().shape.*limits;
      return FieldMarks::Range{l.minimum, l.maximum};
    };
  };
  marks.WatchNumber(
      m_tsId, [this] { return Output().TsId; }, Fixed(0, kLe16Max));
  marks.WatchNumber(
      m_frequency, [this] { return Output().FrequencyKhz; },
      shapeRange(&RecordShape::FrequencyLimits));
  marks.WatchNumber(
      m_symbolRate, [this] { return Output().SymbolRateKsps; },
      shapeRange(&RecordShape::SymbolRateLimits));
  marks.WatchNumber(
      m_destPort,
      [this] { return Ctx().config.Services[static_cast<std::size_t>(OutputIndex())].DestPort; },
      Fixed(0, kLe16Max));
  marks.WatchNumber(
      m_ttl, [this] { return Ctx().config.Ttl; }, Fixed(kMinTtl, kMaxTtl));
  marks.WatchNumber(
      m_networkVersion, [this] { return Ctx().config.NetworkVersion; },
      Fixed(0, kMaxNetworkVersion));
  marks.WatchNumber(
      m_networkId, [this] { return Ctx().config.NetworkId; }, Fixed(0, kLe16Max));
  marks.WatchNumber(
      m_originalNetworkId, [this] { return Ctx().config.OriginalNetworkId; }, Fixed(0, kLe16Max));
  for (QLineEdit* address : {m_deviceIp, m_mask, m_gateway}) marks.WatchAddress(address);
}

QStringList ModulatorTabLabels(int modulatorCount, const DeviceStatus* meter,
                               const QString& initText) {
  QStringList labels;
  for (int i = 0; i < modulatorCount; ++i) {
    QString label = QStringLiteral("M%1").arg(i + 1);
    const bool measured = meter == nullptr || i >= kMeterSlots ||
                          meter->Bitrates[static_cast<std::size_t>(i)].BitrateCapacity != 0;
    if (!measured) label += QStringLiteral(" (") + initText + QStringLiteral(")");
    labels.append(label);
  }
  return labels;
}

int MultiplexPage::OutputIndex() const {
  return std::clamp(Host().CurrentModulator(), 0, kModulatorSlots - 1);
}

ModulatorSettings& MultiplexPage::Output() {
  return Ctx().config.Modulators[static_cast<std::size_t>(OutputIndex())];
}

void MultiplexPage::RefillProtocolList(std::uint8_t typeCode) {
  m_protocols->clear();
  if (typeCode == kFourKType) {
    m_protocols->addItems({QStringLiteral("RTP"), QStringLiteral("UDP"), QStringLiteral("RTSP"),
                           QStringLiteral("HLS")});
  } else {
    m_protocols->addItems({QStringLiteral("UDP"), QStringLiteral("RTP")});
  }
}

void MultiplexPage::PageShow(bool flag) {
  // Range and strip follow the model even while the page is hidden.
  m_level->setRange(0, TypeCode() == kLegacyType ? kLevelMaxLegacy : kLevelMax);
  m_modulatorTabs->SetItems(ModulatorTabLabels(Ctx().shape.ModulatorCount, nullptr, {}));
  m_modulatorTabs->SelectQuietly(Host().CurrentModulator());
  PanelPage::PageShow(flag);
  // Items added while the strip was hidden leave the page's layout with the empty strip's height.
  m_modulatorTabs->updateGeometry();

  m_ip->setVisible(TypeCode() != kFourKType);
  m_ipLabel->setVisible(TypeCode() == kFourKType);
  ShowConstellationList();
  SetVisible({BitrateText, BitrateMeter}, HasBitrateMeter(TypeCode()));
}

void MultiplexPage::ShowConstellationList() {
  const std::int32_t mode = Output().Mode;
  m_constellation->setVisible(mode == kModeDvbT);
  m_cableConstellation->setVisible(mode == kModeDvbC);
}

void MultiplexPage::PageEnable() {
  const std::int32_t mode = Output().Mode;
  EnableDeviceAddress();
  EnableOutputTypes();
  EnableModulation(mode);
  EnableIpOutput(mode);
  EnableNetworkIdentity();
  SetEnabled({BitrateText, BitrateMeter}, true);
  SetTextIfChanged(m_levelValue, QStringLiteral("%1dB").arg(Output().AttenuationDb));
}

void MultiplexPage::EnableDeviceAddress() {
  const bool modes = Ctx().settings.AdvancedMode() || Ctx().settings.ManufacturerMode();
  const bool editable = TypeCode() == kLegacyType && modes;
  m_dhcp->setEnabled(editable);
  SetEnabled({DeviceIpLabel, MaskLabel, GatewayLabel, DeviceIp, Mask, Gateway},
             editable && Ctx().config.Dhcp == 0);
}

void MultiplexPage::EnableOutputTypes() {
  m_dvbC->setEnabled(HasDvbC(TypeCode()));
  m_dvbT->setEnabled(TypeCode() != kSatelliteType);
  m_dvbS->setEnabled(TypeCode() == kSatelliteType);
  m_ip->setEnabled(Ctx().config.HardwareType == kFullHardware);
}

void MultiplexPage::EnableModulation(std::int32_t mode) {
  const bool terrestrial = mode == kModeDvbT;
  const bool cable = mode == kModeDvbC;
  const bool satellite = mode == kModeDvbS;
  SetEnabled({FrequencyLabel, Frequency, LevelLabel, Level, LevelValue}, mode != kModeIp);
  SetEnabled({BandwidthLabel, Bandwidth, ConstellationLabel}, terrestrial || cable);
  m_constellation->setEnabled(terrestrial);
  m_cableConstellation->setEnabled(cable);
  SetEnabled({SymbolRateLabel, SymbolRate}, cable || satellite);
  SetEnabled({CodeRateLabel, CodeRate}, terrestrial || satellite);
  SetEnabled({ModeLabel, TransmissionMode, GuardLabel, GuardInterval}, terrestrial);
}

void MultiplexPage::EnableIpOutput(std::int32_t mode) {
  // Model 192 streams over IP beside its modulated output, whatever the output type.
  const bool streaming = mode == kModeIp || TypeCode() == kFourKType;
  m_protocols->setEnabled(streaming);
  SetEnabled({AddressLabel, DestAddress, PortLabel, DestPort},
             streaming && Ctx().config.StreamProtocol < kFirstServedProtocol);
  SetEnabled({TtlLabel, Ttl}, mode == kModeIp);
}

void MultiplexPage::EnableNetworkIdentity() {
  const bool countries = HasLcnCountry(TypeCode());
  SetEnabled({LcnCountryLabel, LcnCountry}, countries);
  // A chosen country brings its own network ids and LCN flavour.
  const bool ownIdentity = !countries || Ctx().config.LcnCountry == kNoLcnCountry;
  SetVisible({NetworkIdLabel, OriginalIdLabel, NetworkId, OriginalNetworkId}, ownIdentity);
  SetVisible({LcnTypeLabel, LcnType}, ownIdentity && TypeCode() != kSatelliteType);
}

void MultiplexPage::SetEnabled(std::initializer_list<int> ids, bool enabled) {
  for (int id : ids) {
    if (QWidget* widget = Control(id)) widget->setEnabled(enabled);
  }
}

void MultiplexPage::SetVisible(std::initializer_list<int> ids, bool visible) {
  for (int id : ids) {
    if (QWidget* widget = Control(id)) widget->setVisible(visible);
  }
}

void MultiplexPage::ChooseOutputType(std::int32_t mode) {
  Output().Mode = mode;
  PageShow(true);  // the constellation list of the new type takes the shared place
  PageEnable();
  PageRead();
}

void MultiplexPage::FillValues() {
  const DeviceConfig& config = Ctx().config;
  FillOutput();
  m_protocols->setCurrentIndex(config.StreamProtocol);
  // The IP destination of output m is held by service entry m.
  const ServiceSettings& destination = config.Services[static_cast<std::size_t>(OutputIndex())];
  m_destAddress->setText(destination.DestAddress);
  m_destPort->setText(QString::number(destination.DestPort));
  m_ttl->setText(QString::number(config.Ttl));
  m_networkVersion->setText(QString::number(config.NetworkVersion));
  m_networkName->setText(config.NetworkName);
  m_networkId->setText(QString::number(config.NetworkId));
  m_originalNetworkId->setText(QString::number(config.OriginalNetworkId));
  m_lcnType->setCurrentIndex(config.LcnType);
  m_lcnCountry->setCurrentIndex(config.LcnCountry);
  m_dhcp->setChecked(config.Dhcp != 0);
  m_deviceIp->setText(config.IpAddress);
  m_mask->setText(config.SubnetMask);
  m_gateway->setText(config.Gateway);
}

void MultiplexPage::FillOutput() {
  const ModulatorSettings& output = Output();
  // Exclusive groups cannot clear every button; an unknown mode clears all four.
  m_outputTypes->setExclusive(false);
  m_ip->setChecked(output.Mode == kModeIp);
  m_dvbT->setChecked(output.Mode == kModeDvbT);
  m_dvbC->setChecked(output.Mode == kModeDvbC);
  m_dvbS->setChecked(output.Mode == kModeDvbS);
  m_outputTypes->setExclusive(true);
  m_tsId->setText(QString::number(output.TsId));
  m_frequency->setText(QString::number(output.FrequencyKhz));
  m_bandwidth->setCurrentIndex(output.Bandwidth);
  m_transmissionMode->setCurrentIndex(output.TransmissionMode);
  m_constellation->setCurrentIndex(output.Constellation);
  m_cableConstellation->setCurrentIndex(output.CableConstellation);
  m_codeRate->setCurrentIndex(output.CodeRate);
  m_guardInterval->setCurrentIndex(output.GuardInterval);
  m_symbolRate->setText(QString::number(output.SymbolRateKsps));
  m_level->setValue(output.AttenuationDb);
  m_level->update();
}

void MultiplexPage::ReadValues() {
  DeviceConfig& config = Ctx().config;
  ReadOutput();
  config.StreamProtocol = m_protocols->currentIndex();
  ServiceSettings& destination = config.Services[static_cast<std::size_t>(OutputIndex())];
  destination.DestAddress = m_destAddress->text().left(kAddressLength);
  destination.DestPort = ReadAtMost(m_destPort->text(), kLe16Max, kDefaultPort);
  config.Ttl = ReadWithin(m_ttl->text(), kMinTtl, kMaxTtl, kDefaultTtl);
  config.NetworkVersion =
      ReadAtMost(m_networkVersion->text(), kMaxNetworkVersion, kDefaultNetworkVersion);
  config.NetworkName = m_networkName->text().left(kNetworkNameLength);
  config.NetworkId = ReadAtMost(m_networkId->text(), kLe16Max, kDefaultNetworkId);
  config.OriginalNetworkId =
      ReadAtMost(m_originalNetworkId->text(), kLe16Max, kDefaultOriginalNetworkId);
  config.LcnType = m_lcnType->currentIndex();
  config.LcnCountry = m_lcnCountry->currentIndex();
  config.Dhcp = m_dhcp->isChecked() ? 1 : 0;
  ReadAddress(m_deviceIp, config.IpAddress);
  ReadAddress(m_mask, config.SubnetMask);
  ReadAddress(m_gateway, config.Gateway);
}

void MultiplexPage::ReadOutput() {
  ModulatorSettings& output = Output();
  output.Mode = m_ip->isChecked()     ? kModeIp
                : m_dvbT->isChecked() ? kModeDvbT
                : m_dvbC->isChecked() ? kModeDvbC
                                      : kModeDvbS;
  output.TsId = ReadAtMost(m_tsId->text(), kLe16Max, kDefaultTsId);
  output.FrequencyKhz = ReadLimits(m_frequency, Ctx().shape.FrequencyLimits);
  output.Bandwidth = m_bandwidth->currentIndex();
  output.TransmissionMode = m_transmissionMode->currentIndex();
  output.Constellation = m_constellation->currentIndex();
  output.CableConstellation = m_cableConstellation->currentIndex();
  output.CodeRate = m_codeRate->currentIndex();
  output.GuardInterval = m_guardInterval->currentIndex();
  output.SymbolRateKsps = ReadLimits(m_symbolRate, Ctx().shape.SymbolRateLimits);
  // The position, not the value: a key or a click on the groove is read before the value
  // follows the position.
  output.AttenuationDb = m_level->sliderPosition();
}

void MultiplexPage::ShowBitrateMeter() {
  if (!HasBitrateMeter(TypeCode())) return;
  const DeviceStatus& status = Ctx().deviceStatus.current;
  const QStringList labels =
      ModulatorTabLabels(Ctx().shape.ModulatorCount, &status, Text(text::Init));
  for (int i = 0; i < labels.size() && i < m_modulatorTabs->count(); ++i) {
    if (m_modulatorTabs->tabText(i) != labels[i]) m_modulatorTabs->setTabText(i, labels[i]);
  }
  const int m = OutputIndex();
  if (m >= kMeterSlots) return;
  const OutputBitrate& rate = status.Bitrates[static_cast<std::size_t>(m)];
  if (rate.BitrateCapacity == 0) {
    SetTextIfChanged(m_bitrateText, Text(text::Init));
    m_bitrateMeter->setRange(0, kIdleMeterRange);
    m_bitrateMeter->setValue(0);
    return;
  }
  const std::uint32_t capacityKbps = rate.BitrateCapacity / kBitsPerKilobit;
  SetTextIfChanged(m_bitrateText,
                   QStringLiteral("%1/%2 Kb/s").arg(rate.BitrateCurrentKbps).arg(capacityKbps));
  // A range of 0 to 0 would turn the bar into a busy indicator; a bar never takes a position
  // outside its range, so an overfull multiplex shows full.
  const int top = static_cast<int>(std::max<std::uint32_t>(capacityKbps, 1));
  m_bitrateMeter->setRange(0, top);
  m_bitrateMeter->setValue(static_cast<int>(
      std::min<std::uint32_t>(rate.BitrateCurrentKbps, static_cast<std::uint32_t>(top))));
}

void MultiplexPage::SelectModulatorTab(int index) {
  m_modulatorTabs->SelectQuietly(index);
  // The output now shown may use the other modulation: its own list takes the shared place.
  ShowConstellationList();
}

}  // namespace ostrivane
