#include "imaging/bridge_executor.h"

#include "imaging/value_rules.h"

namespace veltrane::imaging {

BridgePlan planBridge(const BridgeDefinition& bridge, const PatientRecord& patient, settings::OpenSettingsKey& key,
                      PlanSources sources) {
    if (!bridge.plan) return {};
    BridgeSettings values;
    for (const auto& name : bridge.settingNames) values[name] = key.read(name);
    PatientRecord record = patient;
    if (!bridge.takesTitle) record.title.clear();
    // Every bridge hands the id on to a program that makes folder names from it and finds the patient by it.
    requirePathFreeId(record.patientId, sources.ansi);
    BridgeContext context{sources.ansi, sources.system.computerName(), sources.clock.now()};
    BridgePlan plan = bridge.plan(values, record, context);
    if (plan.launch) requireBatchSafeLaunch(*plan.launch, sources.ansi);
    return plan;
}

void executePlan(const BridgePlan& plan, PlanTargets targets, std::vector<std::u16string>& traceLines) {
    if (plan.file) targets.files.writeWholeFile(plan.file->path, plan.file->bytes);
    // A start that fails is not reported; the launcher does not tell.
    if (plan.launch) targets.launcher.launch(*plan.launch);
    if (plan.clipboardText) targets.clipboard.setText(*plan.clipboardText);
    if (plan.traceLine) traceLines.push_back(*plan.traceLine);
}

}  // namespace veltrane::imaging
