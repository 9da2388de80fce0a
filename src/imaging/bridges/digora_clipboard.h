#pragma once
// Digora takes its open command from the clipboard; nothing is started.

#include "imaging/bridge_plan.h"

namespace veltrane::imaging {

extern const BridgeDefinition kDigoraBridge;

}  // namespace veltrane::imaging
