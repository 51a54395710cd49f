#include "operations/Transfer.h"

#include <QFile>
#include <QStringList>

#include "config/ConfigCodec.h"
#include "link/Commands.h"
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

void StoreOnMemoryCard(OperationContext& ctx) {
  // The logo is looked at before anything goes out, so a missing one skips only its upload.
  const std::optional<QByteArray> logo = ReadLogo(ctx);
  RunDeviceCommand(ctx.link, QStringLiteral("cp /UNIT121/current16.cfg /UNIT121/default16.cfg"));
  RunDeviceCommand(ctx.link, QStringLiteral("mount /dev/mmcblk0p1 /mnt"));
  if (logo) UploadDeviceFile(ctx.link, kLogoRemotePath, *logo);
  RunDeviceCommand(ctx.link, QStringLiteral("umount /mnt"));
  RunDeviceCommand(ctx.link, QStringLiteral("sync"));
  SendRestart(ctx.link);
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

bool ReadDeviceConfig(OperationContext& ctx) {
  const bool ok = ctx.link.Transact(cmd::ReadConfig, {}, timeout::Normal);
  const std::uint32_t length = ctx.link.ReplyLength & 0xFFFF;
  // A reply longer than a record would overrun the record buffer: refused like a failed read.
  if (!ok || length == 0 || length > kConfigImageMax) {
    ctx.prompts.Beep(kReadFailBeepHz, kReadFailBeepMs);
    return false;
  }
  const QByteArray record(reinterpret_cast<const char*>(ctx.link.ReplyData.data()),
                          static_cast<qsizetype>(length));
  // A rejected record leaves the model as it was; the read itself still counts as done.
  DecodeConfigImage(record, ctx.Layout(), ctx.config, ctx.panel);
  ctx.displays.RefreshScheduleList();
  return true;
}

void StoreFactoryDefault(OperationContext& ctx) {
  const std::uint8_t type = ctx.identity.DeviceTypeCode;
  if (type == kCardLogoType) {
    StoreOnMemoryCard(ctx);
    return;
  }
  ctx.link.Transact(cmd::FactoryDefault, {}, timeout::Normal);
  const auto area = LogoFlashArea(type);
  if (!area) return;
  const std::optional<QByteArray> logo = ReadLogo(ctx);
  if (!logo) return;
  WriteFlashArea(ctx.link, *area,
                 std::span(reinterpret_cast<const std::uint8_t*>(logo->constData()),
                           static_cast<std::size_t>(logo->size())));
}

void SendDeviceConfig(OperationContext& ctx) {
  QByteArray image;
  if (EncodeConfigImage(ctx.config, ctx.panel, ctx.Layout(), image)) {
    ctx.link.WriteIndicator = true;
    ctx.link.Transact(cmd::WriteConfig,
                      std::span(reinterpret_cast<const std::uint8_t*>(image.constData()),
                                static_cast<std::size_t>(image.size())),
                      timeout::Normal);
  } else {
    ctx.status.ShowStatusText(LocalText(text::ConfigurationError, ctx.settings.LanguageIndex()),
                              kConfigErrorMs, false);
  }
  ctx.panel.SendCountdown = 0;
  ReadDeviceConfig(ctx);
  if (ctx.panel.FactoryDefaultRequest != 0) {
    StoreFactoryDefault(ctx);
    ctx.panel.FactoryDefaultRequest = 0;
    if (ctx.identity.DeviceTypeCode == kCardLogoType) SendRestart(ctx.link);
  }
  if (ctx.panel.FourKChanged != 0) {
    SendRestart(ctx.link);
    ctx.panel.FourKChanged = 0;
  }
}

void PanelTick(OperationContext& ctx, bool timerDriven) {
  PanelState& panel = ctx.panel;
  bool poll = timerDriven;
  if (panel.SendCountdown != 0) {
    // A player command goes out in this tick, so the pending record goes first.
    if (panel.PlayerCommand != 0) panel.SendCountdown = 1;
    --panel.SendCountdown;
    if (panel.SendCountdown == 0) {
      SendDeviceConfig(ctx);
      poll = false;
    }
  }
  if (panel.PlayerCommand != 0) {
    const std::uint8_t payload[] = {panel.PlayerCommand};
    ctx.link.Transact(cmd::PlayerControl, payload, timeout::Player);
    panel.PlayerCommand = 0;
    return;
  }
  if (poll) PollStatus(ctx);
}

}  // namespace ostrivane
