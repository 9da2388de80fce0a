// Any text as request values and as addresses the engine reports: the page's address must stay on the practice
// server, and the origin rule must neither crash nor let an address through that it cannot read.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/error.h"
#include "printing/print_request.h"

using veltrane::printing::documentUrl;
using veltrane::printing::Origin;
using veltrane::printing::originOf;
using veltrane::printing::pathSegment;
using veltrane::printing::PrintRequest;
using veltrane::printing::sameOrigin;

namespace {

bool isSegmentCharacter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-' || c == u'.' ||
           c == u'_' || c == u'~' || c == u'%';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Pairs of bytes as UTF-16 code units, lone surrogates included; a zero unit separates the values.
    std::u16string text;
    for (std::size_t i = 0; i + 1 < size; i += 2) text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    std::u16string parts[3];
    std::size_t part = 0;
    for (const char16_t c : text) {
        if (c == 0 && part < 2)
            ++part;
        else
            parts[part] += c;
    }

    for (const auto& value : parts) {
        for (const char16_t c : pathSegment(value)) {
            if (!isSegmentCharacter(c)) std::abort();
        }
    }
    const PrintRequest request{parts[0], parts[1], parts[2]};
    try {
        const std::u16string url = documentUrl(false, u"srv:8080", request);
        if (!sameOrigin(url, u"http://srv:8080/")) std::abort();
        if (originOf(url) != Origin{u"http", u"srv", 8080}) std::abort();
    } catch (const veltrane::Error&) {
        // "." and ".." are refused, and only they.
        if (parts[1] != u"." && parts[1] != u".." && parts[2] != u"." && parts[2] != u"..") std::abort();
    }

    // The whole text as an address the engine reports: allowed only when its own origin is the document's.
    const auto origin = originOf(text);
    if (sameOrigin(text, text) != origin.has_value()) std::abort();
    if (sameOrigin(text, u"http://srv:8080/x") && origin != Origin{u"http", u"srv", 8080}) std::abort();
    return 0;
}
