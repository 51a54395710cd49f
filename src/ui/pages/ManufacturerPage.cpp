#include "ui/pages/ManufacturerPage.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "files/ConfigurationFiles.h"
#include "operations/Capabilities.h"
#include "operations/DeviceActions.h"
#include "operations/FirmwareUpgrade.h"
#include "ui/ControlIds.h"
#include "ui/pages/MiscPage.h"
#include "ui/pages/UsbPage.h"

namespace ostrivane {

namespace {

constexpr int kReferenceMax = 20;
constexpr int kHexBase = 16;

int HexDigit(std::uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return 0;
}

bool ReferenceLooksMultiOutput(const QString& reference, std::uint8_t type) {
  return LayoutFor(type) != RecordLayout::MultiLayout &&
         reference.startsWith(QLatin1String("VEVE"));
}

bool OneOf(unsigned code, std::initializer_list<unsigned> codes) {
  return std::find(codes.begin(), codes.end(), code) != codes.end();
}

}  // namespace

std::int32_t ReadMacByte(const QString& text) {
  // Unsigned arithmetic: a long text wraps instead of overflowing, and the low byte stays exact.
  std::uint32_t value = 0;
  for (const QChar c : text) {
    value = value * kHexBase +
            static_cast<std::uint32_t>(HexDigit(static_cast<std::uint8_t>(c.unicode() & 0xFF)));
  }
  return static_cast<std::int32_t>(value & 0xFF);
}

QString MacByteText(std::int32_t value) {
  return QStringLiteral("%1").arg(static_cast<std::uint32_t>(value) & 0xFF, 2, kHexBase,
                                  QLatin1Char('0'));
}

QStringList LogoFileNames(const QString& logoFolder) {
  const QDir folder(logoFolder);
  return folder.entryList({QStringLiteral("*.dg1")}, QDir::Files | QDir::Hidden,
                          QDir::Name | QDir::IgnoreCase);
}

void ManufacturerPage::PageLayout() {
  m_logo->clear();
  m_logo->addItems(LogoFileNames(Ctx().settings.LogoFolder()));
  // Filling the list chooses nothing: the field shows the configuration's logo once filled.
  m_logo->setCurrentIndex(-1);
}

void ManufacturerPage::PageShow(bool flag) {
  PanelPage::PageShow(flag);
  m_snapshot->setVisible(flag && HasSnapshot(TypeCode()));
}

void ManufacturerPage::PageEnable() {
  const unsigned type = TypeCode();
  const unsigned version = MainVersion();
  const bool manufacturer = Ctx().settings.ManufacturerMode();
  const bool eitherMode = manufacturer || Ctx().settings.AdvancedMode();
  for (QWidget* widget : std::initializer_list<QWidget*>{
           m_load, m_save, m_firmwareReload, m_clockSet, m_reset, m_snapshot, m_logoLabel}) {
    widget->setEnabled(manufacturer);
  }
  m_logo->setEnabled(manufacturer && type != 192);
  const bool hardware = type == 121 && eitherMode;
  m_hardwareLabel->setEnabled(hardware);
  m_hardwareType->setEnabled(hardware);
  const bool mac = OneOf(type, {121, 192}) && eitherMode;
  m_macLabel->setEnabled(mac);
  for (QLineEdit* edit : m_mac) edit->setEnabled(mac);
  m_playRecord->setEnabled(manufacturer && !OneOf(type, {121, 192}));
  m_hdcp->setEnabled((!OneOf(type, {121, 128, 131}) && version >= 30) ||
                     (type == 157 && version >= 10) || OneOf(type, {158, 159, 176, 178}));
  m_infrared->setEnabled(OneOf(type, {158, 159}) && version >= 14);
  m_fourK->setEnabled(OneOf(type, {158, 159}) && version >= 15);
  for (QWidget* widget :
       std::initializer_list<QWidget*>{m_reference, m_country, m_factoryDefault}) {
    widget->setEnabled(true);
  }
}

void ManufacturerPage::FillValues() {
  const DeviceConfig& config = Ctx().config;
  if (m_reference->text() != config.Reference) m_reference->setText(config.Reference);
  ShowListIndex(m_country, config.DefaultCountry);
  ShowListIndex(m_hardwareType, config.HardwareType);
  m_hdcp->setChecked(config.Hdcp != 0);
  m_playRecord->setChecked(config.CapabilityPlayRecord != 0);
  m_infrared->setChecked(config.CapabilityInfrared != 0);
  m_fourK->setChecked(config.Capability4K != 0);
  for (std::size_t i = 0; i < m_mac.size(); ++i) {
    const QString text = MacByteText(config.MacAddress[i]);
    if (m_mac[i]->text() != text) m_mac[i]->setText(text);
  }
  if (m_logo->currentText() != config.LogoName) m_logo->setEditText(config.LogoName);
}

void ManufacturerPage::ReadValues() {
  DeviceConfig& config = Ctx().config;
  const QString reference = m_reference->text().left(kReferenceMax);
  // Where the reference opens the record, "VEVE" would make it read as a multi-output record.
  if (!ReferenceLooksMultiOutput(reference, TypeCode())) config.Reference = reference;
  ReadListIndex(m_country, config.DefaultCountry);
  ReadListIndex(m_hardwareType, config.HardwareType);
  config.Hdcp = m_hdcp->isChecked() ? 1 : 0;
  config.CapabilityPlayRecord = m_playRecord->isChecked() ? 1 : 0;
  config.CapabilityInfrared = m_infrared->isChecked() ? 1 : 0;
  config.Capability4K = m_fourK->isChecked() ? 1 : 0;
  for (std::size_t i = 0; i < m_mac.size(); ++i)
    config.MacAddress[i] = ReadMacByte(m_mac[i]->text());
}

void ManufacturerPage::PageRead() {
  if (Updating()) return;
  const std::int32_t playRecordBefore = Ctx().config.CapabilityPlayRecord;
  PanelPage::PageRead();
  if (Ctx().config.CapabilityPlayRecord != playRecordBefore) ShowCapabilityChange();
}

void ManufacturerPage::ShowCapabilityChange() {
  // Passing through the USB page shows or hides its controls by the new capability and redraws
  // its tab; the installer stays on this page, at the box just ticked.
  QWidget* focus = QApplication::focusWidget();
  Host().SelectPage(UsbPage::kIndex);
  Host().SelectPage(kIndex);
  if (focus != nullptr && focus->isVisible()) focus->setFocus();
}

void ManufacturerPage::ChangeCountry() {
  PageRead();
  Ctx().config.CountryMirror = Ctx().config.DefaultCountry;
  PageRead();
}

void ManufacturerPage::SaveConfiguration() {
  // The file gets the record of the device the dialog was opened for, or nothing.
  const std::uint32_t epoch = Host().ConnectionEpoch();
  ConfigurationFiles(Ctx().settings, Ctx().prompts, Ctx().status)
      .AskSavePath(TypeCode(), [this, epoch](const QString& path) {
        if (path.isEmpty() || !Host().StillConnected(epoch)) return;
        ConfigurationFiles(Ctx().settings, Ctx().prompts, Ctx().status)
            .SaveConfigurationTo(path, Ctx().config, Ctx().panel, Ctx().Layout());
      });
}

void ManufacturerPage::LoadConfiguration() {
  // A file chosen for one device is never written to another that connected meanwhile.
  const std::uint32_t epoch = Host().ConnectionEpoch();
  ConfigurationFiles(Ctx().settings, Ctx().prompts, Ctx().status)
      .AskLoadPath(TypeCode(), [this, epoch](const QString& path) {
        if (path.isEmpty() || !Host().StillConnected(epoch)) return;
        const LoadResult result =
            ConfigurationFiles(Ctx().settings, Ctx().prompts, Ctx().status)
                .LoadConfigurationFrom(path, Ctx().config, Ctx().panel, Ctx().Layout());
        if (result.outcome != LoadOutcome::Loaded) return;
        // The loaded schedule and file names are shown at once, not only after the device's
        // reply.
        Ctx().displays.RefreshScheduleList();
        if (result.pageToSelect != LoadResult::kNoPage) Host().SelectPage(result.pageToSelect);
      });
}

void ManufacturerPage::SetFactoryDefault() {
  // Sent at the next panel tick rather than two seconds later, then stored as the default.
  Ctx().panel.RequestFactoryDefault();
}

}  // namespace ostrivane
