#include "app/request_link.h"

#include <algorithm>
#include <array>
#include <set>
#include <vector>

#include "base/error.h"
#include "base/text.h"
#include "imaging/catalogue.h"

namespace veltrane::app {

namespace {

// The [settings] keys a request reads besides its action (print: type, patient_id, docs_folder; images: the
// patient record).
constexpr std::array<std::string_view, 8> kSettingsKeys = {"type",     "patient_id", "docs_folder", "forenames",
                                                           "surname",  "dob",        "gender",      "title"};
constexpr std::string_view kImagingPrefix = "imaging.";

[[noreturn]] void refuse(const std::string& why) { throw Error("The link cannot be used: " + why); }

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = lower(c);
    return out;
}

bool startsWithIgnoreCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && lowered(text.substr(0, prefix.size())) == prefix;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = lower(c);
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Percent-decoding; false for a % not followed by two hex digits.
bool percentDecode(std::string_view text, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        const int high = i + 1 < text.size() ? hexValue(text[i + 1]) : -1;
        const int low = i + 2 < text.size() ? hexValue(text[i + 2]) : -1;
        if (high < 0 || low < 0) return false;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

// A character that ends an ini line in some reader, or that no name, date or id holds: C0 and C1 controls
// (tab, CR, LF, NUL among them), DEL, and the Unicode line and paragraph separators.
bool breaksTheLine(char16_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029;
}

// The decoded value as text, or a refusal naming the key.
std::u16string valueText(std::string_view raw, const std::string& key) {
    std::string bytes;
    if (!percentDecode(raw, bytes)) refuse("the value of " + key + " holds a % that is not followed by two hex digits");
    std::u16string value;
    if (!utf8ToUtf16Strict(bytes, value)) refuse("the value of " + key + " is not UTF-8 text");
    for (const char16_t c : value) {
        if (breaksTheLine(c)) refuse("the value of " + key + " holds a line break or another control character");
    }
    return value;
}

// Keys a link may never carry: the addresses start-up takes from the command line (-s, -c), and the request
// file itself (-x).
bool namesAnAddress(const std::string& key) {
    std::string bare = key;
    while (!bare.empty() && (bare.front() == '-' || bare.front() == '/')) bare.erase(bare.begin());
    return bare == "s" || bare == "c" || bare == "x" || bare == "ip" || bare == "host" ||
           bare.find("server") != std::string::npos || bare.find("client") != std::string::npos ||
           bare.find("address") != std::string::npos;
}

const imaging::ImagingSystem* imagingSystemNamed(std::string_view name) {
    std::u16string wanted;
    if (!utf8ToUtf16Strict(name, wanted)) return nullptr;
    for (const auto& system : imaging::kCatalogue) {
        if (equalsIgnoreCase(system.shortName, wanted)) return &system;
    }
    return nullptr;
}

}  // namespace

bool isRequestLink(std::string_view arg) {
    return arg.size() > kLinkScheme.size() && startsWithIgnoreCase(arg, kLinkScheme) && arg[kLinkScheme.size()] == ':';
}

std::u16string requestFromLink(std::string_view link) {
    if (link.size() > kMaxLinkBytes) refuse("it is longer than 8 KiB");
    if (!isRequestLink(link)) refuse("it does not start with " + std::string(kLinkScheme) + ":");
    std::string_view rest = link.substr(kLinkScheme.size() + 1);
    if (rest.find('#') != std::string_view::npos) refuse("it holds a # part, which a request has no use for");
    // Some browsers pass the link as scheme://action/?query; both spellings mean the same request.
    if (rest.substr(0, 2) == "//") rest.remove_prefix(2);
    const std::size_t question = rest.find('?');
    std::string_view actionPart = rest.substr(0, question);
    const std::string_view query = question == std::string_view::npos ? std::string_view{} : rest.substr(question + 1);
    if (!actionPart.empty() && actionPart.back() == '/') actionPart.remove_suffix(1);

    std::string action;
    if (!percentDecode(actionPart, action)) refuse("its action holds a % that is not followed by two hex digits");
    action = lowered(action);
    if (action != "images" && action != "print") {
        refuse(action.empty() ? "it names no action (images or print)"
                              : "its action is neither images nor print");
    }

    std::u16string settings = u"[settings]\r\naction=" + utf8ToUtf16(action) + u"\r\n";
    std::u16string imagingSection;
    std::set<std::string> seen;
    for (std::size_t start = 0; start < query.size();) {
        const std::size_t end = std::min(query.find('&', start), query.size());
        const std::string_view pair = query.substr(start, end - start);
        start = end + 1;
        if (pair.empty()) continue;  // "a=1&&b=2", a trailing "&"
        const std::size_t equals = pair.find('=');
        std::string key;
        if (!percentDecode(pair.substr(0, equals), key)) refuse("a key holds a % that is not followed by two hex digits");
        key = lowered(key);
        // Shown in messages, so only its plain characters.
        std::string shownKey;
        for (const char c : key) shownKey += (c > 0x20 && c < 0x7F) ? c : '?';
        if (shownKey.size() > 40) shownKey = shownKey.substr(0, 40) + "...";
        if (namesAnAddress(key)) refuse("it may not set the practice server, the workstation or the request file (" + shownKey + ")");
        if (equals == std::string_view::npos) refuse("the key " + shownKey + " has no value (write " + shownKey + "=)");
        if (key == "action") refuse("the action is the part before ?, not a key");
        // The request reader takes the first of two equal keys; a link saying both is refused instead.
        if (!seen.insert(key).second) refuse("the key " + shownKey + " is given twice");
        const std::u16string value = valueText(pair.substr(equals + 1), shownKey);

        if (key.starts_with(kImagingPrefix)) {
            const auto* system = imagingSystemNamed(std::string_view(key).substr(kImagingPrefix.size()));
            if (!system) refuse("the key " + shownKey + " names no imaging system this program knows");
            imagingSection += std::u16string(system->shortName) + u"=" + value + u"\r\n";
        } else if (std::find(kSettingsKeys.begin(), kSettingsKeys.end(), key) != kSettingsKeys.end()) {
            settings += utf8ToUtf16(key) + u"=" + value + u"\r\n";
        } else {
            refuse("the key " + shownKey + " is not a request key");
        }
    }
    return imagingSection.empty() ? settings : settings + u"[imaging]\r\n" + imagingSection;
}

std::string requestFileBytes(std::u16string_view text) {
    const std::vector<std::uint8_t> units = utf16leBytes(text);
    return "\xFF\xFE" + std::string(units.begin(), units.end());
}

std::optional<std::string> requestFileArgument(std::string_view arg) {
    if (arg.size() <= kRequestFileExtension.size() || arg.front() == '-' || arg.find('\0') != std::string_view::npos)
        return std::nullopt;
    if (lowered(arg.substr(arg.size() - kRequestFileExtension.size())) != kRequestFileExtension) return std::nullopt;
    if (!startsWithIgnoreCase(arg, "file:")) return std::string(arg);
    // file:///path or file://localhost/path; a file on another host is not ours to open.
    std::string_view rest = arg.substr(5);
    if (rest.substr(0, 2) != "//") return std::nullopt;
    rest.remove_prefix(2);
    if (startsWithIgnoreCase(rest, "localhost/")) rest.remove_prefix(9);
    if (rest.empty() || rest.front() != '/') return std::nullopt;
    std::string path;
    if (!percentDecode(rest, path) || path.find('\0') != std::string::npos) return std::nullopt;
    // file:///C:/folder/x names the Windows path C:/folder/x.
    if (path.size() > 3 && path[2] == ':' && path[3] == '/' &&
        ((path[1] >= 'A' && path[1] <= 'Z') || (path[1] >= 'a' && path[1] <= 'z'))) {
        path.erase(0, 1);
    }
    return path;
}

}  // namespace veltrane::app
