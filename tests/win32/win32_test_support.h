#pragma once
// What only the Win32 backend tests need: a path as the wide text the Win32 calls take, and the locks that all
// of a user's processes share.

#include <windows.h>

#include <filesystem>
#include <string>

#include "support/temp_dir.h"
#include "support/wait_for.h"

namespace veltrane::testing {

inline std::u16string u16path(const std::filesystem::path& path) {
    const std::wstring text = path.wstring();
    return std::u16string(text.begin(), text.end());
}

// Whether another handle holds a lock on the file now (probed without waiting).
inline bool lockedElsewhere(const std::filesystem::path& path) {
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    OVERLAPPED whole{};
    const bool taken =
        LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole);
    CloseHandle(file);
    return !taken;
}

#ifdef VELTRANE_WIN32_INSTANCES_HOLDER
// The holder program (tests/win32/instances_holder.cpp) as a real second process of this user, holding the lock
// on dir/lockName.
class Holder {
public:
    explicit Holder(const TempDir& dir, const std::string& lockName = "instances.lock")
        : lock(dir.path() / lockName), token(dir.path() / "holder.token"), marker(dir.path() / "holder.released") {
        const std::wstring name =
            L"veltrane-test-release-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++count_);
        release_ = CreateEventW(nullptr, TRUE, FALSE, name.c_str());
        std::wstring commandLine = L"\"" + std::wstring(VELTRANE_WIN32_INSTANCES_HOLDER) + L"\" \"" + lock.wstring() +
                                   L"\" \"" + token.wstring() + L"\" " + name + L" \"" + marker.wstring() + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info_))
            CloseHandle(info_.hThread);
        else
            info_.hProcess = nullptr;
    }
    ~Holder() {
        if (release_) {
            SetEvent(release_);
            CloseHandle(release_);
        }
        if (info_.hProcess) {
            WaitForSingleObject(info_.hProcess, 20000);
            CloseHandle(info_.hProcess);
        }
    }
    Holder(const Holder&) = delete;
    Holder& operator=(const Holder&) = delete;

    bool started() const { return info_.hProcess != nullptr; }
    bool holding() const {
        return waitFor([&] { return std::filesystem::exists(token); });
    }
    void releaseLock() { SetEvent(release_); }
    void kill() { TerminateProcess(info_.hProcess, 9); }
    bool ended() const { return WaitForSingleObject(info_.hProcess, 20000) == WAIT_OBJECT_0; }

    const std::filesystem::path lock, token, marker;

private:
    static inline int count_ = 0;
    HANDLE release_ = nullptr;
    PROCESS_INFORMATION info_{};
};
#endif

}  // namespace veltrane::testing
