#include "windows/services/win32_running_instances.h"

#include <shlobj.h>

#include <cstdint>
#include <string>

#include "base/error.h"
#include "base/text.h"
#include "windows/common/system_message.h"
#include "windows/common/wide_text.h"

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

class FileLock final : public InstancesLock {
public:
    explicit FileLock(HANDLE file) : file_(file) {}
    ~FileLock() override { CloseHandle(file_); }  // closing the handle releases the lock
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    HANDLE file_;
};

}  // namespace

std::u16string Win32RunningInstances::lockPath() const {
    if (!lockPath_.empty()) return lockPath_;
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, folder)))
        throw Error("Cannot lock the print requests' record: the local application data folder is unknown");
    return fromWide(folder) + u"\\Veltrane\\instances.lock";
}

std::unique_ptr<InstancesLock> Win32RunningInstances::lockShared() {
    const std::u16string path = lockPath();
    if (holdsZero(path)) throw Error("Cannot lock " + utf16ToUtf8(path) + ": " + systemMessage(ERROR_INVALID_NAME));
    const auto slash = path.find_last_of(u'\\');
    if (slash != std::u16string::npos && slash > 0) {
        // SHCreateDirectoryExW makes the missing folders and is content when they exist.
        const int made = SHCreateDirectoryExW(nullptr, wide(path.substr(0, slash)), nullptr);
        if (made != ERROR_SUCCESS && made != ERROR_ALREADY_EXISTS && made != ERROR_FILE_EXISTS)
            throw Error("Cannot lock " + utf16ToUtf8(path) + ": " + systemMessage(static_cast<unsigned long>(made)));
    }
    // Everyone may open it at the same time: the byte-range lock, not the sharing mode, is what excludes.
    HANDLE file =
        CreateFileW(wide(path), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw Error("Cannot lock " + utf16ToUtf8(path) + ": " + systemMessage(GetLastError()));
    OVERLAPPED whole{};
    if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) {
        const DWORD error = GetLastError();
        CloseHandle(file);
        throw Error("Cannot lock " + utf16ToUtf8(path) + ": " + systemMessage(error));
    }
    return std::make_unique<FileLock>(file);
}

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
