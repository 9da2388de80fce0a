#include "linux/posix/posix_locale.h"

#include <iconv.h>
#include <langinfo.h>
#include <time.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "base/text.h"

namespace veltrane::platform::posix {

namespace {

constexpr int kCategories = LC_CTYPE_MASK | LC_TIME_MASK | LC_NUMERIC_MASK;

locale_t cLocale() { return newlocale(kCategories, "C", static_cast<locale_t>(nullptr)); }

// Text in a non-UTF-8 charset (an old "de_DE" locale in ISO-8859-1); undecodable bytes become U+FFFD.
std::u16string convertFromCharset(const char* text, const char* charset) {
    const std::size_t length = std::strlen(text);
    iconv_t cd = iconv_open("UTF-8", charset);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        std::string ascii;
        for (std::size_t i = 0; i < length; ++i) {
            ascii.push_back(static_cast<unsigned char>(text[i]) < 0x80 ? text[i] : '\xFF');
        }
        return utf8ToUtf16(ascii);
    }
    std::string input(text, length);
    std::string utf8;
    char buffer[256];
    char* in = input.data();
    std::size_t inLeft = input.size();
    while (inLeft > 0) {
        char* out = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t result = iconv(cd, &in, &inLeft, &out, &outLeft);
        const int error = errno;
        utf8.append(buffer, static_cast<std::size_t>(out - buffer));
        if (result == static_cast<std::size_t>(-1) && error != E2BIG) {
            utf8.push_back('\xFF');  // becomes U+FFFD below
            ++in;
            --inLeft;
        }
    }
    iconv_close(cd);
    return utf8ToUtf16(utf8);
}

}  // namespace

PosixLocale::PosixLocale() : locale_(newlocale(kCategories, "", static_cast<locale_t>(nullptr))) {
    if (locale_ == static_cast<locale_t>(nullptr)) {
        requested_ = false;
        locale_ = cLocale();
    }
}

PosixLocale::PosixLocale(const char* localeName)
    : locale_(newlocale(kCategories, localeName, static_cast<locale_t>(nullptr))) {
    if (locale_ == static_cast<locale_t>(nullptr)) {
        requested_ = false;
        locale_ = cLocale();
    }
}

PosixLocale::~PosixLocale() {
    if (locale_ != static_cast<locale_t>(nullptr)) freelocale(locale_);
}

std::u16string PosixLocale::toUtf16(const char* localeText) const {
    const char* charset = nl_langinfo_l(CODESET, locale_);
    if (std::strcmp(charset, "UTF-8") == 0 || std::strcmp(charset, "ANSI_X3.4-1968") == 0) {
        return utf8ToUtf16(localeText);
    }
    return convertFromCharset(localeText, charset);
}

std::u16string PosixLocale::format(const LocalDateTime& when, int formatItem) {
    tm fields{};
    fields.tm_year = when.year - 1900;
    fields.tm_mon = when.month - 1;
    fields.tm_mday = when.day;
    fields.tm_hour = when.hour;
    fields.tm_min = when.minute;
    fields.tm_sec = when.second;
    // A format may name the weekday; timegm fills it in without moving the time by any zone offset.
    tm normalized = fields;
    timegm(&normalized);
    fields.tm_wday = normalized.tm_wday;
    fields.tm_yday = normalized.tm_yday;
    fields.tm_isdst = -1;

    const char* pattern = nl_langinfo_l(static_cast<nl_item>(formatItem), locale_);
    char buffer[256];
    const std::size_t length = strftime_l(buffer, sizeof buffer, pattern, &fields, locale_);
    buffer[length] = '\0';
    return toUtf16(buffer);
}

std::u16string PosixLocale::formatShortDate(const LocalDateTime& when) { return format(when, D_FMT); }

std::u16string PosixLocale::formatLongTime(const LocalDateTime& when) { return format(when, T_FMT); }

char16_t PosixLocale::decimalSeparator() {
    const std::u16string radix = toUtf16(nl_langinfo_l(RADIXCHAR, locale_));
    return radix.empty() ? u'.' : radix.front();
}

}  // namespace veltrane::platform::posix
