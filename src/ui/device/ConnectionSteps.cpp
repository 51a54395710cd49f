#include "ui/device/ConnectionSteps.h"

#include <algorithm>
#include <utility>

#include "link/Commands.h"
#include "operations/DeviceActions.h"
#include "operations/FirmwareUpgrade.h"
#include "operations/Transfer.h"
#include "texts/TextTable.h"
#include "texts/WindowTexts.h"

namespace ostrivane {

namespace {

constexpr int kRestartWarningMs = 200;
const QString kApplicationName = QStringLiteral("Ostrivane");

// UsbPresent is derived as 0 or 1, so this value is never reported: the first poll after opening
// always finds a change and refills the USB page.
constexpr std::uint8_t kNeverReportedUsbPresent = 0xFF;

// Models told that the panel has opened (0xD0 with sub-operation 3).
constexpr std::uint8_t kPanelOpenedTypes[] = {159, 176, 178, 192};

bool AnnouncesPanelOpened(std::uint8_t type) {
  return std::find(std::begin(kPanelOpenedTypes), std::end(kPanelOpenedTypes), type) !=
         std::end(kPanelOpenedTypes);
}

// Why a port or an address did not open, as the window's activity says it.
QString LocalFailure(const LinkFailure& failure, int languageIndex) {
  return LinkFailure{WindowText(failure.format, languageIndex), failure.arguments}.Text();
}

void ShowSearchText(OperationContext& ctx) {
  const int language = ctx.settings.LanguageIndex();
  if (ctx.flags.RestartWaitTicks != 0) {
    ctx.status.ShowWarningIcon(true);
    ctx.status.ShowStatusText(LocalText(text::WaitDoNotPowerOff, language), kRestartWarningMs,
                              false);
  } else {
    ctx.status.ShowWarningIcon(false);
    ctx.status.ShowStatusText(LocalText(text::WaitingConnection, language), kWaitingTextMs, false);
  }
  ctx.status.SetProgress(1, 0);
}

// When the backup an upgrade needs fails, the installer chooses: the upgrade without it, or the
// connection without the upgrade (not asked again until a firmware reload is requested).
bool CheckFirmware(OperationContext& ctx) {
  const bool reload = ctx.flags.FirmwareReloadRequest;
  const FirmwareCheckResult result = RunHardwareCheck(ctx);
  if (result.backupError.isEmpty() || ctx.flags.UpgradeWithoutBackupDeclined) return result.written;
  const int language = ctx.settings.LanguageIndex();
  MessageBoxRequest box;
  box.owner = PromptOwner::MainWindow;
  box.caption = kApplicationName;
  box.text = LocalText(text::BackupFailed, language).arg(result.backupError);
  box.buttons = PromptButtons::OkCancel;
  box.icon = PromptIcon::Exclamation;
  box.cancelIsDefault = true;
  box.okText = LocalText(text::UpgradeAnyway, language);
  box.cancelText = LocalText(text::ConnectWithoutUpgrade, language);
  if (ctx.prompts.ShowMessage(box) != PromptAnswer::Ok) {
    ctx.flags.UpgradeWithoutBackupDeclined = true;
    return false;
  }
  const bool backups = ctx.flags.BackupsDisabled;
  ctx.flags.BackupsDisabled = true;
  ctx.flags.FirmwareReloadRequest = reload;
  const bool written = RunHardwareCheck(ctx).written;
  ctx.flags.BackupsDisabled = backups;
  return written;
}

}  // namespace

ConnectOutcome RunConnectStep(OperationContext& ctx, const DiscoveryTable& discovery,
                              const ConnectionOptions& connection, const NetworkTarget& target) {
  if (ctx.flags.EdidRequest) ProgramEdid(ctx);
  ShowSearchText(ctx);
  ConnectOutcome outcome;
  ReportingChannelOpener opener;
  const bool connected =
      ConnectDevice(ctx.link, ctx.identity, discovery, connection, target, opener);
  for (const LinkFailure& failure : opener.FailureDetails())
    outcome.openFailures.append(LocalFailure(failure, ctx.settings.LanguageIndex()));
  if (!connected) return outcome;
  if (const Channel* channel = ctx.link.CurrentChannel()) outcome.channel = channel->Describe();
  // A new connection: the model in memory is not this device's until its record is read.
  ForgetDeviceRecord(ctx);
  if (CheckFirmware(ctx)) return outcome;

  const std::uint8_t type = ctx.identity.DeviceTypeCode;
  ctx.shape = RecordShape::ForType(type);
  ctx.deviceStatus.previous.UsbPresent = kNeverReportedUsbPresent;
  ctx.deviceStatus.ClockText.clear();
  if (!ReadDeviceConfig(ctx)) {
    // Without this device's own record nothing may be sent to it: the panel stays closed.
    outcome.result = ctx.link.LinkError ? ConnectOutcome::Result::ReadFailed
                                        : ConnectOutcome::Result::RecordRefused;
    return outcome;
  }
  // The model is this device's record now: nothing edited is waiting for it.
  ctx.panel.SentRequest = ctx.panel.Requests.send;
  if (AnnouncesPanelOpened(type)) {
    const std::uint8_t payload[] = {sub::PanelOpened};
    ctx.link.Transact(cmd::System, payload, timeout::Normal);
  }
  outcome.result = ConnectOutcome::Result::Ready;
  return outcome;
}

QVector<ProbedDevice> ProbeDevices(OperationContext& ctx, const QVector<DiscoveredDevice>& devices,
                                   const ConnectionOptions& connection) {
  QVector<ProbedDevice> identified;
  for (const DiscoveredDevice& device : devices) {
    ProbedDevice probed{device.identifier, {}};
    if (IdentifyAt(device.address, connection, ctx.clock, probed.identity)) {
      identified.append(probed);
    }
  }
  return identified;
}

bool TakeLinkError(OperationContext& ctx) {
  return std::exchange(ctx.link.LinkError, false);
}

}  // namespace ostrivane
