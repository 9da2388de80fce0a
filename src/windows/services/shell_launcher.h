#pragma once
// Starts programs and documents with ShellExecuteW, as the shell's "open" does; the child outlives us.

#include "platform/launcher.h"

namespace veltrane::platform::win32 {

class ShellLauncher final : public Launcher {
public:
    void launch(const LaunchRequest& request) override;
};

}  // namespace veltrane::platform::win32
