#pragma once

#include <string>

namespace veltrane::printing {

// The browser's per-user page-setup key. Windows keeps it where its browser engine reads it; Qt WebEngine keeps
// no page setup of its own, so on Linux it sits in the program's settings file under a key of its own, and the
// print reads it from there.
#ifdef _WIN32
inline const std::u16string kPageSetupKeyPath = u"\\Software\\Microsoft\\Internet Explorer\\PageSetup";
#else
inline const std::u16string kPageSetupKeyPath = u"\\Software\\Veltrane\\PageSetup";
#endif

}  // namespace veltrane::printing
