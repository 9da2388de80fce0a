#pragma once
// The per-user registry itself: keys under HKEY_CURRENT_USER, opened for reading and writing.

#include "platform/registry.h"

namespace veltrane::platform::win32 {

class Win32Registry final : public Registry {
public:
    // nullptr when the key is missing (open only), cannot be created, or refuses write access.
    std::unique_ptr<RegistryKey> openKey(const std::u16string& path, bool create) override;
};

}  // namespace veltrane::platform::win32
