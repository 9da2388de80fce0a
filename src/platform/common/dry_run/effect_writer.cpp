#include "platform/common/dry_run/effect_writer.h"

#include "base/text.h"

namespace veltrane::platform::dry_run {

std::string jsonString(std::string_view utf8) {
    static const char hex[] = "0123456789abcdef";
    std::string out = "\"";
    for (const char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    out += "\\u00";
                    out.push_back(hex[c >> 4]);
                    out.push_back(hex[c & 0xF]);
                } else {
                    out.push_back(ch);
                }
        }
    }
    out += '"';
    return out;
}

std::string jsonString(std::u16string_view text) { return jsonString(std::string_view(utf16ToUtf8(text))); }

std::string base64(std::string_view bytes) {
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned v = static_cast<unsigned char>(bytes[i]) << 16 | static_cast<unsigned char>(bytes[i + 1]) << 8 |
                           static_cast<unsigned char>(bytes[i + 2]);
        out += {alphabet[v >> 18], alphabet[(v >> 12) & 63], alphabet[(v >> 6) & 63], alphabet[v & 63]};
    }
    if (i + 1 == bytes.size()) {
        const unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
        out += {alphabet[v >> 18], alphabet[(v >> 12) & 63], '=', '='};
    } else if (i + 2 == bytes.size()) {
        const unsigned v = static_cast<unsigned char>(bytes[i]) << 16 | static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += {alphabet[v >> 18], alphabet[(v >> 12) & 63], alphabet[(v >> 6) & 63], '='};
    }
    return out;
}

void EffectWriter::write(std::string_view effect, const std::vector<std::pair<std::string, std::string>>& textFields,
                         const std::vector<std::pair<std::string, long>>& numberFields) {
    std::string line = "{\"effect\":" + jsonString(effect);
    for (const auto& [name, value] : textFields)
        line += "," + jsonString(std::string_view(name)) + ":" + jsonString(std::string_view(value));
    for (const auto& [name, value] : numberFields)
        line += "," + jsonString(std::string_view(name)) + ":" + std::to_string(value);
    line += "}\n";
    out_ << line;
    out_.flush();
}

}  // namespace veltrane::platform::dry_run
