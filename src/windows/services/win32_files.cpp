#include "windows/services/win32_files.h"

#include <algorithm>

#include "base/error.h"
#include "windows/common/wide_text.h"

namespace veltrane::platform::win32 {

namespace {

[[noreturn]] void throwFileError(DWORD error) { throw Error(fileErrorText(error)); }

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    FileHandle(FileHandle&& other) noexcept : handle_(other.handle_) { other.handle_ = INVALID_HANDLE_VALUE; }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE get() const { return handle_; }
    // Closes now, so a failing close is reported like a failed write.
    void close() {
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        if (!CloseHandle(handle)) throwFileError(GetLastError());
    }

private:
    HANDLE handle_;
};

FileHandle openFile(const std::u16string& path, DWORD access, DWORD disposition) {
    if (path.empty() || holdsZero(path)) throw Error(std::string(messages::kInvalidFilename));
    FileHandle file(CreateFileW(wide(path), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) throwFileError(GetLastError());
    // A device or pipe name ("CON", "\\.\pipe\x") is no file we may write.
    if (GetFileType(file.get()) != FILE_TYPE_DISK) throwFileError(ERROR_ACCESS_DENIED);
    return file;
}

void writeAll(HANDLE file, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr)) throwFileError(GetLastError());
        if (written == 0) throwFileError(ERROR_DISK_FULL);
        done += written;
    }
}

}  // namespace

std::string fileErrorText(unsigned long error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
            return std::string(messages::kFileNotFound);
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_FILENAME_EXCED_RANGE:
        case ERROR_DIRECTORY:
        case ERROR_INVALID_DRIVE:
            return std::string(messages::kInvalidFilename);
        case ERROR_TOO_MANY_OPEN_FILES:
            return std::string(messages::kTooManyOpenFiles);
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_WRITE_PROTECT:
        case ERROR_CANNOT_MAKE:
            return std::string(messages::kFileAccessDenied);
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return std::string(messages::kDiskFull);
        default:
            return formatMessage(messages::kIoError, std::to_string(error));
    }
}

void Win32Files::appendToFile(const std::u16string& path, const std::string& bytes) {
    // Append-only access makes every WriteFile land at the end, so lines of two processes never interleave.
    FileHandle file = openFile(path, FILE_APPEND_DATA | SYNCHRONIZE, OPEN_ALWAYS);
    writeAll(file.get(), bytes);
    file.close();
}

void Win32Files::writeWholeFile(const std::u16string& path, const std::string& bytes) {
    FileHandle file = openFile(path, GENERIC_WRITE, CREATE_ALWAYS);
    writeAll(file.get(), bytes);
    // The imaging program starts right after: the bytes must be out of our hands before that.
    if (!FlushFileBuffers(file.get())) throwFileError(GetLastError());
    file.close();
}

}  // namespace veltrane::platform::win32
