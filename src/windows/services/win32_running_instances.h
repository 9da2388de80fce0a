#pragma once

#include <string>

#include "platform/running_instances.h"

namespace veltrane::platform::win32 {

// A token is the process id with the process's creation time (GetProcessTimes), so a later process that is given
// the same id, also after a restart, is never taken for the one that wrote the token.
//
// The shared lock is a whole-file lock in the user's local application data (windows/common/file_lock.h).
class Win32RunningInstances final : public RunningInstances {
public:
    // lockPath: the file lockShared locks; empty means "Veltrane\instances.lock" in the local application data.
    explicit Win32RunningInstances(std::u16string lockPath = {}) : lockPath_(std::move(lockPath)) {}
    std::u16string selfToken() override;
    bool isRunning(const std::u16string& token) override;
    std::unique_ptr<InstancesLock> lockShared() override;

    // Where lockShared locks.
    std::u16string lockPath() const;

private:
    std::u16string lockPath_;
};

}  // namespace veltrane::platform::win32
