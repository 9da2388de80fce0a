#pragma once
// A text as a UTF-16LE file holds it, byte-order mark first: the form Windows tools write request files in.

#include <string>
#include <string_view>

namespace veltrane::testing {

inline std::string utf16le(std::u16string_view text) {
    std::string out = "\xFF\xFE";
    for (char16_t c : text) {
        out.push_back(static_cast<char>(c & 0xFF));
        out.push_back(static_cast<char>(c >> 8));
    }
    return out;
}

}  // namespace veltrane::testing
