// A second program instance for the running-instances test: takes the shared lock, writes its own token, holds
// the lock until the test sets an event, then writes a marker and releases the lock by ending.
// Usage: instances-holder LOCK_FILE TOKEN_FILE EVENT_NAME MARKER_FILE

#include <windows.h>

#include <memory>
#include <string>

#include "windows/services/win32_running_instances.h"

namespace {

bool writeWhole(const std::wstring& path, const std::u16string& text) {
    const std::wstring temporary = path + L".tmp";
    HANDLE file =
        CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(char16_t)), &written, nullptr);
    CloseHandle(file);
    return ok && MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 5) return 2;
    HANDLE release = OpenEventW(SYNCHRONIZE, FALSE, argv[3]);
    if (!release) return 3;
    const std::wstring lockFile = argv[1];
    veltrane::platform::win32::Win32RunningInstances instances(std::u16string(lockFile.begin(), lockFile.end()));
    auto lock = instances.lockShared();
    if (!writeWhole(argv[2], instances.selfToken())) return 4;
    // Bounded, so a test that failed early never leaves this process behind.
    if (WaitForSingleObject(release, 60000) != WAIT_OBJECT_0) return 5;
    if (!writeWhole(argv[4], u"released")) return 6;
    lock.reset();
    return 0;
}
