#include "imaging/bridge_executor.h"

#include "base/error.h"
#include "base/text.h"
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

namespace {

// Runs step; an error it throws comes back with what names the failing step after the system's first line.
template <typename Step>
void naming(std::u16string_view systemName, const std::u16string& what, Step step) {
    try {
        step();
    } catch (const Error& error) {
        const std::string text = error.what();
        const auto lineEnd = text.find('\n');
        throw Error(text.substr(0, lineEnd) + "\n" + utf16ToUtf8(std::u16string(systemName) + u": " + what) +
                    (lineEnd == std::string::npos ? std::string() : text.substr(lineEnd)));
    }
}

}  // namespace

void executePlan(const BridgePlan& plan, std::u16string_view systemName, PlanTargets targets,
                 std::vector<std::u16string>& traceLines) {
    if (plan.file) {
        naming(systemName, u"cannot write the exchange file " + plan.file->path,
               [&] { targets.files.writeWholeFile(plan.file->path, plan.file->bytes); });
    }
    if (plan.launch) {
        naming(systemName, u"cannot start " + plan.launch->file, [&] { targets.launcher.launch(*plan.launch); });
    }
    if (plan.clipboardText) {
        naming(systemName, u"cannot put the command on the clipboard",
               [&] { targets.clipboard.setText(*plan.clipboardText); });
    }
    if (plan.traceLine) traceLines.push_back(*plan.traceLine);
}

}  // namespace veltrane::imaging
