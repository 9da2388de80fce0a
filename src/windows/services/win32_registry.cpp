#include "windows/services/win32_registry.h"

#include "base/error.h"
#include "base/text.h"
#include "windows/common/system_message.h"
#include "windows/common/wide_text.h"

namespace veltrane::platform::win32 {

namespace {

class Win32RegistryKey final : public RegistryKey {
public:
    explicit Win32RegistryKey(HKEY key) : key_(key) {}
    ~Win32RegistryKey() override { RegCloseKey(key_); }
    Win32RegistryKey(const Win32RegistryKey&) = delete;
    Win32RegistryKey& operator=(const Win32RegistryKey&) = delete;

    std::optional<RegValue> queryValue(const std::u16string& name) override {
        // A name with a zero in it would read another value; no such value can exist.
        if (holdsZero(name)) return std::nullopt;
        RegValue value;
        DWORD size = 0;
        // The value may grow between asking its size and reading it: ask again until it fits.
        for (int attempt = 0; attempt < 8; ++attempt) {
            DWORD type = REG_NONE;
            const LONG sized = RegQueryValueExW(key_, wide(name), nullptr, &type, nullptr, &size);
            if (sized == ERROR_FILE_NOT_FOUND) return std::nullopt;
            if (sized != ERROR_SUCCESS) break;
            value.data.resize(size);
            DWORD read = size;
            const LONG result = RegQueryValueExW(key_, wide(name), nullptr, &type,
                                                 value.data.empty() ? nullptr : value.data.data(), &read);
            if (result == ERROR_MORE_DATA) {
                size = read;
                continue;
            }
            if (result == ERROR_FILE_NOT_FOUND) return std::nullopt;
            if (result != ERROR_SUCCESS) break;
            value.data.resize(read);
            value.type = static_cast<RegType>(type);
            return value;
        }
        throw Error(formatMessage(messages::kFailedToGetData, utf16ToUtf8(name)));
    }

    bool setStringValue(const std::u16string& name, const std::u16string& value) override {
        if (holdsZero(name)) return false;
        // The stored text carries its terminating zero, as every program writing REG_SZ stores it.
        const std::size_t bytes = (value.size() + 1) * sizeof(char16_t);
        if (bytes > 0xFFFFFFFFu) return false;
        return RegSetValueExW(key_, wide(name), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                              static_cast<DWORD>(bytes)) == ERROR_SUCCESS;
    }

    std::vector<std::u16string> valueNames() override {
        DWORD count = 0, longest = 0;
        LONG result = RegQueryInfoKeyW(key_, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longest,
                                       nullptr, nullptr, nullptr);
        if (result != ERROR_SUCCESS)
            throw Error("The registry key cannot be listed: " + systemMessage(static_cast<unsigned long>(result)));
        std::vector<std::u16string> names;
        std::wstring buffer;
        for (DWORD index = 0;; ++index) {
            // Another program may add a longer name meanwhile: grow the buffer and ask for the same index again.
            buffer.resize(static_cast<std::size_t>(longest) + 1);
            DWORD length = static_cast<DWORD>(buffer.size());
            result = RegEnumValueW(key_, index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
            if (result == ERROR_NO_MORE_ITEMS) break;
            if (result == ERROR_MORE_DATA) {
                longest = longest * 2 + 256;
                --index;
                continue;
            }
            if (result != ERROR_SUCCESS)
                throw Error("The registry key cannot be listed: " + systemMessage(static_cast<unsigned long>(result)));
            names.push_back(fromWide(buffer.data(), length));
        }
        return names;
    }

    // The registry has no transaction to group the writes, so a refused write puts back what this call wrote
    // before it: the key then holds none of the values.
    void setValues(const std::vector<RegNamedValue>& values) override {
        for (const auto& v : values) {
            if (holdsZero(v.name) || v.value.data.size() > 0xFFFFFFFFu)
                throw Error("The registry cannot hold the value \"" + utf16ToUtf8(v.name) + "\"");
        }
        std::vector<std::pair<std::u16string, std::optional<RegValue>>> before;
        for (const auto& v : values) {
            before.emplace_back(v.name, queryValue(v.name));
            const LONG result = write(v.name, v.value);
            if (result != ERROR_SUCCESS) {
                for (auto it = before.rbegin(); it != before.rend(); ++it) {
                    if (it->second)
                        write(it->first, *it->second);
                    else
                        RegDeleteValueW(key_, wide(it->first));
                }
                throw Error("The registry value \"" + utf16ToUtf8(v.name) +
                            "\" cannot be written: " + systemMessage(static_cast<unsigned long>(result)));
            }
        }
    }

private:
    LONG write(const std::u16string& name, const RegValue& value) {
        return RegSetValueExW(key_, wide(name), 0, static_cast<DWORD>(value.type),
                              value.data.empty() ? nullptr : value.data.data(), static_cast<DWORD>(value.data.size()));
    }

    HKEY key_;
};

}  // namespace

namespace {

// The core names keys from the hive's root ("\Software\Veltrane"); Win32 wants them without that "\".
std::u16string subKeyOf(const std::u16string& path) {
    std::u16string subKey = path;
    while (!subKey.empty() && subKey.front() == u'\\') subKey.erase(0, 1);
    return subKey;
}

}  // namespace

std::unique_ptr<RegistryKey> Win32Registry::openKeyToRead(const std::u16string& path) {
    const std::u16string subKey = subKeyOf(path);
    if (holdsZero(subKey)) return nullptr;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, wide(subKey), 0, KEY_READ, &key) != ERROR_SUCCESS) return nullptr;
    return std::make_unique<Win32RegistryKey>(key);
}

std::unique_ptr<RegistryKey> Win32Registry::openKey(const std::u16string& path, bool create) {
    const std::u16string subKey = subKeyOf(path);
    if (holdsZero(subKey)) return nullptr;
    HKEY key = nullptr;
    const REGSAM access = KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS;
    const LONG result = create ? RegCreateKeyExW(HKEY_CURRENT_USER, wide(subKey), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                                 access, nullptr, &key, nullptr)
                               : RegOpenKeyExW(HKEY_CURRENT_USER, wide(subKey), 0, access, &key);
    if (result != ERROR_SUCCESS) return nullptr;
    return std::make_unique<Win32RegistryKey>(key);
}

}  // namespace veltrane::platform::win32
