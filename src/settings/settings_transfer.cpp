#include "settings/settings_transfer.h"

#include "base/error.h"
#include "base/text.h"
#include "settings/program_settings.h"
#include "settings/settings_store.h"

namespace veltrane::settings {

using platform::parseRegText;
using platform::serializeRegText;

std::u16string programKeyFilePath() { return u"HKEY_CURRENT_USER" + kSettingsKeyPath; }

std::string utf16LeWithBom(std::string_view utf8) {
    const std::u16string text = utf8ToUtf16(utf8);
    std::string out = "\xFF\xFE";
    out.reserve(2 + text.size() * 2);
    for (const char16_t c : text) {
        out.push_back(static_cast<char>(c & 0xFF));
        out.push_back(static_cast<char>(c >> 8));
    }
    return out;
}

const RegKeyBlock* programKeyOf(const RegDocument& incoming) {
    const std::u16string path = programKeyFilePath();
    for (const auto& key : incoming.keys) {
        if (equalsIgnoreCase(key.path, path)) return &key;
    }
    return nullptr;
}

void requireReadableValues(const RegKeyBlock& source, const std::string& fileLabel) {
    using platform::RegType;
    for (const auto& entry : source.values) {
        const auto& value = entry.value;
        // An empty value reads as the empty text, whatever its type.
        if (value.data.empty() || value.type == RegType::Sz || value.type == RegType::ExpandSz) continue;
        if (!programReadsSetting(entry.name)) continue;
        const std::string type = value.type == RegType::Dword ? "dword:"
                                 : value.type == RegType::Binary
                                     ? "hex:"
                                     : "hex(" + std::to_string(static_cast<int>(value.type)) + "):";
        throw Error(fileLabel + ", line " + std::to_string(entry.line) + ": \"" + utf16ToUtf8(entry.name) + "\" is " +
                    type + " but the program reads it only as text (\"...\"); nothing was imported");
    }
}

bool mergeProgramKey(RegDocument& stored, const RegKeyBlock& source) {
    return stored.setValues(programKeyFilePath(), source.values);
}

std::string exportSettingsText(platform::Registry& registry, RegFileEncoding encoding) {
    RegKeyBlock block{programKeyFilePath(), {}, {}};
    if (auto key = registry.openKeyToRead(kSettingsKeyPath)) {
        for (const auto& name : key->valueNames()) {
            // A value removed by another program between listing and reading is simply not exported.
            if (auto value = key->queryValue(name)) block.values.push_back({name, std::move(*value), {}});
        }
    }
    RegDocument out;
    out.keys.push_back(std::move(block));
    const std::string text = serializeRegText(out);
    return encoding == RegFileEncoding::Utf16LeBom ? utf16LeWithBom(text) : text;
}

ImportSummary importSettingsText(platform::Registry& registry, std::string_view bytes, const std::string& fileLabel,
                                 const std::string& inPath, const std::string& storeLabel, std::ostream& notes) {
    // Every line is checked here, before the registry is touched.
    const RegDocument incoming = parseRegText(bytes, fileLabel);

    const std::u16string path = programKeyFilePath();
    ImportSummary summary;
    const RegKeyBlock* source = nullptr;
    for (const auto& key : incoming.keys) {
        if (equalsIgnoreCase(key.path, path)) {
            source = &key;
        } else {
            summary.ignoredKeys.push_back(utf16ToUtf8(key.path));
            notes << "Ignored [" << summary.ignoredKeys.back() << "] in " << inPath << ": only [" << utf16ToUtf8(path)
                  << "] is imported\n";
        }
    }
    if (!source) throw Error(fileLabel + " has no [" + utf16ToUtf8(path) + "] key; nothing was imported");
    requireReadableValues(*source, fileLabel);

    auto key = registry.openKey(kSettingsKeyPath, /*create=*/true);
    if (!key) throw Error(storeLabel + " cannot be written; nothing was imported");
    std::vector<platform::RegNamedValue> values;
    values.reserve(source->values.size());
    for (const auto& entry : source->values) values.push_back({entry.name, entry.value});
    try {
        key->setValues(values);
    } catch (const Error& e) {
        throw Error(std::string(e.what()) + "; nothing was imported");
    }
    summary.valuesImported = source->values.size();
    return summary;
}

}  // namespace veltrane::settings
