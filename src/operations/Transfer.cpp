#include "operations/Transfer.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include "config/ConfigCodec.h"
#include "files/ConfigurationFiles.h"
#include "link/Commands.h"
#include "operations/Backups.h"
#include "operations/DeviceFiles.h"
#include "operations/StatusPoll.h"
#include "texts/TextTable.h"

namespace ostrivane {

namespace {

constexpr int kReadFailBeepHz = 800;
constexpr int kReadFailBeepMs = 500;
constexpr int kConfigErrorMs = 2000;
constexpr std::uint8_t kCardLogoType = 121;  // logo goes to the memory card, not to flash
constexpr std::uint8_t kNoLogoType = 192;
const QString kLogoRemotePath = QStringLiteral("/mnt/logo.dg1");

bool SendRestart(CXmit& link) {
  return link.Transact(cmd::Restart, {}, timeout::Normal);
}

// Reads the logo file whole; nothing when it is missing, unreadable or badly named.
std::optional<QByteArray> ReadLogo(const OperationContext& ctx) {
  const QString path = LogoFilePath(ctx);
  if (path.isEmpty()) return std::nullopt;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  QByteArray data = file.readAll();
  if (file.error() != QFileDevice::NoError || data.size() != file.size()) return std::nullopt;
  return data;
}

bool StoreOnMemoryCard(OperationContext& ctx) {
  // The logo is looked at before anything goes out, so a missing one skips only its upload.
  const std::optional<QByteArray> logo = ReadLogo(ctx);
  bool stored = RunDeviceCommand(
      ctx.link, QStringLiteral("cp /UNIT121/current16.cfg /UNIT121/default16.cfg"));
  RunDeviceCommand(ctx.link, QStringLiteral("mount /dev/mmcblk0p1 /mnt"));
  if (logo) stored = UploadDeviceFile(ctx.link, kLogoRemotePath, *logo) && stored;
  RunDeviceCommand(ctx.link, QStringLiteral("umount /mnt"));
  RunDeviceCommand(ctx.link, QStringLiteral("sync"));
  SendRestart(ctx.link);
  return stored;
}

void ShowConfigurationError(OperationContext& ctx) {
  ctx.status.ShowStatusText(LocalText(text::ConfigurationError, ctx.settings.LanguageIndex()),
                            kConfigErrorMs, false);
}

// LOAD and SET FACTORY DEFAULT replace what the device holds for good: a copy of it comes first.
bool BackupBeforeStoring(OperationContext& ctx) {
  if (ctx.panel.FactoryDefaultRequest == 0 || ctx.flags.BackupsDisabled) return true;
  const BackupResult backup = BackupDeviceConfig(ctx, ctx.clock.LocalTime());
  ShowBackupOutcome(ctx, backup);
  return backup.ok;
}

}  // namespace

std::optional<std::uint16_t> LogoFlashArea(std::uint8_t typeCode) {
  switch (typeCode) {
    case kCardLogoType:
    case kNoLogoType:
      return std::nullopt;
    case 128:
      return 989;
    case 131:
      return 926;
    case 158:
    case 159:
    case 176:
    case 178:
      return 1021;
    default:
      return 750;
  }
}

QString LogoFilePath(const OperationContext& ctx) {
  const QString& name = ctx.config.LogoName;
  // The name comes from the device record: a bare file name inside the logo folder, nothing else.
  if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") ||
      name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\'))) {
    return {};
  }
  return ctx.settings.LogoFolder() + name;
}

