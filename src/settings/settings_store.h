#pragma once
// The per-user settings key "\Software\Veltrane": every operation opens the key, reads or writes, and closes it.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/registry.h"

namespace veltrane::settings {

inline const std::u16string kSettingsKeyPath = u"\\Software\\Veltrane";

// The text of a registry value as readSetting returns it: absent or empty gives the empty text, string and
// expandable string give their text up to the first zero character (unexpanded); any other type throws
// "Invalid data type for '<name>'".
std::u16string valueText(const std::optional<platform::RegValue>& value, const std::u16string& name);

// A key opened without creating it, held by one operation (start-up, the imaging selection, a bridge run).
class OpenSettingsKey {
public:
    explicit OpenSettingsKey(std::unique_ptr<platform::RegistryKey> key) : key_(std::move(key)) {}
    // Absent reads as the empty text; a non-text value throws.
    std::u16string read(const std::u16string& name);
    // Whether the value exists at all, of any type, also empty.
    bool has(const std::u16string& name) { return key_->queryValue(name).has_value(); }
    // Writes a plain string; a refused write throws "Failed to set data for '<name>'".
    void write(const std::u16string& name, const std::u16string& value);

private:
    std::unique_ptr<platform::RegistryKey> key_;
};

class SettingsStore {
public:
    explicit SettingsStore(platform::Registry& registry, std::u16string keyPath = kSettingsKeyPath)
        : registry_(registry), keyPath_(std::move(keyPath)) {}

    // Opens the key with creation; a key that cannot be opened or created reads as the empty text.
    std::u16string readSetting(const std::u16string& name);
    // Opens the key with creation; when it cannot be opened or created, nothing is written or reported.
    void writeSetting(const std::u16string& name, const std::u16string& value);
    // Open-only access: nullopt when the key does not exist or cannot be opened.
    std::optional<OpenSettingsKey> openExisting();

private:
    platform::Registry& registry_;
    std::u16string keyPath_;
};

// Numbers in the user's format (sign, digits, decimalSeparator, exponent) are true unless zero; otherwise
// "True"/"False" in any letter case, and the empty text is false. Anything else throws
// "'<text>' is not a valid boolean value".
bool settingToBool(std::u16string_view text, char16_t decimalSeparator);
std::u16string boolToSetting(bool value);

}  // namespace veltrane::settings
