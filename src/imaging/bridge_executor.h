#pragma once
// Makes a bridge's plan from the settings and carries it out.

#include <string>
#include <vector>

#include "imaging/bridge_plan.h"
#include "platform/clipboard.h"
#include "platform/files.h"
#include "platform/launcher.h"
#include "platform/platform.h"
#include "platform/system_info.h"
#include "settings/settings_store.h"

namespace veltrane::imaging {

// What a plan is made from besides the settings values and the patient.
struct PlanSources {
    platform::AnsiCodec& ansi;
    platform::SystemInfo& system;
    platform::Clock& clock;
};

// Where a plan takes effect; taken from a whole bundle where a caller holds one.
struct PlanTargets {
    PlanTargets(platform::FileSystem& f, platform::Launcher& l, platform::Clipboard& c)
        : files(f), launcher(l), clipboard(c) {}
    PlanTargets(platform::Platform& p) : PlanTargets(p.files, p.launcher, p.clipboard) {}  // NOLINT: implicit

    platform::FileSystem& files;
    platform::Launcher& launcher;
    platform::Clipboard& clipboard;
};

// The plan of a bridge that has one, from its settings in the open key. Every value is read before anything is
// made, so a bad value leaves no partial effect; the patient's title reaches only the bridges that take it.
// An id that holds a path step, or a batch file given characters its command processor interprets, fails here,
// before anything is made.
BridgePlan planBridge(const BridgeDefinition& bridge, const PatientRecord& patient, settings::OpenSettingsKey& key,
                      PlanSources sources);

// In order: write and close the exchange file, start the program, set the clipboard, add the trace line.
// The first failure throws and stops the rest, so a file that could not be written is never opened by a program.
// What it throws keeps the system's text as its first line; the second names systemName and the file or program
// ("Dexis: cannot write the exchange file C:\DEXIS\InfoFile.txt"), so that a practice knows where to look.
void executePlan(const BridgePlan& plan, std::u16string_view systemName, PlanTargets targets,
                 std::vector<std::u16string>& traceLines);

}  // namespace veltrane::imaging