DeviceRecord FetchDeviceRecord(OperationContext& ctx) {
  DeviceRecord result;
  if (!ctx.link.Transact(cmd::ReadConfig, {}, timeout::Normal)) {
    result.outcome = ctx.link.ReplyStatus == LinkStatus::Refused ? ConfigReadOutcome::Refused
                                                                 : ConfigReadOutcome::NoReply;
    return result;
  }
  const std::span<const std::uint8_t> reply = ctx.link.Reply();
  // A reply longer than a record would overrun the record buffer: refused like a failed read.
  if (reply.empty()) {
    result.outcome = ConfigReadOutcome::Empty;
    return result;
  }
  if (reply.size() > kConfigImageMax) {
    result.outcome = ConfigReadOutcome::TooLong;
    return result;
  }
  const QByteArray record(reinterpret_cast<const char*>(reply.data()),
                          static_cast<qsizetype>(reply.size()));
  DeviceConfig trial = ctx.config;
  PanelState trialPanel;
  if (!DecodeConfigImage(record, ctx.Layout(), trial, trialPanel)) {
    result.outcome = ConfigReadOutcome::Undecodable;
    return result;
  }
  result.outcome = ConfigReadOutcome::Read;
  result.record = record;
  return result;
}

bool AdoptDeviceRecord(OperationContext& ctx, const QByteArray& record) {
  if (!DecodeConfigImage(record, ctx.Layout(), ctx.config, ctx.panel)) return false;
  ctx.panel.DeviceRecordRead = true;
  ctx.displays.RefreshScheduleList();
  return true;
}

ConfigReadOutcome ReadDeviceConfigOutcome(OperationContext& ctx) {
  const DeviceRecord read = FetchDeviceRecord(ctx);
  ConfigReadOutcome outcome = read.outcome;
  if (outcome == ConfigReadOutcome::Read && !AdoptDeviceRecord(ctx, read.record))
    outcome = ConfigReadOutcome::Undecodable;
  if (outcome != ConfigReadOutcome::Read) ctx.prompts.Beep(kReadFailBeepHz, kReadFailBeepMs);
  return outcome;
}

QString ConfigReadFailureText(ConfigReadOutcome outcome, int languageIndex) {
  switch (outcome) {
    case ConfigReadOutcome::Read:
    case ConfigReadOutcome::NoReply:
      return {};
    case ConfigReadOutcome::Refused:
    case ConfigReadOutcome::Empty:
    case ConfigReadOutcome::TooLong:
    case ConfigReadOutcome::Undecodable:
      break;
  }
  return LocalText(text::ConfigurationError, languageIndex);
}

void ForgetDeviceRecord(OperationContext& ctx) {
  ctx.panel.DeviceRecordRead = false;
}

bool StoreFactoryDefault(OperationContext& ctx) {
  const TransferScope transfer(ctx.link, TransferKind::FactoryDefault);
  const std::uint8_t type = ctx.identity.DeviceTypeCode;
  if (type == kCardLogoType) return StoreOnMemoryCard(ctx);
  bool stored = ctx.link.Transact(cmd::FactoryDefault, {}, timeout::Normal);
  const auto area = LogoFlashArea(type);
  if (!area) return stored;
  const std::optional<QByteArray> logo = ReadLogo(ctx);
  if (!logo) return stored;
  return WriteFlashArea(ctx.link, *area,
                        std::span(reinterpret_cast<const std::uint8_t*>(logo->constData()),
                                  static_cast<std::size_t>(logo->size()))) &&
         stored;
}

namespace {

bool FinishSend(OperationContext& ctx, bool written) {
  bool done = written;
  if (ctx.panel.FactoryDefaultRequest != 0) {
    // Storing as the default what the device refused to take would store its old configuration.
    if (written) {
      done = StoreFactoryDefault(ctx);
      if (ctx.identity.DeviceTypeCode == kCardLogoType) SendRestart(ctx.link);
    }
    ctx.panel.FactoryDefaultRequest = 0;
  }
  if (ctx.panel.FourKChanged != 0) {
    if (written) done = SendRestart(ctx.link) && done;
    ctx.panel.FourKChanged = 0;
  }
  return done;
}

}  // namespace

