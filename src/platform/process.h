#pragma once

namespace veltrane::platform {

class Process {
public:
    virtual ~Process() = default;
    // Ends the process at once with the exit code; does not return.
    [[noreturn]] virtual void exit(int code) = 0;
};

}  // namespace veltrane::platform
