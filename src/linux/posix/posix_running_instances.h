#pragma once

#include <string>

#include "platform/running_instances.h"

namespace veltrane::platform::posix {

// A token is the process id with its start time and the boot it belongs to, so a later process that reuses the
// id, or any process after a reboot, is never taken for the one that wrote the token.
class ProcRunningInstances final : public RunningInstances {
public:
    // lockPath: the file lockShared locks; empty means one beside the settings file.
    explicit ProcRunningInstances(std::string lockPath = {}) : lockPath_(std::move(lockPath)) {}
    std::u16string selfToken() override;
    bool isRunning(const std::u16string& token) override;
    // An advisory lock (flock) on its own file, released when the process ends, also when it is killed.
    std::unique_ptr<InstancesLock> lockShared() override;

private:
    std::string lockPath_;
};

}  // namespace veltrane::platform::posix
