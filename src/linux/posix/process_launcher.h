#pragma once
// Starts programs the way the shell's "open" verb does, on Linux: never through a shell, from an argument vector,
// detached so that the program outlives us.

#include <sys/types.h>

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
    // Throws the file error text of what stopped the start ("File not found" for a program or folder that is
    // not there, "File access denied" for one that cannot be run), once the program has failed to start or has
    // started. A batch file given characters its command processor interprets throws too
    // (platform::requireBatchSafe).
    void launch(const LaunchRequest& request) override;

private:
    // Programs started that have not been reaped yet. They stay our children until we end and init adopts
    // them; the few a window's session starts are reaped at the next launch.
    void reapEndedChildren();
    std::vector<pid_t> children_;
};

// Runs command detached: a child in its own session with the standard descriptors on /dev/null and no other,
// started without copying our memory. Returns 0 once the program runs, else the errno value that stopped it
// (folder or exec); started receives its process id.
int spawnDetached(const LaunchCommand& command, pid_t* started = nullptr);

}  // namespace veltrane::platform::posix
