#pragma once

#include <string>

namespace veltrane::printing {

// The browser's per-user page-setup key in the registry.
inline const std::u16string kPageSetupKeyPath = u"\\Software\\Microsoft\\Internet Explorer\\PageSetup";

}  // namespace veltrane::printing
