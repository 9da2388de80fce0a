#pragma once
// The per-user registry itself: keys under HKEY_CURRENT_USER, opened for reading and writing.

#include "platform/registry.h"

namespace veltrane::platform::win32 {

class Win32Registry final : public Registry {
public:
    // nullptr when the key is missing (open only), cannot be created, or refuses write access.
    std::unique_ptr<RegistryKey> openKey(const std::u16string& path, bool create) override;
    // KEY_READ only, so a key the user may read but not change can still be exported.
    std::unique_ptr<RegistryKey> openKeyToRead(const std::u16string& path) override;
};

}  // namespace veltrane::platform::win32
