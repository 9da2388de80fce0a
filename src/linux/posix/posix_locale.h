#pragma once
// The user's regional formats on Linux, taken from the locale environment (LC_ALL, LC_TIME, LC_NUMERIC, LANG) the
// way every program on the desktop takes them.

#include <locale.h>

#include "platform/locale_info.h"

namespace veltrane::platform::posix {

// Windows' "short date" and "long time" formats have no Linux counterpart by those names; the locale's date
// format (D_FMT, e.g. 12/09/2026 in en_US, 09.12.2026 in de_DE) and time format (T_FMT, e.g. 02:05:09 PM in
// en_US, 14:05:09 in de_DE) are the forms users of that locale see elsewhere, so they stand in for them.
class PosixLocale final : public LocaleInfo {
public:
    // The locale of the environment; the C locale when the environment names one that is not installed.
    PosixLocale();
    // A named locale such as "de_DE.UTF-8"; the C locale when it is not installed.
    explicit PosixLocale(const char* localeName);
    ~PosixLocale() override;
    PosixLocale(const PosixLocale&) = delete;
    PosixLocale& operator=(const PosixLocale&) = delete;

    std::u16string formatShortDate(const LocalDateTime& when) override;
    std::u16string formatLongTime(const LocalDateTime& when) override;
    char16_t decimalSeparator() override;

    // False when the locale asked for was not available and the C locale stands in.
    bool isRequestedLocale() const { return requested_; }

private:
    std::u16string format(const LocalDateTime& when, int formatItem);
    std::u16string toUtf16(const char* localeText) const;

    locale_t locale_;
    bool requested_ = true;
};

}  // namespace veltrane::platform::posix
