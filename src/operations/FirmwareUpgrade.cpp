#include "operations/FirmwareUpgrade.h"

#include <algorithm>
#include <array>
#include <limits>
#include <span>

#include "link/Commands.h"
#include "operations/Backups.h"
#include "operations/ModelTable.h"
#include "operations/OperationContext.h"
#include "texts/TextTable.h"

namespace ostrivane {

namespace {

constexpr unsigned kFirmwareCommandType = 121;  // programmed with 0xC0 instead of flash areas
constexpr unsigned kAlwaysReflashedType = 142;
constexpr unsigned kAlwaysReflashedMainVersion = 7;
// A secondary version byte of 255 counts as older than any image.
constexpr unsigned kSecondaryAlwaysOlder = 255;
constexpr int kFirmwareBeginTimeout = timeout::Player;  // 5 s
constexpr int kFirmwareEndTimeout = timeout::VeryLong;
constexpr qsizetype kFirmwareBlockSize = 2048;
// Firmware block offsets travel as 24 bits; a longer image would wrap onto its own start.
constexpr qsizetype kFirmwareAddressSpace = qsizetype{1} << 24;
constexpr qsizetype kMaxFlashImageLength = std::numeric_limits<std::uint32_t>::max();
constexpr int kUpgradeMessageMs = 10000;
constexpr int kWarningMessageMs = 10000;
constexpr int kRebootingMs = 1000;
constexpr int kWriteErrorMs = 1000;
constexpr std::array<std::uint8_t, 4> kImageHeaderMagic{'V', 'E', 'V', 'E'};

QString Text(const OperationContext& ctx, int entry) {
  return LocalText(entry, ctx.settings.LanguageIndex());
}

std::uint32_t Length32(qsizetype n) {
  return static_cast<std::uint32_t>(n);
}

std::span<const std::uint8_t> Piece(const QByteArray& bytes, qsizetype offset, qsizetype n) {
  return {reinterpret_cast<const std::uint8_t*>(bytes.constData()) + offset,
          static_cast<std::size_t>(n)};
}

void PutLe32(std::uint8_t* out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF);
}

qsizetype BlockCount(qsizetype length, qsizetype blockSize) {
  return (length + blockSize - 1) / blockSize;
}

// As the title shows the firmware ("20.10"), with the main version byte given.
QString MainVersionText(const OperationContext& ctx, unsigned version) {
  DeviceIdentity identity = ctx.identity;
  identity.Version.main = static_cast<std::uint8_t>(version & 0xFF);
  return FormatTitleVersion(identity);
}

QString SecondaryVersionText(const OperationContext& ctx, unsigned version) {
  return QStringLiteral("HW ") + FormatSecondaryVersion(ctx.identity.DeviceTypeCode, version);
}

// What the check found for one image: the version installed and the image that will be written.
void NoteCheck(OperationContext& ctx, const QString& installed, const QString* writing) {
  ctx.status.NoteActivity(writing ? Text(ctx, text::FirmwareWriting).arg(installed, *writing)
                                  : Text(ctx, text::FirmwareCurrent).arg(installed));
}

// What came of one image's transfer, with the versions before and after.
void NoteTransfer(OperationContext& ctx, const QString& before, const QString& after,
                  const UpgradeSteps& steps, bool ok) {
  if (ok) {
    ctx.status.NoteActivity(Text(ctx, text::FirmwareUpgraded).arg(before, after));
    return;
  }
  // No failed step: the image was refused before anything went out (no profile, too long).
  const QString reason = Text(ctx, steps.failure.isEmpty() ? text::ReasonInvalid
                                   : steps.refused         ? text::ReasonRefused
                                                           : text::ReasonNoAnswer);
  if (steps.failedBlock > 0) {
    ctx.status.NoteActivity(Text(ctx, text::UpgradeFailedAtBlock)
                                .arg(QString::number(steps.failedBlock),
                                     QString::number(steps.blockCount), reason, before));
    return;
  }
  ctx.status.NoteActivity(Text(ctx, text::UpgradeFailed).arg(after, reason, before));
}

// Secondary data goes out after the profile's skip; an image no longer than the skip sends none.
bool SendSecondaryData(OperationContext& ctx, const QByteArray& bytes, qsizetype skip,
                       UpgradeSteps& steps) {
  const qsizetype length = bytes.size();
  const qsizetype count = BlockCount(std::max<qsizetype>(length - skip, 0), kSecondaryBlockSize);
  bool ok = true;
  for (qsizetype offset = skip, index = 1; ok && offset < length; ++index) {
    const qsizetype n = std::min<qsizetype>(kSecondaryBlockSize, length - offset);
    ok = steps.CheckBlock(ctx.link, FlashWrite(ctx.link, Piece(bytes, offset, n)),
                          "secondary image", index, count);
    offset += n;
    ctx.status.SetProgress(Length32(length), Length32(offset));
  }
  return ok;
}

// The version record is a flash write of its own: one byte, the low byte of the version.
void WriteSecondaryVersionRecord(CXmit& link, std::uint16_t area, int version,
                                 UpgradeSteps& steps) {
  const std::array<std::uint8_t, 1> record{static_cast<std::uint8_t>(version & 0xFF)};
  const QString step = QStringLiteral("the secondary version record");
  if (steps.Check(link, FlashBegin(link, area), step) &&
      steps.Check(link, FlashWrite(link, record), step)) {
    steps.Check(link, FlashEnd(link), step);
  }
}

bool FirmwareBegin(CXmit& link) {
  const std::array<std::uint8_t, 1> payload{sub::FirmwareBegin};
  return link.Transact(cmd::Firmware121, payload, kFirmwareBeginTimeout);
}

bool FirmwareEnd(CXmit& link) {
  const std::array<std::uint8_t, 1> payload{sub::FirmwareEnd};
  link.WriteIndicator = true;
  return link.Transact(cmd::Firmware121, payload, kFirmwareEndTimeout);
}

void WriteImageHeader(CXmit& link, qsizetype length, UpgradeSteps& steps) {
  std::array<std::uint8_t, 8> header{};
  std::copy(kImageHeaderMagic.begin(), kImageHeaderMagic.end(), header.begin());
  PutLe32(header.data() + 4, Length32(length));
  steps.Check(link, FlashWrite(link, header), QStringLiteral("the image header"));
}

void WriteChecksumTrailer(CXmit& link, std::uint32_t sum, UpgradeSteps& steps) {
  std::array<std::uint8_t, 4> trailer{};
  PutLe32(trailer.data(), sum);
  steps.Check(link, FlashWrite(link, trailer), QStringLiteral("the checksum trailer"));
}

// Data steps of the main image; sum collects every byte handed to a step, sent well or not.
bool SendMainData(OperationContext& ctx, const QByteArray& bytes, bool viaFirmwareBlocks,
                  qsizetype blockSize, std::uint32_t& sum, UpgradeSteps& steps) {
  const qsizetype length = bytes.size();
  const qsizetype count = BlockCount(length, blockSize);
  bool ok = true;
  for (qsizetype offset = 0, index = 1; ok && offset < length; ++index) {
    const qsizetype n = std::min(blockSize, length - offset);
    const std::span<const std::uint8_t> piece = Piece(bytes, offset, n);
    ok = steps.CheckBlock(ctx.link,
                          viaFirmwareBlocks ? ctx.link.TransactWriteBlock(Length32(offset), piece)
                                            : FlashWrite(ctx.link, piece),
                          "flash", index, count);
    for (const std::uint8_t byte : piece) sum += byte;
    offset += n;
    ctx.status.SetProgress(Length32(length), Length32(offset));
  }
  return ok;
}

MainUpgradeResult RunMainTransfer(OperationContext& ctx, const FirmwareUpgradeProfile& profile,
                                  const FirmwareImage& image) {
  const unsigned type = ctx.identity.DeviceTypeCode;
  const bool viaFirmwareBlocks = type == kFirmwareCommandType;
  MainUpgradeResult result;
  UpgradeSteps& steps = result.steps;
  const bool began =
      steps.Check(ctx.link,
                  viaFirmwareBlocks ? FirmwareBegin(ctx.link)
                                    : profile.mainStartArea.has_value() &&
                                          FlashBegin(ctx.link, *profile.mainStartArea),
                  QStringLiteral("the begin step of the main image"));
  if (!began) return result;
  if (profile.mainHeader) WriteImageHeader(ctx.link, image.bytes.size(), steps);
  ctx.status.ShowStatusText(Text(ctx, text::UpgradeToRelease) + u' ' +
                                FormatMainVersion(type, static_cast<unsigned>(image.version)),
                            kUpgradeMessageMs, false);
  result.beganOk = true;

  const qsizetype limit = viaFirmwareBlocks ? kFirmwareBlockSize : qsizetype{kFlashBlockSize};
  const qsizetype blockSize = std::clamp<qsizetype>(profile.mainBlockSize, 1, limit);
  std::uint32_t sum = 0;
  bool ok = SendMainData(ctx, image.bytes, viaFirmwareBlocks, blockSize, sum, steps);
  if (profile.mainTrailer) WriteChecksumTrailer(ctx.link, sum, steps);
  if (ok) {
    ctx.status.ShowWarningIcon(true);
    ctx.status.ShowStatusText(Text(ctx, text::WaitDoNotPowerOff), kWarningMessageMs, false);
    ok = steps.Check(ctx.link, viaFirmwareBlocks ? FirmwareEnd(ctx.link) : FlashEnd(ctx.link),
                     QStringLiteral("the end step of the main image"));
  }
  result.lastResult = ok;
  return result;
}

// Reads and keeps the device's configuration before the first flash request: an upgrade can
// leave the device without it.
bool BackupBeforeFlashing(OperationContext& ctx, FirmwareCheckResult& result) {
  if (ctx.flags.BackupsDisabled) return true;
  const BackupResult backup = BackupDeviceConfig(ctx, ctx.clock.LocalTime());
  ShowBackupOutcome(ctx, backup);
  if (!backup.ok) {
    result.failure = QStringLiteral(
                         "no backup of the configuration, nothing written: %1 "
                         "(--no-backup upgrades without one)")
                         .arg(backup.error);
    result.backupError = BackupErrorText(backup, ctx.settings.LanguageIndex());
    return false;
  }
  result.backupPath = backup.path;
  return true;
}

bool MainImageWanted(const OperationContext& ctx, const FirmwareImage& image) {
  if (!image.found) return false;
  const unsigned type = ctx.identity.DeviceTypeCode;
  const unsigned installed = ctx.identity.Version.main;
  return static_cast<unsigned>(image.version) > installed ||
         (type == kAlwaysReflashedType && installed == kAlwaysReflashedMainVersion) ||
         ctx.flags.FirmwareReloadRequest;
}

// The newer secondary image of the device's family; "not found" when there is none to write.
FirmwareImage FindSecondaryImage(OperationContext& ctx) {
  const unsigned type = ctx.identity.DeviceTypeCode;
  if (type == kFirmwareCommandType) return {};
  const std::optional<FirmwareUpgradeProfile> profile = UpgradeProfile(type);
  if (!profile || !profile->secondaryStartArea) return {};
  FirmwareImage image = FindFirmwareImage(ctx, FirmwareFamilyName(type));
  const unsigned installed = ctx.identity.Version.secondary;
  if (image.found && static_cast<unsigned>(image.version) <= installed &&
      installed != kSecondaryAlwaysOlder) {
    image.found = false;
  }
  return image;
}

}  // namespace

