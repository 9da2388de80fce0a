#include "windows/services/win32_locale.h"

#include <cstdio>

#include "windows/common/wide_text.h"

namespace veltrane::platform::win32 {

namespace {

SYSTEMTIME toSystemTime(const LocalDateTime& when) {
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(when.year);
    time.wMonth = static_cast<WORD>(when.month);
    time.wDay = static_cast<WORD>(when.day);
    time.wHour = static_cast<WORD>(when.hour);
    time.wMinute = static_cast<WORD>(when.minute);
    time.wSecond = static_cast<WORD>(when.second);
    time.wMilliseconds = static_cast<WORD>(when.millisecond);
    return time;
}

// A date the platform refuses to format (out of its range) still says when the line was written.
std::u16string numeric(const char* pattern, int first, int second, int third) {
    char text[32];
    std::snprintf(text, sizeof text, pattern, first, second, third);
    return std::u16string(text, text + std::char_traits<char>::length(text));
}

}  // namespace

std::u16string Win32Locale::formatShortDate(const LocalDateTime& when) {
    const SYSTEMTIME time = toSystemTime(when);
    wchar_t buffer[128];
    const int length = GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, buffer, 128);
    if (length <= 0) return numeric("%04d-%02d-%02d", when.year, when.month, when.day);
    return fromWide(buffer, static_cast<std::size_t>(length - 1));
}

std::u16string Win32Locale::formatLongTime(const LocalDateTime& when) {
    const SYSTEMTIME time = toSystemTime(when);
    wchar_t buffer[128];
    // No flags and no format: the user's long time format.
    const int length = GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &time, nullptr, buffer, 128);
    if (length <= 0) return numeric("%02d:%02d:%02d", when.hour, when.minute, when.second);
    return fromWide(buffer, static_cast<std::size_t>(length - 1));
}

char16_t Win32Locale::decimalSeparator() {
    wchar_t buffer[8] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, 8) <= 1) return u'.';
    return static_cast<char16_t>(buffer[0]);
}

}  // namespace veltrane::platform::win32
