#include "printing/load_failure.h"

#include <cctype>

namespace veltrane::printing {

namespace {

// The engine's text without markup, blanks collapsed.
std::string plainText(const std::string& text) {
    std::string out;
    bool inTag = false, blank = false;
    for (char c : text) {
        if (c == '<') inTag = true;
        if (inTag) {
            if (c == '>') inTag = false;
            blank = !out.empty();
            continue;
        }
        if (std::isspace(static_cast<unsigned char>(c))) {
            blank = !out.empty();
            continue;
        }
        if (blank) out += ' ';
        blank = false;
        out += c;
    }
    return out;
}

std::string httpReason(int status) {
    const std::string code = " (HTTP " + std::to_string(status) + ")";
    if (status == 404 || status == 410) return "the server has no such document" + code;
    if (status == 401 || status == 403) return "the server refused access to the document" + code;
    if (status >= 500) return "the server reported an error" + code;
    return "the server answered with an error" + code;
}

std::string networkReason(int code) {
    switch (code) {
        case -102:
            return "the server refused the connection: is the practice server running, and is its address right?";
        case -105:
        case -137:
            return "the server's name could not be found: check the server address";
        case -106:
            return "this computer is not connected to the network";
        case -109:
        case -118:
        case -7:
            return "the server could not be reached in time: check the network and the server address";
        case -100:
        case -101:
        case -324:
            return "the server closed the connection without sending the document";
        case -107:
        case -113:
            return "a secure connection to the server could not be made: check the \"Server uses SSL\" setting";
        default:
            return "";
    }
}

}  // namespace

std::string describeLoadFailure(const std::string& url, LoadFailureKind kind, int code, const std::string& engineText) {
    std::string reason;
    switch (kind) {
        case LoadFailureKind::HttpStatus:
            reason = httpReason(code);
            break;
        case LoadFailureKind::Certificate:
            reason =
                "the server's security certificate was not accepted (it may be self-signed, expired or for "
                "another name)";
            break;
        case LoadFailureKind::Network:
            reason = networkReason(code);
            break;
        case LoadFailureKind::Other:
            break;
    }
    if (reason.empty()) {
        std::string text = plainText(engineText);
        // A bare engine code such as ERR_CONNECTION_REFUSED says nothing to a user.
        const bool bareCode = text.rfind("ERR_", 0) == 0 || text.rfind("net::ERR_", 0) == 0;
        if (text.empty() || bareCode) {
            reason = "the document could not be fetched from the server";
            if (code != 0) reason += " (network error " + std::to_string(code) + ")";
        } else {
            reason = text;
        }
    }
    return "The page " + url + " could not be loaded: " + reason;
}

}  // namespace veltrane::printing