bool UpgradeSteps::Check(const CXmit& link, bool ok, const QString& step) {
  if (!ok && failure.isEmpty()) {
    refused = link.ReplyStatus == LinkStatus::Refused && !link.LinkError;
    failure = (refused ? QStringLiteral("the device refused ")
                       : QStringLiteral("the device did not answer ")) +
              step;
  }
  return ok;
}

bool UpgradeSteps::CheckBlock(const CXmit& link, bool ok, const char* image, qsizetype index,
                              qsizetype count) {
  if (!ok && failure.isEmpty()) {
    failedBlock = index;
    blockCount = count;
  }
  return Check(link, ok,
               QStringLiteral("%1 block %2 of %3").arg(QLatin1String(image)).arg(index).arg(count));
}

bool SecondaryImageUpgrade(OperationContext& ctx, const FirmwareImage& image, UpgradeSteps& steps) {
  const unsigned type = ctx.identity.DeviceTypeCode;
  const std::optional<FirmwareUpgradeProfile> profile = UpgradeProfile(type);
  if (!image.found || !profile || !profile->secondaryStartArea) return false;

  bool started = false;
  if (steps.Check(ctx.link, FlashBegin(ctx.link, *profile->secondaryStartArea),
                  QStringLiteral("the begin step of the secondary image"))) {
    ctx.status.ShowStatusText(
        QStringLiteral("HW : ") + Text(ctx, text::UpgradeToRelease) + u' ' +
            FormatSecondaryVersion(type, static_cast<unsigned>(image.version)),
        kUpgradeMessageMs, false);
    started = true;
    const bool sent = SendSecondaryData(ctx, image.bytes, profile->secondarySkip, steps);
    if (sent &&
        steps.Check(ctx.link, FlashEnd(ctx.link),
                    QStringLiteral("the end step of the secondary image")) &&
        profile->secondaryVersionArea) {
      WriteSecondaryVersionRecord(ctx.link, *profile->secondaryVersionArea, image.version, steps);
    }
  }
  ctx.status.SetProgress(1, 0);
  return started;
}

