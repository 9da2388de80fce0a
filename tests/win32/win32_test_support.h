#pragma once
// What only the Win32 backend tests need: a path as the wide text the Win32 calls take.

#include <filesystem>
#include <string>

namespace veltrane::testing {

inline std::u16string u16path(const std::filesystem::path& path) {
    const std::wstring text = path.wstring();
    return std::u16string(text.begin(), text.end());
}

}  // namespace veltrane::testing
