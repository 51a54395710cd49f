#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

#include "operations/OperationContext.h"

namespace ostrivane {

// Milliseconds between panel ticks; the window restarts its timer with this after a timer-driven
// tick.
inline constexpr int kPanelTickPeriodMs = 200;
inline constexpr int kFirstPanelTickMs = 100;

// How a send of the whole record ended, for the window to say.
enum class SendOutcome {
  None,      // nothing was sent in this tick
  Sent,      // the device took the record and every step asked with it
  Refused,   // the device answered with a refusal
  NoAnswer,  // the device did not answer (or nothing this device's own could be sent)
  LinkLost,  // nothing is connected any more
  Invalid,   // the model does not encode: nothing went out
};

// One tick of the panel's periodic handler: the pending send, then a pending player command,
// otherwise (timer driven only) a status poll. The window owns the timer. Says how the tick's
// send ended (None when it sent nothing).
SendOutcome PanelTick(OperationContext& ctx, bool timerDriven);
// The panel's last tick when it closes: the record (with a pending factory-default store or 4K
// restart), then a pending player command. When the window is exiting the record goes only if
// edits are unsent, and a record the device did not take is written into the data folder as a
// file LOAD reads; returns its path (empty when everything was sent or nothing was written).
// outcome (when given) says how the record's send ended.
QString FinalPanelSend(OperationContext& ctx, bool exiting, SendOutcome* outcome = nullptr);

// How a configuration read (0x70) ended.
enum class ConfigReadOutcome {
  Read,         // a record of this device, decoded
  NoReply,      // the link gave no (valid) answer
  Refused,      // the device answered with a refusal
  Empty,        // accepted, but without a record
  TooLong,      // more bytes than a record can hold
  Undecodable,  // a record this device's layout rejects
};

struct DeviceRecord {
  ConfigReadOutcome outcome = ConfigReadOutcome::NoReply;
  QByteArray record;  // the raw bytes as read; empty unless outcome is Read
};

// 0x70 and a trial decode on a copy; the model is not touched.
DeviceRecord FetchDeviceRecord(OperationContext& ctx);

// Decodes a record just read from the connected device into the model and marks the model as the
// device's own, so that it may be sent back. False (nothing changed) when it does not decode.
bool AdoptDeviceRecord(OperationContext& ctx, const QByteArray& record);

// 0x70: the device's record replaces the model. A failed read beeps and leaves the model alone.
ConfigReadOutcome ReadDeviceConfigOutcome(OperationContext& ctx);
inline bool ReadDeviceConfig(OperationContext& ctx) {
  return ReadDeviceConfigOutcome(ctx) == ConfigReadOutcome::Read;
}

// Status bar text for a failed read: "Configuration Error" when the device answered without a
// usable record; empty when it did not answer (the connection loop's own texts apply then).
QString ConfigReadFailureText(ConfigReadOutcome outcome, int languageIndex);

// Called when a connection opens: until its first successful read, no record goes to the device.
void ForgetDeviceRecord(OperationContext& ctx);

// The whole send sequence: 0x50 with the encoded record, read back, the pending factory-default
// step and the pending 4K restart. Nothing goes out unless the model was read from this device;
// LOAD and SET FACTORY DEFAULT first keep a backup of what the device holds. True when the device
// took every step asked of it.
bool SendDeviceConfig(OperationContext& ctx);
SendOutcome SendDeviceConfigOutcome(OperationContext& ctx);

// Stores the configuration just sent, and the logo, as the device's default. True when the device
// took every step.
bool StoreFactoryDefault(OperationContext& ctx);

// Flash area that receives the logo on this type; none where the logo goes elsewhere or nowhere.
std::optional<std::uint16_t> LogoFlashArea(std::uint8_t typeCode);

// Local path of the logo named in the configuration, or empty when the name is unusable.
QString LogoFilePath(const OperationContext& ctx);

}  // namespace ostrivane
