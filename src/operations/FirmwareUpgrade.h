#pragma once

#include <QString>
#include <cstdint>

#include "operations/FirmwareImageStore.h"

namespace ostrivane {

struct OperationContext;
class CXmit;

// Remembers the first step of a transfer that the device did not take, in words.
struct UpgradeSteps {
  QString failure;  // "the device refused flash block 37 of 513"; empty while all went well
  bool refused = false;       // the first failure was a refusal rather than a missing answer
  qsizetype failedBlock = 0;  // the data block it happened at (from 1); 0 for any other step
  qsizetype blockCount = 0;

  // Passes ok through; a failure is described from the link's last reply.
  bool Check(const CXmit& link, bool ok, const QString& step);
  // The same for data block index of count of the named image.
  bool CheckBlock(const CXmit& link, bool ok, const char* image, qsizetype index, qsizetype count);
};

// Restart wait announced to the connection loop after the device was written and restarted.
inline constexpr std::int32_t kRestartWaitTicksAfterUpgrade = 20;

struct MainUpgradeResult {
  bool beganOk = false;     // the begin step was accepted: something of the image went out
  bool lastResult = false;  // result of the last transaction of the transfer
  UpgradeSteps steps;
};

struct FirmwareCheckResult {
  bool written = false;  // a transfer was started: the connection must not proceed
  QString failure;       // the failed step, or why nothing was written; empty on success
  QString backupPath;    // the configuration saved before the first flash request
  QString backupError;   // why the backup needed first failed, in the window's language; or empty
};

// Writes image (the newer secondary image of the device's family) when found. True when a
// transfer was started (its begin step was accepted), whether or not it then completed.
bool SecondaryImageUpgrade(OperationContext& ctx, const FirmwareImage& image, UpgradeSteps& steps);

// Writes image into the connected device's main firmware area (the 0xC0 sequence on type 121).
MainUpgradeResult MainImageUpgrade(OperationContext& ctx, const FirmwareImage& image);

// Run right after every identification: installs newer (or, on request, any) images, the
// secondary one first, and asks the device to restart. Before the first flash request the
// device's configuration is saved as a backup (unless flags.BackupsDisabled); without one
// nothing is written. Clears
// FirmwareReloadRequest; sets RestartWaitTicks.
FirmwareCheckResult RunHardwareCheck(OperationContext& ctx);
// True when the device was written to and the connection must not proceed.
inline bool HardwareCheck(OperationContext& ctx) {
  return RunHardwareCheck(ctx).written;
}

// The "Firm. Reload" button: the connection loop drops the device and the next check reinstalls.
void RequestFirmwareReload(OperationContext& ctx);

}  // namespace ostrivane
