// The settings file and import files are read from disk that anyone may have edited: the parser must survive
// any bytes, and whatever it accepts must be written back so that it reads as the same document.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/common/reg_format.h"

namespace {

using veltrane::platform::RegDocument;

bool sameDocument(const RegDocument& a, const RegDocument& b) {
    if (a.keys.size() != b.keys.size() || a.trailingComments != b.trailingComments) return false;
    for (std::size_t k = 0; k < a.keys.size(); ++k) {
        const auto& ka = a.keys[k];
        const auto& kb = b.keys[k];
        if (ka.path != kb.path || ka.comments != kb.comments || ka.values.size() != kb.values.size()) return false;
        for (std::size_t v = 0; v < ka.values.size(); ++v) {
            const auto& va = ka.values[v];
            const auto& vb = kb.values[v];
            if (va.name != vb.name || va.comments != vb.comments || va.value.type != vb.value.type ||
                va.value.data != vb.value.data) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    RegDocument doc;
    try {
        doc = veltrane::platform::parseRegText(bytes, "fuzz", veltrane::platform::EmptyText::IsEmptyDocument);
    } catch (const veltrane::Error&) {
        return 0;
    }
    const std::string text = veltrane::platform::serializeRegText(doc);
    // The writer's own output must always parse; an exception here escapes and is reported as a crash.
    const RegDocument back = veltrane::platform::parseRegText(text, "rewritten");
    if (!sameDocument(doc, back) || veltrane::platform::serializeRegText(back) != text) std::abort();
    return 0;
}
