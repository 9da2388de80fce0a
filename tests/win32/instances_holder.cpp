// A second program instance for the running-instances test: takes the shared lock, writes its own token, holds
// the lock until the test sets an event, then writes a marker and releases the lock by ending.
// Usage: instances-holder LOCK_FILE TOKEN_FILE EVENT_NAME MARKER_FILE

#include <windows.h>

#include <filesystem>
#include <memory>
#include <string>

#include "support/file_bytes.h"
#include "windows/services/win32_running_instances.h"

namespace {

// The text's UTF-16 units as they are in memory, no byte-order mark.
bool writeWhole(const std::wstring& path, const std::u16string& text) {
    return veltrane::testing::writeFileAtomically(
        std::filesystem::path(path),
        std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(char16_t)));
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
