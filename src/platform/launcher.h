#pragma once
// Starting a program the way the shell's "open" verb does.

#include <cstdint>
#include <string>

namespace veltrane::platform {

inline constexpr int kShowNormal = 1;  // SW_SHOWNORMAL
inline constexpr int kShow = 5;        // SW_SHOW

struct LaunchRequest {
    std::uintptr_t ownerWindow = 0;
    std::u16string verb = u"open";
    std::u16string file;
    std::u16string parameters;
    std::u16string directory;
    int showCommand = kShowNormal;

    bool operator==(const LaunchRequest&) const = default;
};

class Launcher {
public:
    virtual ~Launcher() = default;
    // Starts without waiting for the program to end. Throws Error with the system's text when the program cannot
    // be started (not there, not runnable, refused).
    virtual void launch(const LaunchRequest& request) = 0;
};

}  // namespace veltrane::platform
