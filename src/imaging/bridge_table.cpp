#include "imaging/bridge_table.h"

#include "imaging/bridges/command_line_bridges.h"
#include "imaging/bridges/digora_clipboard.h"
#include "imaging/bridges/exchange_file_bridges.h"

namespace veltrane::imaging {

const BridgeDefinition kApexnrgBridge{u"apexnrg", {}, nullptr};

namespace {

// The order is the dispatcher's, not the catalogue's.
const BridgeDefinition* const kDispatchTable[] = {
    &kDigoraBridge,    &kScanoraBridge,   &kIdixelBridge,     &kTrophyBridge,    &kDbswinBridge,
    &kDentaleyeBridge, &kDexisBridge,     &kIntegratorBridge, &kDicomBridge,     &kVixwinBridge,
    &kEasydentBridge,  &kIcatRegBridge,   &kIcatViewBridge,   &kMediadentBridge, &kExamineproBridge,
    &kApexnrgBridge,   &kMyrayBridge,     &kSoproBridge,      &kRomexisBridge,   &kSuniBridge,
    &kSironaBridge,    &kDtxstudioBridge, &kActeonBridge,     &kCliniviewBridge, &kEzdentiBridge,
};

}  // namespace

std::span<const BridgeDefinition* const> dispatchTable() { return kDispatchTable; }

}  // namespace veltrane::imaging
