#include "printing/print_request.h"

#include "base/error.h"
#include "base/text.h"

namespace veltrane::printing {

namespace {

const std::u16string kSettings = u"settings";

bool isAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool isAsciiDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
char16_t asciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c; }

bool isUnreserved(char c) {
    return isAsciiLetter(static_cast<unsigned char>(c)) || isAsciiDigit(static_cast<unsigned char>(c)) || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

void checkSegment(const char* key, const std::u16string& value) {
    if (value == u"." || value == u"..") {
        throw Error("The request's " + std::string(key) + " \"" + utf16ToUtf8(value) +
                    "\" would name a page outside the practice server's documents");
    }
}

std::optional<int> portNumber(std::u16string_view text) {
    if (text.empty() || text.size() > 5) return std::nullopt;
    int port = 0;
    for (const char16_t c : text) {
        if (!isAsciiDigit(c)) return std::nullopt;
        port = port * 10 + (c - u'0');
    }
    if (port < 1 || port > 65535) return std::nullopt;
    return port;
}

// The part between "scheme://" and the path, query or fragment; browsers read a backslash as a slash.
std::u16string_view authorityOf(std::u16string_view rest) {
    return rest.substr(0, std::min(rest.find_first_of(u"/?#\\"), rest.size()));
}

std::u16string originText(const Origin& origin) {
    const bool brackets = origin.host.find(u':') != std::u16string::npos;
    return origin.scheme + u"://" + (brackets ? u"[" + origin.host + u"]" : origin.host) + u":" +
           utf8ToUtf16(std::to_string(origin.port));
}

}  // namespace

PrintRequest readPrintRequest(platform::IniReader& ini, const std::u16string& iniFileName) {
    PrintRequest request;
    request.type = ini.getString(iniFileName, kSettings, u"type", u"");
    request.patientId = ini.getString(iniFileName, kSettings, u"patient_id", u"");
    request.docsFolder = ini.getString(iniFileName, kSettings, u"docs_folder", u"veltrane_docs");
    return request;
}

std::u16string pathSegment(std::u16string_view value) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::u16string segment;
    for (const char byte : utf16ToUtf8(value)) {
        if (isUnreserved(byte)) {
            segment += static_cast<char16_t>(byte);
        } else {
            const auto b = static_cast<unsigned char>(byte);
            segment += u'%';
            segment += static_cast<char16_t>(kHex[b >> 4]);
            segment += static_cast<char16_t>(kHex[b & 0xF]);
        }
    }
    return segment;
}

std::u16string documentPath(const PrintRequest& request) {
    checkSegment("docs_folder", request.docsFolder);
    checkSegment("patient_id", request.patientId);
    // The type is followed by ".html", so it can never be a whole "." or ".." segment.
    return u"/" + pathSegment(request.docsFolder) + u"/store/" + pathSegment(request.patientId) + u"/" +
           pathSegment(request.type) + u".html";
}

void checkPracticeServer(const std::u16string& server) {
    if (server.empty()) {
        throw Error("No practice server is configured: the practice web application passes its address after -s");
    }
    const auto origin = originOf(u"http://" + server + u"/");
    if (!origin || authorityOf(server) != server) {
        throw Error("The practice server \"" + utf16ToUtf8(server) +
                    "\" is not a host name or address with an optional port");
    }
}

std::u16string documentUrl(bool ssl, const std::u16string& server, const PrintRequest& request) {
    return std::u16string(ssl ? u"https" : u"http") + u"://" + server + documentPath(request);
}

std::optional<Origin> originOf(std::u16string_view url) {
    const auto schemeEnd = url.find(u"://");
    if (schemeEnd == std::u16string_view::npos) return std::nullopt;
    Origin origin;
    for (const char16_t c : url.substr(0, schemeEnd)) origin.scheme += asciiLower(c);
    if (origin.scheme == u"http")
        origin.port = 80;
    else if (origin.scheme == u"https")
        origin.port = 443;
    else
        return std::nullopt;
    const std::u16string_view authority = authorityOf(url.substr(schemeEnd + 3));
    // Credentials in the address are never the practice server's page (and hide the real host from a reader).
    if (authority.find(u'@') != std::u16string_view::npos) return std::nullopt;
    std::u16string_view host = authority;
    std::u16string_view port;
    if (!authority.empty() && authority.front() == u'[') {
        const auto close = authority.find(u']');
        if (close == std::u16string_view::npos) return std::nullopt;
        host = authority.substr(1, close - 1);
        const std::u16string_view after = authority.substr(close + 1);
        if (!after.empty()) {
            if (after.front() != u':') return std::nullopt;
            port = after.substr(1);
        }
    } else if (const auto colon = authority.rfind(u':'); colon != std::u16string_view::npos) {
        host = authority.substr(0, colon);
        port = authority.substr(colon + 1);
        if (host.find(u':') != std::u16string_view::npos) return std::nullopt;
    }
    if (host.empty()) return std::nullopt;
    for (const char16_t c : host) {
        // Blanks and control characters make a host that the engine would read differently, or not at all.
        if (c <= u' ' || c == 0x7F || c == u'%') return std::nullopt;
        origin.host += asciiLower(c);
    }
    // "host:" is the default port, as in browsers.
    if (!port.empty()) {
        const auto number = portNumber(port);
        if (!number) return std::nullopt;
        origin.port = *number;
    }
    return origin;
}

bool sameOrigin(std::u16string_view url, std::u16string_view documentUrl) {
    const auto allowed = originOf(documentUrl);
    const auto origin = originOf(url);
    return allowed && origin && *origin == *allowed;
}

std::string describeRefusedPage(std::u16string_view url, std::u16string_view documentUrl) {
    const auto allowed = originOf(documentUrl);
    const std::string server = allowed ? utf16ToUtf8(originText(*allowed)) : utf16ToUtf8(documentUrl);
    return "The page " + utf16ToUtf8(url) +
           " was not loaded and nothing was printed: it is not on the practice server " + server;
}

}  // namespace veltrane::printing
