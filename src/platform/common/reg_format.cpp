#include "platform/common/reg_format.h"

#include <array>
#include <optional>
#include <unordered_map>

#include "base/numbers.h"
#include "base/text.h"

namespace veltrane::platform {

using platform::RegType;
using platform::RegValue;

namespace {

constexpr std::array<std::u16string_view, 5> kRoots = {u"HKEY_LOCAL_MACHINE", u"HKEY_CURRENT_USER",
                                                       u"HKEY_CLASSES_ROOT", u"HKEY_USERS", u"HKEY_CURRENT_CONFIG"};

bool isHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// True when the text has no control characters and every surrogate is paired, i.e. it can stand in a line of
// UTF-8 and read back unchanged.
bool isPlainText(std::u16string_view t) {
    for (std::size_t i = 0; i < t.size(); ++i) {
        const char16_t c = t[i];
        if (c < 0x20 || c == 0x7F) return false;
        if (isHighSurrogate(c)) {
            if (i + 1 >= t.size() || !isLowSurrogate(t[i + 1])) return false;
            ++i;
        } else if (isLowSurrogate(c)) {
            return false;
        }
    }
    return true;
}

bool isKnownRoot(std::u16string_view name) {
    for (auto root : kRoots) {
        if (equalsIgnoreCase(root, name)) return true;
    }
    return false;
}

bool keyPathsEqual(std::u16string_view a, std::u16string_view b) { return equalsIgnoreCase(a, b); }

bool isSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r'; }

std::u16string_view trim(std::u16string_view t) {
    while (!t.empty() && isSpace(t.front())) t.remove_prefix(1);
    while (!t.empty() && isSpace(t.back())) t.remove_suffix(1);
    return t;
}

bool startsWithIgnoreCase(std::u16string_view t, std::u16string_view prefix) {
    return t.size() >= prefix.size() && equalsIgnoreCase(t.substr(0, prefix.size()), prefix);
}

// 1 to maxDigits hex digits and nothing else.
std::optional<std::uint32_t> parseHexNumber(std::u16string_view t, std::size_t maxDigits) {
    if (t.empty() || t.size() > maxDigits) return std::nullopt;
    std::uint32_t v = 0;
    for (char16_t c : t) {
        const int d = hexDigit(c);
        if (d < 0) return std::nullopt;
        v = (v << 4) | static_cast<std::uint32_t>(d);
    }
    return v;
}

// Strict UTF-8: a settings file with stray bytes is reported, not silently changed into replacement characters
// that the next write would make permanent.
struct Line {
    std::u16string text;
    std::size_t number;
};

void pushLine(std::vector<Line>& lines, std::u16string text) {
    if (!text.empty() && text.back() == u'\r') text.pop_back();
    lines.push_back({std::move(text), lines.size() + 1});
}

std::vector<Line> decodeLines(std::string_view bytes, std::string_view source) {
    std::vector<Line> lines;
    if (bytes.size() >= 2 && static_cast<std::uint8_t>(bytes[0]) == 0xFE &&
        static_cast<std::uint8_t>(bytes[1]) == 0xFF) {
        throw RegSyntaxError(source, 1, "UTF-16 big-endian text is not supported; save it as UTF-8 or UTF-16LE");
    }
    if (bytes.size() >= 2 && static_cast<std::uint8_t>(bytes[0]) == 0xFF &&
        static_cast<std::uint8_t>(bytes[1]) == 0xFE) {
        std::u16string current;
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            const auto c = static_cast<char16_t>(static_cast<std::uint8_t>(bytes[i]) |
                                                 (static_cast<std::uint8_t>(bytes[i + 1]) << 8));
            if (c == u'\n') {
                pushLine(lines, std::move(current));
                current.clear();
            } else {
                current.push_back(c);
            }
        }
        pushLine(lines, std::move(current));
        if (bytes.size() % 2 != 0) {
            throw RegSyntaxError(source, lines.size(), "the UTF-16 text ends in the middle of a character");
        }
        return lines;
    }
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    std::size_t start = 0;
    while (true) {
        const std::size_t end = bytes.find('\n', start);
        const std::string_view raw =
            bytes.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        std::u16string text;
        if (!utf8ToUtf16Strict(raw, text)) {
            throw RegSyntaxError(source, lines.size() + 1, "the text is not valid UTF-8");
        }
        pushLine(lines, std::move(text));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return lines;
}

// Names folded to one letter case, so a large file is checked for repeated names by lookup, not by search.
std::u16string folded(std::u16string_view t) {
    std::u16string out(t);
    for (auto& c : out) c = foldCase(c);
    return out;
}

std::u16string withoutLoneSurrogates(std::u16string_view t) { return utf8ToUtf16(utf16ToUtf8(t)); }

class Parser {
public:
    Parser(std::vector<Line> lines, std::string_view source) : lines_(std::move(lines)), source_(source) {}

