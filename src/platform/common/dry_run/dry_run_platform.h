#pragma once
// A dry run over any platform: the services whose effects reach outside the program (programs started, exchange
// files, the clipboard, the default printer, page-setup writes, the browser) print each effect as a JSON line on
// out instead; every other service is the real one. Each composition root applies it once, over the real services.

#include <ostream>
#include <vector>

#include "platform/common/dry_run/dry_run_printing.h"
#include "platform/common/dry_run/dry_run_services.h"
#include "platform/common/dry_run/effect_writer.h"
#include "platform/platform.h"

namespace veltrane::platform::dry_run {

class DryRunPlatform {
public:
    // real and out must outlive this object. keys: the registry keys whose writes stay in the process.
    // notes: where the lines the activity log would get are written instead (standard error).
    DryRunPlatform(const Platform& real, std::ostream& out, std::ostream& notes, std::vector<OverlaidKey> keys);
    DryRunPlatform(const DryRunPlatform&) = delete;
    DryRunPlatform& operator=(const DryRunPlatform&) = delete;

    Platform& platform() { return platform_; }

private:
    EffectWriter effects_;
    DryRunRegistry registry_;
    DryRunFiles files_;
    DryRunPrinters printers_;
    DryRunLauncher launcher_;
    DryRunClipboard clipboard_;
    DryRunBrowser browser_;
    Platform platform_;
};

}  // namespace veltrane::platform::dry_run
