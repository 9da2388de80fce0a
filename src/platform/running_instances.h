#pragma once
// Which program instances are still running: lets a later start tell an interrupted print from one in progress.

#include <string>

namespace veltrane::platform {

class RunningInstances {
public:
    virtual ~RunningInstances() = default;
    // A text that names this process and no other, also not a later process that reuses its id.
    virtual std::u16string selfToken() = 0;
    // Whether the process named by a token from selfToken (of any process) still runs.
    virtual bool isRunning(const std::u16string& token) = 0;
};

}  // namespace veltrane::platform
