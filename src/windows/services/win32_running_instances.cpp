#include "windows/services/win32_running_instances.h"

#include <windows.h>

#include <cstdint>
#include <string>

#include "base/error.h"
#include "base/text.h"
#include "windows/common/file_lock.h"

namespace veltrane::platform::win32 {

namespace {

std::uint64_t ticks(const FILETIME& time) {
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// The creation time of a process that still runs; 0 when there is none with that id, it has ended, or it is not
// one this user may look at (then it is no process of this program run by this user).
std::uint64_t runningSince(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, pid);
    if (!process) return 0;
    FILETIME created{}, exited{}, kernel{}, user{};
    std::uint64_t since = 0;
    // An ended process whose handle someone still holds can be opened: it must also not be signalled.
    if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT && GetProcessTimes(process, &created, &exited, &kernel, &user))
        since = ticks(created);
    CloseHandle(process);
    return since;
}

bool parseNumber(const std::string& text, std::uint64_t& value) {
    if (text.empty() || text.size() > 20) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        const std::uint64_t digit = static_cast<std::uint64_t>(c - '0');
        if (value > (UINT64_MAX - digit) / 10) return false;
        value = value * 10 + digit;
    }
    return true;
}

}  // namespace

std::u16string Win32RunningInstances::lockPath() const {
    return lockPath_.empty() ? localProgramFile(u"instances.lock") : lockPath_;
}

std::unique_ptr<InstancesLock> Win32RunningInstances::lockShared() { return lockWholeFile(lockPath(), /*wait=*/true); }

std::u16string Win32RunningInstances::selfToken() {
    FILETIME created{}, exited{}, kernel{}, user{};
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    return utf8ToUtf16(std::to_string(GetCurrentProcessId()) + ":" + std::to_string(ticks(created)));
}

bool Win32RunningInstances::isRunning(const std::u16string& token) {
    // Anything that is not a token of ours (an old record, a hand edit) names no running process.
    const std::string text = utf16ToUtf8(token);
    const auto colon = text.find(':');
    if (colon == std::string::npos) return false;
    std::uint64_t pid = 0, created = 0;
    if (!parseNumber(text.substr(0, colon), pid) || !parseNumber(text.substr(colon + 1), created)) return false;
    if (pid == 0 || pid > MAXDWORD || created == 0) return false;
    return runningSince(static_cast<DWORD>(pid)) == created;
}

}  // namespace veltrane::platform::win32