    RegDocument run(EmptyText empty) {
        std::size_t i = 0;
        while (i < lines_.size() && trim(lines_[i].text).empty()) ++i;
        if (i == lines_.size()) {
            if (empty == EmptyText::IsEmptyDocument) return {};
            fail(1, "the file is empty; expected the header line \"" + std::string(kRegHeader) + "\"");
        }
        const auto header = trim(lines_[i].text);
        if (equalsIgnoreCase(header, u"REGEDIT4")) {
            fail(lines_[i].number, "REGEDIT4 files are not supported; export as \"" + std::string(kRegHeader) + "\"");
        }
        if (!equalsIgnoreCase(header, utf8ToUtf16(kRegHeader))) {
            fail(lines_[i].number, "expected the header line \"" + std::string(kRegHeader) + "\"");
        }
        for (i_ = i + 1; i_ < lines_.size(); ++i_) {
            const auto t = trim(lines_[i_].text);
            if (t.empty()) continue;
            if (t.front() == u';') {
                pending_.push_back(withoutLoneSurrogates(t));
            } else if (t.front() == u'[') {
                keyLine(t);
            } else if (current_ == kNone) {
                fail(number(), "expected a [key] line");
            } else if (t.front() == u'"' || t.front() == u'@') {
                valueLine(t);
            } else {
                fail(number(), "expected \"name\"=value");
            }
        }
        doc_.trailingComments = std::move(pending_);
        return std::move(doc_);
    }

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    [[noreturn]] void fail(std::size_t line, std::string reason) const {
        throw RegSyntaxError(source_, line, std::move(reason));
    }
    std::size_t number() const { return lines_[i_].number; }

    void keyLine(std::u16string_view t) {
        if (t.size() >= 2 && t[1] == u'-') fail(number(), "deleting keys is not supported");
        if (t.back() != u']') fail(number(), "expected ] at the end of the key line");
        const auto path = t.substr(1, t.size() - 2);
        if (!isWritableKeyPath(path)) {
            const auto root = path.substr(0, path.find(u'\\'));
            if (!isKnownRoot(root)) fail(number(), "unknown root key \"" + utf16ToUtf8(root) + "\"");
            if (path.find(u"\\\\") != std::u16string_view::npos || path.back() == u'\\') {
                fail(number(), "empty key name in the key path");
            }
            fail(number(), "the key path contains a control character or an unpaired surrogate");
        }
        const auto [it, added] = keyIndex_.try_emplace(folded(path), doc_.keys.size());
        current_ = it->second;
        if (!added) {
            moveComments(doc_.keys[current_].comments);
            return;
        }
        doc_.keys.push_back({std::u16string(path), std::move(pending_), {}});
        valueIndex_.emplace_back();
        pending_.clear();
    }

    void moveComments(std::vector<std::u16string>& to) {
        for (auto& c : pending_) to.push_back(std::move(c));
        pending_.clear();
    }

