// Any bytes as a link or a browser's argument: a link is either refused with Error or becomes a request whose
// every line is a section header of ours or a key of ours, so no value can add a line, a section or an address.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/request_link.h"
#include "base/error.h"
#include "base/text.h"

using namespace veltrane;

namespace {

bool startsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

bool isOurLine(const std::string& line, bool inImaging) {
    if (line == "[settings]" || line == "[imaging]") return true;
    const auto equals = line.find('=');
    if (equals == std::string::npos) return false;
    const std::string key = line.substr(0, equals);
    if (key.find("server") != std::string::npos || key.find("client") != std::string::npos) return false;
    if (inImaging) return key.find('[') == std::string::npos && !key.empty();
    static const char* const kKeys[] = {"action", "type", "patient_id", "docs_folder", "forenames",
                                        "surname", "dob",  "gender",     "title"};
    for (const char* known : kKeys) {
        if (key == known) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    for (const std::string& link : {input, "veltrane-client-tools:images?" + input, "veltrane-client-tools:" + input}) {
        std::u16string request;
        try {
            request = app::requestFromLink(link);
        } catch (const Error&) {
            continue;
        }
        if (link.size() > app::kMaxLinkBytes) std::abort();
        const std::string text = utf16ToUtf8(request);
        if (!startsWith(text, "[settings]\r\naction=")) std::abort();
        bool inImaging = false;
        std::size_t start = 0;
        while (start < text.size()) {
            const auto end = text.find("\r\n", start);
            if (end == std::string::npos) std::abort();  // every line ends with CR LF
            const std::string line = text.substr(start, end - start);
            if (line.find('\r') != std::string::npos || line.find('\n') != std::string::npos) std::abort();
            if (line == "[imaging]") inImaging = true;
            if (!isOurLine(line, inImaging)) std::abort();
            start = end + 2;
        }
        // The file's bytes carry every unit: a BOM and two bytes each.
        if (app::requestFileBytes(request).size() != 2 + 2 * request.size()) std::abort();
    }
    const auto path = app::requestFileArgument(input);
    if (path && path->find('\0') != std::string::npos) std::abort();
    return 0;
}
