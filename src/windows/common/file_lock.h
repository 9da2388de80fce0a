#pragma once
// An exclusive lock on a whole file in the user's profile, which only the user can write: shared by every process
// of this user that locks the same file, in all of the user's sessions, and released by the system when the
// process ends, also when it is killed. A file, not a named mutex: a "Local\" mutex is per logon session, so a
// second session of the same user would not share it, and a "Global\" one could be created first by another user,
// who would then hold every request of ours.

#include <memory>
#include <string>

#include "platform/running_instances.h"

namespace veltrane::platform::win32 {

// "<local application data>\Veltrane\<name>". Throws when the folder is unknown.
std::u16string localProgramFile(const std::u16string& name);

// Locks path, making the file and its folders when missing. wait: until the lock is granted; otherwise nullptr at
// once while another handle holds it. Throws "Cannot lock PATH: REASON" when the file cannot be made or locked.
std::unique_ptr<InstancesLock> lockWholeFile(const std::u16string& path, bool wait);

}  // namespace veltrane::platform::win32
