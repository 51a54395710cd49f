#pragma once

#include <QString>
#include <cstdint>
#include <optional>

#include "operations/OperationContext.h"

namespace ostrivane {

// Milliseconds between panel ticks; the window restarts its timer with this after a timer-driven
// tick.
inline constexpr int kPanelTickPeriodMs = 200;
inline constexpr int kFirstPanelTickMs = 100;

// One tick of the panel's periodic handler: the pending send, then a pending player command,
// otherwise (timer driven only) a status poll. The window owns the timer.
void PanelTick(OperationContext& ctx, bool timerDriven);

// 0x70: the device's record replaces the model. A failed read beeps and leaves the model alone.
bool ReadDeviceConfig(OperationContext& ctx);

// The whole send sequence: 0x50 with the encoded record, read back, the pending factory-default
// step and the pending 4K restart.
void SendDeviceConfig(OperationContext& ctx);

// Stores the configuration just sent, and the logo, as the device's default.
void StoreFactoryDefault(OperationContext& ctx);

// Flash area that receives the logo on this type; none where the logo goes elsewhere or nowhere.
std::optional<std::uint16_t> LogoFlashArea(std::uint8_t typeCode);

// Local path of the logo named in the configuration, or empty when the name is unusable.
QString LogoFilePath(const OperationContext& ctx);

}  // namespace ostrivane
