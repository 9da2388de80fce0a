#pragma once
// The bridges in the order the dispatcher tests them.

#include <span>

#include "imaging/bridge_plan.h"

namespace veltrane::imaging {

// Every row is tested in turn; a short name without a row runs no bridge.
std::span<const BridgeDefinition* const> dispatchTable();

// ApexNRG is in the catalogue but has no exchange convention: its bridge does nothing at all.
extern const BridgeDefinition kApexnrgBridge;

}  // namespace veltrane::imaging