    // Reads "..." with the escapes \\ and \" from t[pos], which is the opening quote; pos ends after the
    // closing quote.
    std::u16string quoted(std::u16string_view t, std::size_t& pos, const char* what) const {
        std::u16string out;
        for (++pos; pos < t.size(); ++pos) {
            const char16_t c = t[pos];
            if (c == u'"') {
                ++pos;
                return out;
            }
            if (c == u'\\') {
                if (pos + 1 >= t.size()) break;
                const char16_t next = t[++pos];
                if (next != u'\\' && next != u'"') {
                    fail(number(), std::string("unknown escape \\") + utf16ToUtf8(std::u16string(1, next)) +
                                       " in the " + what + " (write \\\\ for a backslash, \\\" for a quote)");
                }
                out.push_back(next);
            } else {
                out.push_back(c);
            }
        }
        fail(number(), std::string("the ") + what + " has no closing quote");
    }

    void valueLine(std::u16string_view t) {
        const std::size_t firstLine = number();
        std::size_t pos = 0;
        std::u16string name;
        if (t.front() == u'@') {
            pos = 1;
        } else {
            name = quoted(t, pos, "value name");
            if (!isWritableName(name)) {
                fail(number(), "the value name contains a control character or an unpaired surrogate");
            }
        }
        while (pos < t.size() && isSpace(t[pos])) ++pos;
        if (pos >= t.size() || t[pos] != u'=') fail(number(), "expected = after the value name");
        ++pos;
        while (pos < t.size() && isSpace(t[pos])) ++pos;
        const auto rest = t.substr(pos);
        RegValue value;
        if (rest.empty()) {
            fail(number(), "expected a value after =");
        } else if (rest.front() == u'"') {
            std::size_t p = 0;
            const auto text = quoted(rest, p, "text");
            if (p != rest.size()) fail(number(), "unexpected text after the closing quote");
            value.type = RegType::Sz;
            value.data = stringValueData(text);
        } else if (rest == u"-") {
            fail(number(), "deleting values is not supported");
        } else if (startsWithIgnoreCase(rest, u"dword:")) {
            const auto v = parseHexNumber(rest.substr(6), 8);
            if (!v) fail(number(), "expected dword: followed by 1 to 8 hex digits");
            value.type = RegType::Dword;
            for (int k = 0; k < 4; ++k) value.data.push_back(static_cast<std::uint8_t>(*v >> (8 * k)));
        } else if (startsWithIgnoreCase(rest, u"hex")) {
            std::size_t p = 3;
            value.type = RegType::Binary;
            if (p < rest.size() && rest[p] == u'(') {
                const auto close = rest.find(u')', p);
                const auto type = close == std::u16string_view::npos
                                      ? std::nullopt
                                      : parseHexNumber(rest.substr(p + 1, close - p - 1), 8);
                if (!type) fail(number(), "expected hex(<type in hex>): before the bytes");
                value.type = static_cast<RegType>(*type);
                p = close + 1;
            }
            if (p >= rest.size() || rest[p] != u':') fail(number(), "expected : after the value type");
            value.data = hexBytes(rest.substr(p + 1));
        } else {
            fail(number(), "unknown value type; expected \"text\", dword:, hex: or hex(<type>):");
        }
        store(std::move(name), std::move(value), firstLine);
    }

    // Bytes "xx,xx,..." that may continue on following lines after a trailing backslash.
    std::vector<std::uint8_t> hexBytes(std::u16string_view first) {
        std::u16string data(trim(first));
        std::vector<std::pair<std::size_t, std::size_t>> lineStarts{{0, number()}};  // offset in data, line
        while (!data.empty() && data.back() == u'\\') {
            data.pop_back();
            if (i_ + 1 >= lines_.size()) fail(number(), "the value continues past the end of the file");
            ++i_;
            lineStarts.emplace_back(data.size(), number());
            data += trim(lines_[i_].text);
        }
        const auto lineAt = [&](std::size_t offset) {
            std::size_t line = lineStarts.front().second;
            for (const auto& [start, n] : lineStarts) {
                if (start <= offset) line = n;
            }
            return line;
        };
        std::vector<std::uint8_t> bytes;
        std::size_t start = 0;
        while (start <= data.size()) {
            std::size_t end = data.find(u',', start);
            if (end == std::u16string::npos) end = data.size();
            const auto token = trim(std::u16string_view(data).substr(start, end - start));
            const bool last = end == data.size();
            if (token.empty()) {
                // regedit ends wrapped lines with a comma; a final empty item is that comma, not a missing byte.
                if (!last) fail(lineAt(start), "empty item in the hex bytes");
            } else {
                const auto b = parseHexNumber(token, 2);
                if (!b) fail(lineAt(start), "bad hex byte \"" + utf16ToUtf8(token) + "\"");
                bytes.push_back(static_cast<std::uint8_t>(*b));
            }
            start = end + 1;
        }
        return bytes;
    }

