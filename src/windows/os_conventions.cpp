// What the core takes from the operating system without a service: constants, part of the core, picked by CMake.

#include "platform/paths.h"
#include "printing/page_setup.h"

namespace veltrane::platform {
const char16_t kPathDelimiter = u'\\';
}  // namespace veltrane::platform

namespace veltrane::printing {
const std::u16string kPageSetupKeyPath = u"\\Software\\Microsoft\\Internet Explorer\\PageSetup";
}  // namespace veltrane::printing
