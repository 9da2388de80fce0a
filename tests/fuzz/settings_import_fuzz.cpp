// An import file comes from another machine and the settings file from disk anyone may have edited: merging
// one into the other must survive any bytes, keep every stored value the import does not bring, take every
// value it does, and write a file that reads back as the merged document.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "base/text.h"
#include "platform/common/reg_format.h"
#include "settings/settings_transfer.h"

namespace {

using veltrane::platform::RegDocument;
using veltrane::platform::RegEntry;
using veltrane::platform::RegKeyBlock;

const RegEntry* entryOf(const RegKeyBlock* key, const std::u16string& name) { return key ? key->find(name) : nullptr; }

bool sameValue(const RegEntry* a, const RegEntry& b) {
    return a != nullptr && a->value.type == b.value.type && a->value.data == b.value.data;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    // The first two bytes say where the stored file ends and the import file begins.
    const std::size_t split = (static_cast<std::size_t>(data[0]) << 8 | data[1]) % (size - 1);
    const std::string_view rest(reinterpret_cast<const char*>(data) + 2, size - 2);
    const std::string_view storedBytes = rest.substr(0, split), importBytes = rest.substr(split);
    RegDocument stored, incoming;
    try {
        stored =
            veltrane::platform::parseRegText(storedBytes, "stored", veltrane::platform::EmptyText::IsEmptyDocument);
        incoming = veltrane::platform::parseRegText(importBytes, "import");
    } catch (const veltrane::Error&) {
        return 0;
    }
    const RegKeyBlock* source = veltrane::settings::programKeyOf(incoming);
    if (!source) return 0;
    const RegDocument before = stored;
    veltrane::settings::mergeProgramKey(stored, *source);

    const std::string text = veltrane::platform::serializeRegText(stored);
    const RegDocument back = veltrane::platform::parseRegText(text, "rewritten");
    const RegKeyBlock* merged = back.findKey(source->path);
    if (!merged) std::abort();
    for (const auto& entry : source->values) {
        if (!sameValue(entryOf(merged, entry.name), entry)) std::abort();
    }
    if (const RegKeyBlock* old = before.findKey(source->path)) {
        for (const auto& entry : old->values) {
            if (source->find(entry.name) == nullptr && !sameValue(entryOf(merged, entry.name), entry)) std::abort();
        }
    }
    // A second import of the same file changes nothing.
    if (veltrane::settings::mergeProgramKey(stored, *source)) std::abort();
    return 0;
}
