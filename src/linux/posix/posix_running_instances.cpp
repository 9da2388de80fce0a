#include "linux/posix/posix_running_instances.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "base/error.h"
#include "base/text.h"
#include "linux/posix/registry_file.h"

namespace veltrane::platform::posix {

namespace {

std::string bootId() {
    std::ifstream in("/proc/sys/kernel/random/boot_id");
    std::string id;
    std::getline(in, id);
    return id;
}

// Field 22 of /proc/<pid>/stat, the start time in clock ticks since boot; empty when there is no such process or
// it has already ended and only waits to be reaped.
std::string startTime(long pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    if (!std::getline(in, stat)) return {};
    // The command name in parentheses may hold blanks and parentheses: the fields start after the last ')'.
    const auto close = stat.rfind(')');
    if (close == std::string::npos) return {};
    std::istringstream fields(stat.substr(close + 1));
    std::string field;
    for (int i = 3; i <= 22 && (fields >> field); ++i) {
        if (i == 3 && (field == "Z" || field == "X" || field == "x")) return {};
        if (i == 22) return field;
    }
    return {};
}

class FlockLock final : public InstancesLock {
public:
    explicit FlockLock(int fd) : fd_(fd) {}
    ~FlockLock() override { ::close(fd_); }  // closing releases the lock
    FlockLock(const FlockLock&) = delete;
    FlockLock& operator=(const FlockLock&) = delete;

private:
    int fd_;
};

}  // namespace

std::unique_ptr<InstancesLock> ProcRunningInstances::lockShared() {
    const std::string path = lockPath_.empty() ? defaultRegistryFilePath() + ".journal-lock" : lockPath_;
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) throw Error("Cannot lock " + path + ": " + std::strerror(errno));
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno == EINTR) continue;
        const int error = errno;
        ::close(fd);
        throw Error("Cannot lock " + path + ": " + std::strerror(error));
    }
    return std::make_unique<FlockLock>(fd);
}

std::u16string ProcRunningInstances::selfToken() {
    const long pid = static_cast<long>(getpid());
    return utf8ToUtf16(std::to_string(pid) + ":" + startTime(pid) + ":" + bootId());
}

bool ProcRunningInstances::isRunning(const std::u16string& token) {
    const std::string text = utf16ToUtf8(token);
    const auto first = text.find(':');
    const auto second = text.find(':', first == std::string::npos ? first : first + 1);
    if (first == std::string::npos || second == std::string::npos) return false;
    long pid = 0;
    try {
        pid = std::stol(text.substr(0, first));
    } catch (...) {
        return false;  // not a token this program wrote: nobody is running it
    }
    if (pid <= 0) return false;
    if (text.substr(second + 1) != bootId()) return false;
    const std::string started = startTime(pid);
    return !started.empty() && started == text.substr(first + 1, second - first - 1);
}

}  // namespace veltrane::platform::posix
