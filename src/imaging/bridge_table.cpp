#include "imaging/bridge_table.h"

#include "imaging/bridges/command_line_bridges.h"
#include "imaging/bridges/digora_clipboard.h"

namespace veltrane::imaging {

const BridgeDefinition kApexnrgBridge{u"apexnrg", {}, nullptr};

namespace {

// The order is the dispatcher's, not the catalogue's.
const BridgeDefinition* const kDispatchTable[] = {
    &kDigoraBridge,
    // scanora
    // idixel
    &kTrophyBridge,
    // dbswin
    &kDentaleyeBridge,
    // dexis
    // integrator
    &kDicomBridge, &kVixwinBridge,
    // easydent
    // icatreg
    // icatview
    &kMediadentBridge, &kExamineproBridge, &kApexnrgBridge, &kMyrayBridge, &kSoproBridge, &kRomexisBridge, &kSuniBridge,
    // sirona
    &kDtxstudioBridge, &kActeonBridge,
    // cliniview
    // ezdenti
};

}  // namespace

std::span<const BridgeDefinition* const> dispatchTable() { return kDispatchTable; }

}  // namespace veltrane::imaging
