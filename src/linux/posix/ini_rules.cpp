#include "linux/posix/ini_rules.h"

#include "base/text.h"

namespace veltrane::platform::posix {

namespace {

// Blanks around names and values; ^Z is a blank too, as old DOS editors end files with it.
bool isBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f' || c == 0x1A; }

std::u16string_view trim(std::u16string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

// Names and values are zero-terminated texts on the platform, so a zero character ends them.
std::u16string_view cutAtZero(std::u16string_view text) { return text.substr(0, text.find(u'\0')); }

std::u16string finishValue(std::u16string_view value) {
    value = cutAtZero(value);
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::u16string(value.substr(0, kIniValueMaxLength));
}

std::u16string decodeUtf16(std::string_view bytes, bool bigEndian) {
    std::u16string text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        text.push_back(static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first));
    }
    return text;
}

std::u16string decodeFile(std::string_view bytes, AnsiCodec& codec) {
    if (bytes.starts_with("\xFF\xFE")) return decodeUtf16(bytes.substr(2), false);
    if (bytes.starts_with("\xFE\xFF")) return decodeUtf16(bytes.substr(2), true);
    if (bytes.starts_with("\xEF\xBB\xBF")) return utf8ToUtf16(bytes.substr(3));
    return codec.decode(bytes);
}

}  // namespace

std::u16string parseIniValue(std::string_view bytes, std::u16string_view section, std::u16string_view key,
                             std::u16string_view defaultValue, AnsiCodec& codec) {
    // Trailing blanks of the default are dropped, as the platform's reader does.
    while (!defaultValue.empty() && defaultValue.back() == u' ') defaultValue.remove_suffix(1);
    section = trim(section);
    key = trim(key);
    if (section.empty() || key.empty()) return finishValue(defaultValue);

    const std::u16string text = decodeFile(bytes.substr(0, kIniFileMaxBytes), codec);
    const std::u16string_view all(text);
    bool inSection = false;
    std::size_t pos = 0;
    while (pos < all.size()) {
        // A line ends at CR, LF or any run of them.
        std::size_t end = all.find_first_of(u"\r\n", pos);
        if (end == std::u16string_view::npos) end = all.size();
        const std::u16string_view line = trim(all.substr(pos, end - pos));
        pos = end;
        while (pos < all.size() && (all[pos] == u'\r' || all[pos] == u'\n')) ++pos;
        if (line.empty()) continue;

        if (line.front() == u'[') {
            const std::size_t close = line.rfind(u']');
            if (close != std::u16string_view::npos) {
                // Only the first section of that name is searched; a later one of the same name is not.
                if (inSection) break;
                inSection = equalsIgnoreCase(cutAtZero(trim(line.substr(1, close - 1))), section);
                continue;
            }
            // A "[" without "]" is no section header; the line is read as a key line like any other.
        }
        if (!inSection) continue;
        const std::size_t equals = line.find(u'=');
        if (equals == std::u16string_view::npos) continue;
        if (equalsIgnoreCase(cutAtZero(trim(line.substr(0, equals))), key)) {
            return finishValue(trim(line.substr(equals + 1)));
        }
    }
    return finishValue(defaultValue);
}

}  // namespace veltrane::platform::posix
