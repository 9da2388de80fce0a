#include "windows/common/file_lock.h"

#include <shlobj.h>
#include <windows.h>

#include "base/error.h"
#include "base/text.h"
#include "windows/common/system_message.h"
#include "windows/common/wide_text.h"

namespace veltrane::platform::win32 {

namespace {

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

std::u16string localProgramFile(const std::u16string& name) {
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, folder)))
        throw Error("Cannot lock " + utf16ToUtf8(name) + ": the local application data folder is unknown");
    return fromWide(folder) + u"\\Veltrane\\" + name;
}

std::unique_ptr<InstancesLock> lockWholeFile(const std::u16string& path, bool wait) {
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
    const DWORD flags = LOCKFILE_EXCLUSIVE_LOCK | (wait ? 0 : LOCKFILE_FAIL_IMMEDIATELY);
    if (!LockFileEx(file, flags, 0, MAXDWORD, MAXDWORD, &whole)) {
        const DWORD error = GetLastError();
        CloseHandle(file);
        if (!wait && error == ERROR_LOCK_VIOLATION) return nullptr;
        throw Error("Cannot lock " + utf16ToUtf8(path) + ": " + systemMessage(error));
    }
    return std::make_unique<FileLock>(file);
}

}  // namespace veltrane::platform::win32
