#pragma once
// Which program instances are still running: lets a later start tell an interrupted print from one in progress.

#include <memory>
#include <string>

namespace veltrane::platform {

// Held while it lives.
class InstancesLock {
public:
    virtual ~InstancesLock() = default;
};

class RunningInstances {
public:
    virtual ~RunningInstances() = default;
    // A text that names this process and no other, also not a later process that reuses its id.
    virtual std::u16string selfToken() = 0;
    // Whether the process named by a token from selfToken (of any process) still runs.
    virtual bool isRunning(const std::u16string& token) = 0;
    // One process of this user at a time: the print requests' shared record is read and rewritten under it, so
    // two requests started together never lose each other's entry.
    virtual std::unique_ptr<InstancesLock> lockShared() = 0;
};

}  // namespace veltrane::platform
