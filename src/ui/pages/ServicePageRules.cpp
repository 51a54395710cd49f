// What the SERVICE page shows, enables and reads back, by model and service entry.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <algorithm>
#include <tuple>

#include "config/DeviceCodes.h"
#include "operations/Capabilities.h"
#include "operations/ModelTable.h"
#include "ui/ColouredTabBar.h"
#include "ui/pages/EditNumbers.h"
#include "ui/pages/FieldMarks.h"
#include "ui/pages/ServicePage.h"

namespace ostrivane {

namespace {

using namespace svccontrol;

constexpr std::int32_t kFullHardware = 0;

constexpr std::uint32_t kLe16Max = 65535;
constexpr std::int32_t kDefaultServiceId = 100;
constexpr std::int32_t kDefaultLcn = 801;
constexpr std::int32_t kDefaultHdLcn = 1;
constexpr std::uint32_t kMinPid = 32;
constexpr std::int32_t kDefaultPmtPid = 32;
constexpr std::int32_t kDefaultVideoPid = 33;
constexpr std::int32_t kDefaultAudioPid = 34;
constexpr std::int32_t kDefaultAitPid = 100;
constexpr std::uint32_t kMaxGain = 100;
constexpr std::int32_t kMaxDelayMs = 999;
constexpr std::int32_t kMinDelayMs = -999;
constexpr std::int32_t kDefaultDelayMs = 0;
constexpr int kServiceNameLength = 32;
constexpr int kEventNameLength = 40;
constexpr int kEventTextLength = 100;
constexpr int kAitTextLength = 60;

constexpr int kInputSlots = static_cast<int>(std::tuple_size_v<decltype(DeviceStatus::Inputs)>);
// Fields without an upper bound of their own hold what a signed 32-bit number does.
constexpr std::int64_t kFieldMax = 2147483647;
constexpr std::int64_t kBitPatternMax = 4294967295;

FieldMarks::RangeOf Fixed(std::int64_t minimum, std::int64_t maximum) {
  return [minimum, maximum] { return FieldMarks::Range{minimum, maximum}; };
}

}  // namespace

void ServicePage::WatchFields() {
  FieldMarks& marks = Marks();
  marks.WatchNumber(
      m_serviceId, [this] { return Service().ServiceId; }, Fixed(0, kLe16Max));
  marks.WatchNumber(
      m_lcn, [this] { return Service().Lcn; }, Fixed(1, kFieldMax));
  marks.WatchNumber(
      m_hdLcn, [this] { return Ctx().config.HdLcn; }, Fixed(1, kFieldMax));
  marks.WatchNumber(
      m_pmtPid, [this] { return Service().PmtPid; }, Fixed(kMinPid, kFieldMax));
  marks.WatchNumber(
      m_videoPid, [this] { return Service().VideoPid; }, Fixed(kMinPid, kFieldMax));
  marks.WatchNumber(
      m_audioPid, [this] { return Service().AudioPid; }, Fixed(kMinPid, kFieldMax));
  marks.WatchNumber(
      m_aitPid, [this] { return Service().AitPid; }, Fixed(kMinPid, kFieldMax));
  marks.WatchNumber(
      m_videoBitrate, [this] { return Service().VideoBitrateKbps; },
      [this] {
        const Limits& bitrate = Ctx().shape.VideoBitrateLimits;
        return FieldMarks::Range{bitrate.minimum, bitrate.maximum};
      });
  marks.WatchNumber(
      m_gain, [this] { return Service().GainPercent; }, Fixed(0, kMaxGain));
  marks.WatchNumber(
      m_delay, [this] { return Service().AudioDelayMs; },
      [this] {
        return FieldMarks::Range{TypeCode() == kFourKType ? 0 : kMinDelayMs, kMaxDelayMs};
      },
      true);
  marks.WatchNumber(
      m_aitOrganisation, [this] { return static_cast<std::uint32_t>(Service().AitOrganisationId); },
      Fixed(0, kBitPatternMax));
}

QStringList ServiceTabLabels(const DeviceStatus& status, int serviceCount) {
  QStringList labels;
  QString suffix;
  for (int i = 0; i < std::min(serviceCount, kInputSlots); ++i) {
    const ServiceInputStatus& input = status.Inputs[static_cast<std::size_t>(i)];
    if (input.InputPresent != 0) {
      suffix = QStringLiteral(" %1%2%3 %4")
                   .arg(input.InputLines)
                   .arg(input.InputProgressive != 0 ? QLatin1Char('P') : QLatin1Char('i'))
                   .arg(input.InputRate)
                   .arg(input.AudioIsAc3 != 0 ? QStringLiteral("AC3") : QStringLiteral("PCM"));
    }
    const QChar half = i % 2 == 0 ? QLatin1Char('A') : QLatin1Char('B');
    labels.append(QStringLiteral("M%1%2").arg(i / 2 + 1).arg(half) + suffix);
  }
  return labels;
}

int ServicePage::ServiceIndex() const {
  return std::clamp(Host().CurrentService(), 0, kServiceSlots - 1);
}

ServiceSettings& ServicePage::Service() {
  return Ctx().config.Services[static_cast<std::size_t>(ServiceIndex())];
}

void ServicePage::PageShow(bool flag) {
  // Strip and codec lists follow the model even while the page is hidden: the status poll
  // labels the strip's tabs.
  m_serviceTabs->SetItems(QStringList(Ctx().shape.ServiceCount, QString()));
  m_serviceTabs->SelectQuietly(Host().CurrentService());
  RebuildCodecLists();
  PanelPage::PageShow(flag);
  // Items added while the strip was hidden leave the page's layout with the empty strip's height.
  m_serviceTabs->updateGeometry();
  ShowServiceTabLabels();
}

void ServicePage::RebuildCodecLists() {
  while (m_videoCodec->count() > 1) m_videoCodec->removeItem(1);
  if (TypeCode() == kFourKType) m_videoCodec->insertItem(1, QStringLiteral("H265"));
  if (TypeCode() == kLegacyType) {
    m_videoCodec->insertItem(1, QStringLiteral("MPEG2"));
    m_videoCodec->insertItem(1, QStringLiteral("MPEG2-SD"));
  }
  while (m_audioCodec->count() > 1) m_audioCodec->removeItem(1);
  if (TypeCode() != kFourKType) m_audioCodec->insertItem(1, QStringLiteral("MPEG1-L2"));
}

void ServicePage::ShowServiceTabLabels() {
  const QStringList labels = ServiceTabLabels(Ctx().deviceStatus.current, Ctx().shape.ServiceCount);
  for (int i = 0; i < labels.size() && i < m_serviceTabs->count(); ++i) {
    if (m_serviceTabs->tabText(i) != labels[i]) m_serviceTabs->setTabText(i, labels[i]);
  }
}

void ServicePage::SelectServiceTab(int index) {
  m_serviceTabs->SelectQuietly(index);
}

void ServicePage::PageEnable() {
  const std::uint8_t type = TypeCode();
  m_videoCodec->setEnabled(true);
  SetEnabled({HdLcnLabel, HdLcn, EitLabel, EitNameLabel, EitTextLabel, EitName, EitText},
             type == kLegacyType);
  SetEnabled({LcnLabel, Lcn}, type != kSatelliteType);
  SetEnabled({DelayLabel, Delay, DelayUnit}, HasAudioDelay(type, MainVersion()));
  SetEnabled({GainPicture, Gain}, HasGainField(type));
  // The device signals one application, carried by the first service.
  const bool ait = HasAit(type) && Host().CurrentService() == 0;
  SetEnabled({AitLabel, AitEnabled}, ait);
  SetEnabled({AitPidLabel, AitControlLabel, AitOrganisationLabel, AitNameLabel, AitRootLabel,
              AitPathLabel, AitPid, AitControl, AitOrganisation, AitName, AitRoot, AitPath},
             ait && Service().AitEnabled != 0);
  SetEnabled({VideoSource, AudioSource}, Ctx().config.HardwareType == kFullHardware);
}

void ServicePage::SetEnabled(std::initializer_list<int> ids, bool enabled) {
  for (int id : ids) {
    if (QWidget* widget = Control(id)) widget->setEnabled(enabled);
  }
}

void ServicePage::FillValues() {
  const DeviceConfig& config = Ctx().config;
  const ServiceSettings& service = Service();
  m_serviceId->setText(QString::number(service.ServiceId));
  m_name->setEditText(service.ServiceName);
  m_lcn->setText(QString::number(service.Lcn));
  m_hdLcn->setText(QString::number(config.HdLcn));
  m_pmtPid->setText(QString::number(service.PmtPid));
  m_videoPid->setText(QString::number(service.VideoPid));
  m_audioPid->setText(QString::number(service.AudioPid));
  m_videoBitrate->setText(QString::number(service.VideoBitrateKbps));
  m_gain->setText(QString::number(service.GainPercent));
  m_delay->setText(QString::number(service.AudioDelayMs));
  m_videoCodec->setCurrentIndex(config.VideoCodec);
  m_videoSource->setCurrentIndex(config.VideoInput);
  m_audioSource->setCurrentIndex(config.AudioInput);
  m_audioCodec->setCurrentIndex(service.AudioCodec);
  m_audioBitrate->setCurrentIndex(service.AudioBitrate);
  m_eitName->setText(service.EitEventName);
  m_eitText->setText(service.EitEventText);
  // Long texts show their beginning, not their end.
  m_eitName->setCursorPosition(0);
  m_eitText->setCursorPosition(0);
  FillAit(service);
}

void ServicePage::FillAit(const ServiceSettings& service) {
  m_aitEnabled->setChecked(service.AitEnabled != 0);
  m_aitControl->setCurrentIndex(service.AitControlCode);
  // Shown unsigned, as it is read back: a large identifier survives an edit of another field.
  const std::pair<QLineEdit*, QString> edits[] = {
      {m_aitPid, QString::number(service.AitPid)},
      {m_aitOrganisation, ShowBitPattern(service.AitOrganisationId)},
      {m_aitName, service.AitAppName},
      {m_aitRoot, service.AitRootUrl},
      {m_aitPath, service.AitPath}};
  for (const auto& [edit, text] : edits) {
    const QSignalBlocker quiet(edit);
    edit->setText(text);
    edit->setCursorPosition(0);
    // A rewritten A.I.T. field counts as an A.I.T. change, whether or not its text differs.
    CountAitChange();
  }
}

void ServicePage::ReadValues() {
  DeviceConfig& config = Ctx().config;
  ServiceSettings& service = Service();
  service.ServiceId = ReadAtMost(m_serviceId->text(), kLe16Max, kDefaultServiceId);
  service.ServiceName = m_name->currentText().left(kServiceNameLength);
  service.Lcn = ReadAtLeast(m_lcn->text(), 1, kDefaultLcn);
  config.HdLcn = ReadAtLeast(m_hdLcn->text(), 1, kDefaultHdLcn);
  service.PmtPid = ReadAtLeast(m_pmtPid->text(), kMinPid, kDefaultPmtPid);
  service.VideoPid = ReadAtLeast(m_videoPid->text(), kMinPid, kDefaultVideoPid);
  service.AudioPid = ReadAtLeast(m_audioPid->text(), kMinPid, kDefaultAudioPid);
  const Limits& bitrate = Ctx().shape.VideoBitrateLimits;
  service.VideoBitrateKbps = ReadWithin(m_videoBitrate->text(), bitrate.minimum, bitrate.maximum,
                                        static_cast<std::int32_t>(bitrate.fallback));
  service.GainPercent = ReadAtMost(m_gain->text(), kMaxGain, static_cast<std::int32_t>(kMaxGain));
  const std::int32_t minDelay = TypeCode() == kFourKType ? 0 : kMinDelayMs;
  service.AudioDelayMs = ReadSignedWithin(m_delay->text(), minDelay, kMaxDelayMs, kDefaultDelayMs);
  config.VideoCodec = m_videoCodec->currentIndex();
  config.VideoInput = m_videoSource->currentIndex();
  config.AudioInput = m_audioSource->currentIndex();
  service.AudioCodec = m_audioCodec->currentIndex();
  service.AudioBitrate = m_audioBitrate->currentIndex();
  service.EitEventName = m_eitName->text().left(kEventNameLength);
  service.EitEventText = m_eitText->text().left(kEventTextLength);
  // LcnType is left to the MULTIPLEX page, the only one that shows its list: read from here, the
  // list could still hold what another device or an earlier record left in it.
  ReadAit(service);
}

void ServicePage::ReadAit(ServiceSettings& service) {
  service.AitEnabled = m_aitEnabled->isChecked() ? 1 : 0;
  service.AitPid = ReadAtLeast(m_aitPid->text(), kMinPid, kDefaultAitPid);
  service.AitControlCode = m_aitControl->currentIndex();
  service.AitOrganisationId = ReadBitPattern(m_aitOrganisation->text());
  service.AitAppName = m_aitName->text().left(kAitTextLength);
  service.AitRootUrl = m_aitRoot->text().left(kAitTextLength);
  service.AitPath = m_aitPath->text().left(kAitTextLength);
}

void ServicePage::PickChannel(int index) {
  const QVector<ChannelEntry>& channels = Ctx().settings.ChannelTable();
  if (index < 0 || index >= channels.size()) return;
  const ChannelEntry& channel = channels[index];
  {
    // One read-back for the three fields, after all of them hold the channel.
    const QSignalBlocker quietName(m_name);
    const QSignalBlocker quietId(m_serviceId);
    const QSignalBlocker quietLcn(m_lcn);
    m_name->setEditText(channel.name);
    m_serviceId->setText(QString::number(channel.serviceId));
    m_lcn->setText(QString::number(channel.lcn));
  }
  PageRead();
}

void ServicePage::AitEdit() {
  CountAitChange();
  PageRead();
}

void ServicePage::CountAitChange() {
  // The device learns of a changed application from the version of service entry 0, whichever
  // entry was edited. Unsigned, so that the count wraps instead of overflowing.
  std::int32_t& version = Ctx().config.Services[0].AitVersion;
  version = static_cast<std::int32_t>(static_cast<std::uint32_t>(version) + 1U);
}

}  // namespace ostrivane
