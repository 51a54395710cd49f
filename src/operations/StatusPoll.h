#pragma once

#include "operations/OperationContext.h"

namespace ostrivane {

// 0x40: reads the status into the current copy and refreshes the displays that depend on it. The
// USB page is refilled only when a compared field changed, so an idle device costs no refill.
void PollStatus(OperationContext& ctx);

}  // namespace ostrivane
