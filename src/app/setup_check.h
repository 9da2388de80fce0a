#pragma once
// --check: whether the workstation is set up to carry out requests, one plain line per item and no patient data.

#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/setup_probe.h"
#include "settings/settings_store.h"

namespace veltrane::app {

struct SetupReport {
    std::vector<std::string> lines;  // "ok: ..." or "PROBLEM: ..."
    bool allWell = true;
};

// How long the practice server has to answer.
inline constexpr int kServerAnswerMs = 4000;

// Each enabled imaging system's program (there, can be started) and exchange folder (exists, writable), as its
// bridge would use them; the appointment and receipt printers (installed); the practice server (answers); the
// shared log (usable).
SetupReport checkSetup(settings::SettingsStore& store, platform::Platform& services, platform::SetupProbe& probe);

}  // namespace veltrane::app
