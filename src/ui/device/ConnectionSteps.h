#pragma once

#include <QVector>

#include "discovery/DiscoveryTable.h"
#include "link/Connection.h"
#include "operations/OperationContext.h"

namespace ostrivane {

// How long "Waiting connection..." stays up; a failed step shows it again a second later.
inline constexpr int kWaitingTextMs = 2000;

// How the device part of one search step ended.
struct ConnectOutcome {
  enum class Result {
    NotFound,       // nothing identified, or the device is restarting after an upgrade
    ReadFailed,     // identified, but its configuration could not be read
    RecordRefused,  // identified and answered, but its record was refused or did not decode
    Ready,          // identified, checked and its configuration read: the panel may open
  };
  Result result = Result::NotFound;
  // The channel the device answered on ("tcp:ADDRESS:PORT", "serial:PATH"), once identified.
  QString channel;
  // Why each port or address tried could not be opened (a serial port without permission names
  // the group to join).
  QVector<OpenFailure> openFailures;
  // The addresses and serial ports tried, in order.
  QStringList tried;
};

// Device thread: the device part of a search step. A pending EDID programming, the search texts,
// the connection attempt, the firmware check and, for a device that passed it, the counts of its
// model and its first configuration read (and the "panel opened" notice on the models that take
// it). target says which announced device may be tried over TCP.
ConnectOutcome RunConnectStep(OperationContext& ctx, const DiscoveryTable& discovery,
                              const ConnectionOptions& connection, const NetworkTarget& target);

// An announced device identified over a connection of its own.
struct ProbedDevice {
  QString identifier;
  DeviceIdentity identity;
};

// Device thread, while searching: identifies each of these announced devices once for the list,
// each over its own short connection, so the link (and an EDID programming waiting on it) is left
// alone. Devices that do not identify are left out.
QVector<ProbedDevice> ProbeDevices(OperationContext& ctx, const QVector<DiscoveredDevice>& devices,
                                   const ConnectionOptions& connection);

// Device thread: the link's error flag, read and cleared (the watch of a connected device).
bool TakeLinkError(OperationContext& ctx);

}  // namespace ostrivane
