#include "windows/services/profile_ini_reader.h"

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

}  // namespace veltrane::platform::win32
