#pragma once
// The user's regional settings: the short date, the long time and the decimal separator.

#include "platform/locale_info.h"

namespace veltrane::platform::win32 {

class Win32Locale final : public LocaleInfo {
public:
    std::u16string formatShortDate(const LocalDateTime& when) override;
    std::u16string formatLongTime(const LocalDateTime& when) override;
    char16_t decimalSeparator() override;
};

}  // namespace veltrane::platform::win32
