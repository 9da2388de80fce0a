#pragma once
// Starts programs the way the shell's "open" verb does, on Linux: never through a shell, from an argument vector,
// detached so that the program outlives us and leaves no zombie.

#include <optional>
#include <string>
#include <vector>

#include "platform/launcher.h"

namespace veltrane::platform::posix {

// What a launch request turns into: the program to execute, its whole argv, and the working folder.
struct LaunchCommand {
    std::string program;
    std::vector<std::string> argv;
    std::string directory;  // empty: ours

    bool operator==(const LaunchCommand&) const = default;
};

// How a request is carried out: a native executable (ELF file or script with the execute bit) starts directly;
// a Windows program (.exe, .com, .bat, .cmd in any letter case) through wine when it is on the PATH; any other
// existing file opens with the desktop's opener. nullopt when there is no way to start it.
// searchPath is the PATH value; names without a '/' are looked up there.
std::optional<LaunchCommand> resolveLaunch(const LaunchRequest& request, const std::string& searchPath);

class PosixLauncher final : public Launcher {
public:
    // Failures are not reported to the caller; a one-line note goes to stderr for whoever reads it. A batch file
    // given characters its command processor interprets throws instead (platform::requireBatchSafe).
    void launch(const LaunchRequest& request) override;
};

// Runs command detached: a grandchild in its own session, holding no descriptor beyond 0, 1 and 2, which init
// reaps. Returns false when even the first fork failed.
bool spawnDetached(const LaunchCommand& command);

}  // namespace veltrane::platform::posix
