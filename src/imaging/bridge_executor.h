#pragma once
// Carries a bridge plan out.

#include <string>
#include <vector>

#include "imaging/bridge_plan.h"
#include "platform/platform.h"

namespace veltrane::imaging {

// In order: write and close the exchange file, start the program, set the clipboard, add the trace line.
// The first failure throws and stops the rest, so a file that could not be written is never opened by a program.
void executePlan(const BridgePlan& plan, platform::Platform& platform, std::vector<std::u16string>& traceLines);

}  // namespace veltrane::imaging
