#pragma once
// The user's regional settings: date and time formats, number format.

#include <string>

#include "platform/clock.h"

namespace veltrane::platform {

class LocaleInfo {
public:
    virtual ~LocaleInfo() = default;
    virtual std::u16string formatShortDate(const LocalDateTime& when) = 0;
    virtual std::u16string formatLongTime(const LocalDateTime& when) = 0;
    virtual char16_t decimalSeparator() = 0;
};

}  // namespace veltrane::platform
