#include "settings/settings_store.h"

#include <algorithm>

#include "base/error.h"
#include "base/text.h"

namespace veltrane::settings {

using platform::RegType;

std::u16string valueText(const std::optional<platform::RegValue>& value, const std::u16string& name) {
    if (!value || value->data.empty()) return {};
    if (value->type != RegType::Sz && value->type != RegType::ExpandSz) {
        throw Error(formatMessage(messages::kInvalidDataType, utf16ToUtf8(name)));
    }
    std::u16string text = utf16leText(value->data);
    text.resize(std::min(text.size(), text.find(u'\0')));
    return text;
}

std::u16string OpenSettingsKey::read(const std::u16string& name) { return valueText(key_->queryValue(name), name); }

void OpenSettingsKey::write(const std::u16string& name, const std::u16string& value) {
    if (!key_->setStringValue(name, value)) {
        throw Error(formatMessage(messages::kFailedToSetData, utf16ToUtf8(name)));
    }
}

std::u16string SettingsStore::readSetting(const std::u16string& name) {
    auto key = registry_.openKey(keyPath_, /*create=*/true);
    if (!key) return {};
    return OpenSettingsKey(std::move(key)).read(name);
}

void SettingsStore::writeSetting(const std::u16string& name, const std::u16string& value) {
    auto key = registry_.openKey(keyPath_, /*create=*/true);
    if (!key) return;
    OpenSettingsKey(std::move(key)).write(name, value);
}

std::optional<OpenSettingsKey> SettingsStore::openExisting() {
    auto key = registry_.openKey(keyPath_, /*create=*/false);
    if (!key) return std::nullopt;
    return OpenSettingsKey(std::move(key));
}

namespace {

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Parses [sign] digits [sep digits] [e|E [sign] digits], with digits required before or after the separator.
// Returns nullopt when the text is not a number; otherwise whether it is non-zero.
std::optional<bool> numberIsNonZero(std::u16string_view t, char16_t sep) {
    // Blanks around the number are allowed, as the platform's float conversion allows them.
    while (!t.empty() && t.front() == u' ') t.remove_prefix(1);
    while (!t.empty() && t.back() == u' ') t.remove_suffix(1);
    std::size_t i = 0;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) ++i;
    bool digits = false;
    bool nonZero = false;
    while (i < t.size() && isDigit(t[i])) {
        digits = true;
        nonZero |= t[i] != u'0';
        ++i;
    }
    if (i < t.size() && t[i] == sep) {
        ++i;
        while (i < t.size() && isDigit(t[i])) {
            digits = true;
            nonZero |= t[i] != u'0';
            ++i;
        }
    }
    if (!digits) return std::nullopt;
    if (i < t.size() && (t[i] == u'e' || t[i] == u'E')) {
        ++i;
        if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) ++i;
        bool expDigits = false;
        while (i < t.size() && isDigit(t[i])) {
            expDigits = true;
            ++i;
        }
        if (!expDigits) return std::nullopt;
    }
    if (i != t.size()) return std::nullopt;
    return nonZero;
}

}  // namespace

bool settingToBool(std::u16string_view text, char16_t decimalSeparator) {
    if (auto number = numberIsNonZero(text, decimalSeparator)) return *number;
    if (equalsIgnoreCase(text, u"True")) return true;
    if (text.empty() || equalsIgnoreCase(text, u"False")) return false;
    throw Error(formatMessage(messages::kInvalidBoolean, utf16ToUtf8(text)));
}

std::u16string boolToSetting(bool value) { return value ? u"True" : u"False"; }

}  // namespace veltrane::settings