    void store(std::u16string name, RegValue value, std::size_t line) {
        auto& key = doc_.keys[current_];
        const auto [it, added] = valueIndex_[current_].try_emplace(folded(name), key.values.size());
        if (!added) {
            // A later line for the same name wins, as when regedit imports the file.
            auto& entry = key.values[it->second];
            entry.value = std::move(value);
            entry.line = line;
            moveComments(entry.comments);
            return;
        }
        key.values.push_back({std::move(name), std::move(value), std::move(pending_), line});
        pending_.clear();
    }

    std::vector<Line> lines_;
    std::string_view source_;
    RegDocument doc_;
    std::vector<std::u16string> pending_;
    std::unordered_map<std::u16string, std::size_t> keyIndex_;
    std::vector<std::unordered_map<std::u16string, std::size_t>> valueIndex_;  // per key
    std::size_t current_ = kNone;
    std::size_t i_ = 0;
};

// The text of a string value when it can be written between quotes and read back to the same bytes.
std::optional<std::u16string> plainString(const RegValue& v) {
    if (v.type != RegType::Sz || v.data.size() < 2 || v.data.size() % 2 != 0) return std::nullopt;
    std::u16string text = utf16leText(v.data);
    if (text.back() != 0) return std::nullopt;
    text.pop_back();
    if (!isPlainText(text)) return std::nullopt;
    return text;
}

std::string quote(std::u16string_view text) {
    std::string out = "\"";
    for (char c : utf16ToUtf8(text)) {
        if (c == '\\' || c == '"') out.push_back('\\');
        out.push_back(c);
    }
    out.push_back('"');
    return out;
}

constexpr char kHexDigits[] = "0123456789abcdef";
constexpr std::size_t kLineWidth = 80;

std::string hexNumber(std::uint32_t v, std::size_t minDigits) {
    std::string out;
    do {
        out.insert(out.begin(), kHexDigits[v & 0xF]);
        v >>= 4;
    } while (v != 0);
    while (out.size() < minDigits) out.insert(out.begin(), '0');
    return out;
}

void writeValue(std::string& out, const RegEntry& entry) {
    std::string line = entry.name.empty() ? "@=" : quote(entry.name) + "=";
    const auto& v = entry.value;
    if (auto text = plainString(v)) {
        out += line + quote(*text) + "\r\n";
        return;
    }
    if (v.type == RegType::Dword && v.data.size() == 4) {
        const std::uint32_t n =
            v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) | (static_cast<std::uint32_t>(v.data[3]) << 24);
        out += line + "dword:" + hexNumber(n, 8) + "\r\n";
        return;
    }
    line += v.type == RegType::Binary ? "hex:" : "hex(" + hexNumber(static_cast<std::uint32_t>(v.type), 1) + "):";
    // Long data wraps as regedit wraps it: a trailing backslash, continued on an indented line.
    for (std::size_t i = 0; i < v.data.size(); ++i) {
        std::string item{kHexDigits[v.data[i] >> 4], kHexDigits[v.data[i] & 0xF]};
        if (i + 1 < v.data.size()) item.push_back(',');
        if (line.size() + item.size() > kLineWidth - 2 && line != "  ") {
            out += line + "\\\r\n";
            line = "  ";
        }
        line += item;
    }
    out += line + "\r\n";
}

}  // namespace

const RegEntry* RegKeyBlock::find(std::u16string_view name) const {
    for (const auto& entry : values) {
        if (equalsIgnoreCase(entry.name, name)) return &entry;
    }
    return nullptr;
}