SendOutcome SendDeviceConfigOutcome(OperationContext& ctx) {
  ctx.panel.SendCountdown = 0;
  // A model that was never read from this device (a refused or undecodable first read) would
  // overwrite its real configuration with another device's or with zeros.
  if (!ctx.panel.DeviceRecordRead) {
    ctx.panel.FactoryDefaultRequest = 0;
    ctx.panel.FourKChanged = 0;
    return SendOutcome::NoAnswer;
  }
  const TransferScope transfer(ctx.link, TransferKind::Configuration);
  QByteArray image;
  if (!EncodeConfigImage(ctx.config, ctx.panel, ctx.Layout(), image)) {
    // Nothing went out: the edited model stays for the user to correct, and nothing is stored
    // as the default. A pending 4K restart waits for the record that carries the new value.
    ShowConfigurationError(ctx);
    ctx.panel.FactoryDefaultRequest = 0;
    return SendOutcome::Invalid;
  }
  if (!BackupBeforeStoring(ctx)) {
    ctx.panel.FactoryDefaultRequest = 0;
    return SendOutcome::NoAnswer;
  }
  // The edits this record carries; later ones stay unsent.
  const std::uint32_t request = ctx.panel.Requests.send;
  ctx.link.WriteIndicator = true;
  const bool written =
      ctx.link.Transact(cmd::WriteConfig,
                        std::span(reinterpret_cast<const std::uint8_t*>(image.constData()),
                                  static_cast<std::size_t>(image.size())),
                        timeout::Normal);
  if (written) ctx.panel.SentRequest = request;
  // Taken before the read-back answers over it.
  const bool refused = !written && ctx.link.ReplyStatus == LinkStatus::Refused;
  const bool lost = !written && !ctx.link.IsConnected();
  ReadDeviceConfig(ctx);
  if (FinishSend(ctx, written)) return SendOutcome::Sent;
  if (lost) return SendOutcome::LinkLost;
  // Written but a step asked with it (default, restart) was not taken: refused as well.
  return refused || written ? SendOutcome::Refused : SendOutcome::NoAnswer;
}

bool SendDeviceConfig(OperationContext& ctx) {
  return SendDeviceConfigOutcome(ctx) == SendOutcome::Sent;
}

SendOutcome PanelTick(OperationContext& ctx, bool timerDriven) {
  PanelState& panel = ctx.panel;
  bool poll = timerDriven;
  SendOutcome sent = SendOutcome::None;
  if (panel.SendCountdown != 0) {
    // A player command goes out in this tick, so the pending record goes first.
    if (panel.PlayerCommand != 0) panel.SendCountdown = 1;
    --panel.SendCountdown;
    if (panel.SendCountdown == 0) {
      sent = SendDeviceConfigOutcome(ctx);
      poll = false;
    }
  }
  if (panel.PlayerCommand != 0) {
    const std::uint8_t payload[] = {panel.PlayerCommand};
    ctx.link.Transact(cmd::PlayerControl, payload, timeout::Player);
    panel.PlayerCommand = 0;
    return sent;
  }
  if (poll) PollStatus(ctx);
  return sent;
}

QString FinalPanelSend(OperationContext& ctx, bool exiting, SendOutcome* outcome) {
  // Falling back, the record goes once more; exiting, only when something is unsent.
  if (!exiting || ctx.panel.UnsentEdits()) ctx.panel.SendCountdown = 1;
  const SendOutcome sent = PanelTick(ctx, false);
  if (outcome != nullptr) *outcome = sent;
  if (!exiting || !ctx.panel.UnsentEdits() || !ctx.panel.DeviceRecordRead) return {};
  QByteArray record;
  if (!EncodeConfigImage(ctx.config, ctx.panel, ctx.Layout(), record)) return {};
  const QString path =
      QDir(ctx.settings.DataFolder())
          .filePath(QStringLiteral("unsent_") + BackupFileName(BackupDeviceName(ctx),
                                                               ctx.identity.DeviceTypeCode,
                                                               ctx.clock.LocalTime()));
  return ConfigurationFiles::WriteRecordFile(path, record) ? path : QString();
}

}  // namespace ostrivane
