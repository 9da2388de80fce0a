#pragma once
// Starts programs and documents with ShellExecuteW, as the shell's "open" does; the child outlives us.

#include "platform/launcher.h"

namespace veltrane::platform::win32 {

class ShellLauncher final : public Launcher {
public:
    // Throws the system's own message for why the shell could not start the file (a missing file, a missing
    // folder, access refused, ...). A batch file (named so, found by the shell for a name without an extension,
    // or the target of a shortcut) given characters its command processor interprets throws instead of starting
    // (platform::requireBatchSafe).
    void launch(const LaunchRequest& request) override;
};

}  // namespace veltrane::platform::win32
