#include "platform/common/dry_run/dry_run_platform.h"

namespace veltrane::platform::dry_run {

DryRunPlatform::DryRunPlatform(const Platform& real, std::ostream& out, std::ostream& notes,
                               std::vector<OverlaidKey> keys)
    : effects_(out),
      registry_(real.registry, effects_, std::move(keys)),
      files_(effects_, notes),
      printers_(real.printers, effects_),
      launcher_(effects_),
      clipboard_(effects_),
      browser_(effects_),
      platform_{.registry = registry_,
                .ini = real.ini,
                .files = files_,
                .ansi = real.ansi,
                .clock = real.clock,
                .locale = real.locale,
                .folders = real.folders,
                .commandLine = real.commandLine,
                .printers = printers_,
                .launcher = launcher_,
                .clipboard = clipboard_,
                .dialogs = real.dialogs,
                .browser = browser_,
                .process = real.process,
                .system = real.system,
                .instances = real.instances} {}

}  // namespace veltrane::platform::dry_run
