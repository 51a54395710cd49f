#pragma once

#include <cstdint>

#include "operations/FirmwareImageStore.h"

namespace ostrivane {

struct OperationContext;

// Restart wait announced to the connection loop after the device was written and restarted.
inline constexpr std::int32_t kRestartWaitTicksAfterUpgrade = 20;

struct MainUpgradeResult {
  bool beganOk = false;     // the begin step was accepted: something of the image went out
  bool lastResult = false;  // result of the last transaction of the transfer
};

// Writes the newer secondary image of the connected device's family, if there is one. True when
// a transfer was started (its begin step was accepted), whether or not it then completed.
bool SecondaryImageUpgrade(OperationContext& ctx);

// Writes image into the connected device's main firmware area (the 0xC0 sequence on type 121).
MainUpgradeResult MainImageUpgrade(OperationContext& ctx, const FirmwareImage& image);

// Run right after every identification: installs newer (or, on request, any) images and asks the
// device to restart. True when the device was written to and the connection must not proceed.
// Clears FirmwareReloadRequest; sets RestartWaitTicks.
bool HardwareCheck(OperationContext& ctx);

// The "Firm. Reload" button: the connection loop drops the device and the next check reinstalls.
void RequestFirmwareReload(OperationContext& ctx);

}  // namespace ostrivane
