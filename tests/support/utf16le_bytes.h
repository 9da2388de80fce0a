#pragma once
// Text as UTF-16LE bytes, written out here rather than taken from the code under test: a file as Windows tools write
// it (byte-order mark first), and a string value's data as the registry holds it.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace veltrane::testing {

inline std::string utf16le(std::u16string_view text) {
    std::string out = "\xFF\xFE";
    for (char16_t c : text) {
        out.push_back(static_cast<char>(c & 0xFF));
        out.push_back(static_cast<char>(c >> 8));
    }
    return out;
}

// No byte-order mark, and the terminating zero the registry keeps with the text.
inline std::vector<std::uint8_t> regStringData(std::u16string_view text) {
    const std::string file = utf16le(text);
    std::vector<std::uint8_t> data(file.begin() + 2, file.end());
    data.push_back(0);
    data.push_back(0);
    return data;
}

}  // namespace veltrane::testing
