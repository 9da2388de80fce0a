#include "imaging/bridge_executor.h"

#include "app/tform1.h"

namespace veltrane::imaging {

void executePlan(const BridgePlan& plan, platform::Platform& platform, std::vector<std::u16string>& traceLines) {
    if (plan.file) platform.files.writeWholeFile(plan.file->path, plan.file->bytes);
    // A start that fails is not reported; the launcher does not tell.
    if (plan.launch) platform.launcher.launch(*plan.launch);
    if (plan.clipboardText) platform.clipboard.setText(*plan.clipboardText);
    if (plan.traceLine) traceLines.push_back(*plan.traceLine);
}

}  // namespace veltrane::imaging

namespace veltrane::app {

void TForm1::runBridge(const imaging::BridgeDefinition& bridge, const imaging::PatientRecord& patient) {
    if (!bridge.plan) return;  // a bridge without a plan touches nothing, not even the settings key
    // Open only: without a settings key the run has no effect and says nothing.
    auto key = store_.openExisting();
    if (!key) return;
    // Every value is read before anything is made, so a bad value leaves no partial effect.
    imaging::BridgeSettings values;
    for (const auto& name : bridge.settingNames) values[name] = key->read(name);
    imaging::PatientRecord record = patient;
    if (!bridge.takesTitle) record.title.clear();
    imaging::BridgeContext context{platform_.ansi, platform_.system.computerName(), platform_.clock.now()};
    const imaging::BridgePlan plan = bridge.plan(values, record, context);
    imaging::executePlan(plan, platform_, Memo1.Lines);
}

}  // namespace veltrane::app