RegKeyBlock* RegDocument::findKey(std::u16string_view path) {
    for (auto& key : keys) {
        if (keyPathsEqual(key.path, path)) return &key;
    }
    return nullptr;
}

const RegKeyBlock* RegDocument::findKey(std::u16string_view path) const {
    return const_cast<RegDocument*>(this)->findKey(path);
}

bool RegDocument::hasKey(std::u16string_view path) const {
    for (const auto& key : keys) {
        const std::u16string_view k = key.path;
        if (keyPathsEqual(k, path)) return true;
        if (k.size() > path.size() && k[path.size()] == u'\\' && keyPathsEqual(k.substr(0, path.size()), path)) {
            return true;
        }
    }
    return false;
}

RegKeyBlock& RegDocument::addKey(std::u16string_view path) {
    if (auto* key = findKey(path)) return *key;
    keys.push_back({std::u16string(path), {}, {}});
    return keys.back();
}

bool RegDocument::setValue(std::u16string_view keyPath, std::u16string_view name, RegValue value) {
    auto& key = addKey(keyPath);
    for (auto& entry : key.values) {
        if (equalsIgnoreCase(entry.name, name)) {
            if (entry.value.type == value.type && entry.value.data == value.data) return false;
            entry.value = std::move(value);
            return true;
        }
    }
    key.values.push_back({std::u16string(name), std::move(value), {}});
    return true;
}

bool RegDocument::setValues(std::u16string_view keyPath, const std::vector<RegEntry>& entries) {
    bool changed = findKey(keyPath) == nullptr;
    auto& key = addKey(keyPath);
    std::unordered_map<std::u16string, std::size_t> index;
    index.reserve(key.values.size() + entries.size());
    for (std::size_t i = 0; i < key.values.size(); ++i) index.try_emplace(folded(key.values[i].name), i);
    for (const auto& entry : entries) {
        const auto [it, added] = index.try_emplace(folded(entry.name), key.values.size());
        if (added) {
            key.values.push_back({entry.name, entry.value, {}});
            changed = true;
            continue;
        }
        auto& existing = key.values[it->second];
        if (existing.value.type == entry.value.type && existing.value.data == entry.value.data) continue;
        existing.value = entry.value;
        changed = true;
    }
    return changed;
}

bool isWritableName(std::u16string_view name) { return isPlainText(name); }

bool isWritableKeyPath(std::u16string_view path) {
    std::size_t start = 0;
    bool root = true;
    while (true) {
        const std::size_t end = path.find(u'\\', start);
        const auto part =
            path.substr(start, end == std::u16string_view::npos ? std::u16string_view::npos : end - start);
        if (root) {
            if (!isKnownRoot(part)) return false;
            root = false;
        } else if (part.empty() || !isPlainText(part)) {
            return false;
        }
        if (end == std::u16string_view::npos) return true;
        start = end + 1;
    }
}

std::vector<std::uint8_t> stringValueData(std::u16string_view text) {
    std::vector<std::uint8_t> data = utf16leBytes(text);
    data.push_back(0);
    data.push_back(0);
    return data;
}

RegSyntaxError::RegSyntaxError(std::string_view source, std::size_t line, std::string reason)
    : Error(std::string(source) + ", line " + std::to_string(line) + ": " + reason),
      line_(line),
      reason_(std::move(reason)) {}

RegDocument parseRegText(std::string_view bytes, std::string_view source, EmptyText empty) {
    return Parser(decodeLines(bytes, source), source).run(empty);
}

std::string serializeRegText(const RegDocument& doc) {
    std::string out = std::string(kRegHeader) + "\r\n\r\n";
    for (const auto& key : doc.keys) {
        for (const auto& c : key.comments) out += utf16ToUtf8(c) + "\r\n";
        out += "[" + utf16ToUtf8(key.path) + "]\r\n";
        for (const auto& entry : key.values) {
            for (const auto& c : entry.comments) out += utf16ToUtf8(c) + "\r\n";
            writeValue(out, entry);
        }
        out += "\r\n";
    }
    for (const auto& c : doc.trailingComments) out += utf16ToUtf8(c) + "\r\n";
    return out;
}

}  // namespace veltrane::platform
