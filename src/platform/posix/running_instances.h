#pragma once

#include "platform/running_instances.h"

namespace veltrane::platform::posix {

// A token is the process id with its start time and the boot it belongs to, so a later process that reuses the
// id, or any process after a reboot, is never taken for the one that wrote the token.
class ProcRunningInstances final : public RunningInstances {
public:
    std::u16string selfToken() override;
    bool isRunning(const std::u16string& token) override;
};

}  // namespace veltrane::platform::posix
