#include "base/numbers.h"

namespace veltrane {

int hexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

std::optional<std::int64_t> parseInteger(std::u16string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == u' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
    int base = 10;
    if (i < text.size() && text[i] == u'$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size()) return std::nullopt;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i];
        // Only ASCII digits count: other scripts' digits are not a number the settings can hold.
        const int digit = c >= u'0' && c <= u'9' ? c - u'0' : base == 16 ? hexDigit(c) : -1;
        if (digit < 0) return std::nullopt;
        value = value * base + digit;
        // Beyond the 32-bit range the text is not an integer the settings can hold.
        if (value > (base == 16 ? 0xFFFFFFFFLL : 0x80000000LL)) return std::nullopt;
    }
    if (base == 10 && !negative && value > 0x7FFFFFFF) return std::nullopt;
    if (base == 16 && !negative && value > 0x7FFFFFFF) return value - 0x100000000LL;  // two's complement
    return negative ? -value : value;
}

}  // namespace veltrane
