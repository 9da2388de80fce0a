#include "windows/browser/browser_emulation.h"

#include <windows.h>

namespace veltrane::platform::win32 {

std::wstring ownExeFileName() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);  // a long path: try again with room for it
    }
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

unsigned long setBrowserEmulation() {
    const std::wstring name = ownExeFileName();
    if (name.empty()) return GetLastError();
    HKEY key = nullptr;
    LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, kBrowserEmulationKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_SET_VALUE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) return static_cast<unsigned long>(status);
    const DWORD mode = kLatestStandardsMode;
    status = RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&mode), sizeof mode);
    RegCloseKey(key);
    return static_cast<unsigned long>(status);
}

}  // namespace veltrane::platform::win32