MainUpgradeResult MainImageUpgrade(OperationContext& ctx, const FirmwareImage& image) {
  MainUpgradeResult result;
  const std::optional<FirmwareUpgradeProfile> profile = UpgradeProfile(ctx.identity.DeviceTypeCode);
  const qsizetype maxLength = ctx.identity.DeviceTypeCode == kFirmwareCommandType
                                  ? kFirmwareAddressSpace
                                  : kMaxFlashImageLength;
  // An image the device cannot address is refused before anything is sent.
  if (profile && image.bytes.size() <= maxLength) {
    ctx.status.LockWindow(true);
    result = RunMainTransfer(ctx, *profile, image);
  }
  ctx.status.SetProgress(1, 0);
  ctx.status.LockWindow(false);
  return result;
}

FirmwareCheckResult RunHardwareCheck(OperationContext& ctx) {
  const TransferScope transfer(ctx.link, TransferKind::Firmware);
  FirmwareCheckResult result;
  ctx.flags.RestartWaitTicks = 0;
  // The secondary image first; the main image is looked for (and checked) only after it.
  const FirmwareImage secondary = FindSecondaryImage(ctx);
  if (secondary.found && !BackupBeforeFlashing(ctx, result)) {
    ctx.flags.FirmwareReloadRequest = false;
    return result;
  }
  UpgradeSteps steps;
  bool started = false;
  if (secondary.found) {
    const QString before = SecondaryVersionText(ctx, ctx.identity.Version.secondary);
    const QString after = SecondaryVersionText(ctx, static_cast<unsigned>(secondary.version));
    NoteCheck(ctx, before, &after);
    started = SecondaryImageUpgrade(ctx, secondary, steps);
    NoteTransfer(ctx, before, after, steps, steps.failure.isEmpty());
  }
  const FirmwareImage image =
      FindFirmwareImage(ctx, ModelName(ctx.identity.DeviceTypeCode, ctx.prompts));
  const bool mainWanted = MainImageWanted(ctx, image);
  if (mainWanted && !secondary.found && !BackupBeforeFlashing(ctx, result)) {
    ctx.flags.FirmwareReloadRequest = false;
    return result;
  }
  const QString installed = MainVersionText(ctx, ctx.identity.Version.main);
  const QString offered = MainVersionText(ctx, static_cast<unsigned>(image.version));
  NoteCheck(ctx, installed, mainWanted ? &offered : nullptr);
  bool lastOk = true;
  if (mainWanted) {
    const MainUpgradeResult main = MainImageUpgrade(ctx, image);
    started = started || main.beganOk;
    lastOk = main.lastResult && main.steps.failure.isEmpty();
    NoteTransfer(ctx, installed, offered, main.steps, lastOk);
    if (steps.failure.isEmpty()) steps.failure = main.steps.failure;
  }
  ctx.flags.FirmwareReloadRequest = false;

  if (!lastOk) {
    ctx.status.ShowStatusText(Text(ctx, text::WriteError), kWriteErrorMs, true);
    ctx.status.ShowStatusText(Text(ctx, text::Rebooting), kRebootingMs, true);
  } else if (started) {
    // The device restarts at once and may not answer; the loop notices through LinkError.
    ctx.link.Transact(cmd::Restart, {}, timeout::Normal);
    ctx.link.CloseSerial();
    ctx.status.ShowStatusText(Text(ctx, text::Rebooting), kRebootingMs, true);
    ctx.flags.RestartWaitTicks = kRestartWaitTicksAfterUpgrade;
  }
  result.written = started;
  result.failure = steps.failure;
  return result;
}

void RequestFirmwareReload(OperationContext& ctx) {
  ctx.flags.FirmwareReloadRequest = true;
  ctx.flags.UpgradeWithoutBackupDeclined = false;
}

}  // namespace ostrivane
