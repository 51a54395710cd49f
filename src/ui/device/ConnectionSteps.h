#pragma once

#include "link/Connection.h"
#include "operations/OperationContext.h"

namespace ostrivane {

class DiscoveryTable;

// How long "Waiting connection..." stays up; a failed step shows it again a second later.
inline constexpr int kWaitingTextMs = 2000;

// How the device part of one search step ended.
struct ConnectOutcome {
  enum class Result {
    NotFound,      // nothing identified, or the device is restarting after an upgrade
    ReadFailed,    // identified, but its configuration could not be read
    RecordRefused, // identified and answered, but its record was refused or did not decode
    Ready,         // identified, checked and its configuration read: the panel may open
  };
  Result result = Result::NotFound;
};

// Device thread: the device part of a search step. A pending EDID programming, the search texts,
// the connection attempt, the firmware check and, for a device that passed it, the counts of its
// model and its first configuration read (and the "panel opened" notice on the models that take it).
ConnectOutcome RunConnectStep(OperationContext& ctx, const DiscoveryTable& discovery,
                              const ConnectionOptions& connection);

// Device thread: the link's error flag, read and cleared (the watch of a connected device).
bool TakeLinkError(OperationContext& ctx);

}  // namespace ostrivane
