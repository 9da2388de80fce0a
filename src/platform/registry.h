#pragma once
// The per-user registry hive: the settings key and the browser's page-setup key live here.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace veltrane::platform {

// Value types with the registry's numbering, so stored files from Windows keep their meaning.
enum class RegType : std::uint32_t {
    None = 0,
    Sz = 1,
    ExpandSz = 2,
    Binary = 3,
    Dword = 4,
    DwordBigEndian = 5,
    Link = 6,
    MultiSz = 7,
    ResourceList = 8,
    FullResourceDescriptor = 9,
    ResourceRequirementsList = 10,
    Qword = 11,
};

// A value as the registry hands it out: text types carry UTF-16LE bytes, usually with their terminating zero.
struct RegValue {
    RegType type = RegType::None;
    std::vector<std::uint8_t> data;
};

struct RegNamedValue {
    std::u16string name;
    RegValue value;
};

// An open key. Closing it is destroying it.
class RegistryKey {
public:
    virtual ~RegistryKey() = default;
    // nullopt when the value is absent. Throws veltrane::Error when the store cannot be read.
    virtual std::optional<RegValue> queryValue(const std::u16string& name) = 0;
    // Creates or replaces a plain string value; false when the write is refused.
    virtual bool setStringValue(const std::u16string& name, const std::u16string& value) = 0;
    // The names of the key's values, in the store's order. Throws veltrane::Error when the store cannot be read.
    virtual std::vector<std::u16string> valueNames() = 0;
    // Creates or replaces values of any type, in order. Throws veltrane::Error with the reason when the store
    // refuses one; the key is then as it was before the call.
    virtual void setValues(const std::vector<RegNamedValue>& values) = 0;
};

class Registry {
public:
    virtual ~Registry() = default;
    // path is relative to HKEY_CURRENT_USER, e.g. u"\\Software\\Veltrane". Returns nullptr when the key cannot
    // be opened (or, with create, cannot be created). Throws veltrane::Error when the store is unreadable.
    virtual std::unique_ptr<RegistryKey> openKey(const std::u16string& path, bool create) = 0;
    // Opens an existing key for reading only, so a key the user may not change can still be read (as an export
    // does); nullptr when it does not exist. Where access makes no difference this is openKey without create.
    virtual std::unique_ptr<RegistryKey> openKeyToRead(const std::u16string& path) { return openKey(path, false); }
};

}  // namespace veltrane::platform
