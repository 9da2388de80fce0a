#pragma once
// The core's UTF-16 text is the wide text of the Win32 API: both are 16-bit units, so they convert in place.

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace veltrane::platform::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the wide Win32 API takes UTF-16");

inline const wchar_t* wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

inline std::u16string fromWide(const wchar_t* text, std::size_t length) {
    return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}

inline std::u16string fromWide(const wchar_t* text) { return fromWide(text, std::wcslen(text)); }

// Win32 takes zero-terminated texts: a zero inside one would silently make it name something else.
inline bool holdsZero(std::u16string_view text) { return text.find(u'\0') != std::u16string_view::npos; }

// The text of a multi-line edit control, which separates its lines with CR LF.
inline std::u16string editLines(const std::vector<std::u16string>& lines) {
    std::u16string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i) text += u"\r\n";
        text += lines[i];
    }
    return text;
}

}  // namespace veltrane::platform::win32
