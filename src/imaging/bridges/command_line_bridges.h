#pragma once
// Bridges that open the patient by starting the imaging program with a command line: slash switches,
// dash switches and quoted positional arguments.

#include "imaging/bridge_plan.h"

namespace veltrane::imaging {

// Slash switches.
extern const BridgeDefinition kDentaleyeBridge;
extern const BridgeDefinition kDicomBridge;  // Schick
extern const BridgeDefinition kMyrayBridge;
extern const BridgeDefinition kMediadentBridge;
extern const BridgeDefinition kExamineproBridge;
extern const BridgeDefinition kSuniBridge;

// Dash switches.
extern const BridgeDefinition kTrophyBridge;
extern const BridgeDefinition kVixwinBridge;
extern const BridgeDefinition kDtxstudioBridge;

// Quoted positional arguments.
extern const BridgeDefinition kSoproBridge;
extern const BridgeDefinition kRomexisBridge;
extern const BridgeDefinition kActeonBridge;

}  // namespace veltrane::imaging
