#include "windows/services/profile_ini_reader.h"

#include "windows/common/system_message.h"
#include "windows/common/wide_text.h"

namespace veltrane::platform::win32 {

namespace {

// Room for 2047 characters and the terminating zero: the longest value the request file may hold.
constexpr DWORD kValueBufferLength = 2048;

// What the reader gives when it finds nothing: the default without trailing blanks, cut to the buffer.
std::u16string defaultOnly(std::u16string_view defaultValue) {
    defaultValue = defaultValue.substr(0, defaultValue.find(u'\0'));
    while (!defaultValue.empty() && defaultValue.back() == u' ') defaultValue.remove_suffix(1);
    return std::u16string(defaultValue.substr(0, kValueBufferLength - 1));
}

}  // namespace

std::u16string ProfileIniReader::getString(const std::u16string& file, const std::u16string& section,
                                           const std::u16string& key, const std::u16string& defaultValue) {
    // An empty or cut file name would make the reader fall back to win.ini, and a cut section or key name would
    // match another entry: none of them names anything in the request file.
    if (file.empty() || holdsZero(file) || holdsZero(section) || holdsZero(key)) return defaultOnly(defaultValue);
    wchar_t buffer[kValueBufferLength] = {};
    const std::u16string fallback = defaultValue.substr(0, defaultValue.find(u'\0'));
    const DWORD length =
        GetPrivateProfileStringW(wide(section), wide(key), wide(fallback), buffer, kValueBufferLength, wide(file));
    return fromWide(buffer, std::min<DWORD>(length, kValueBufferLength - 1));
}

std::string ProfileIniReader::whyUnreadable(const std::u16string& file) {
    if (file.empty() || holdsZero(file)) return "it has no name";
    std::u16string path = file;
    if (path.find_first_of(u"\\/:") == std::u16string::npos) {
        wchar_t folder[MAX_PATH] = {};
        const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
        if (length > 0 && length < MAX_PATH) path = fromWide(folder, length) + u"\\" + path;
    }
    const DWORD attributes = GetFileAttributesW(wide(path));
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return "it is a folder";
    HANDLE handle = CreateFileW(wide(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return systemMessage(GetLastError());
    CloseHandle(handle);
    return {};
}

}  // namespace veltrane::platform::win32
