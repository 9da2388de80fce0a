#include "linux/posix/posix_system_info.h"

#include <limits.h>
#include <unistd.h>

#include "base/text.h"

namespace veltrane::platform::posix {

std::u16string computerNameFromHostName(std::string_view hostName) { return netbiosName(utf8ToUtf16(hostName)); }

std::u16string PosixSystemInfo::computerName() {
    char buffer[HOST_NAME_MAX + 1] = {};
    // No name available gives the empty text, as a zero length does on Windows.
    if (::gethostname(buffer, sizeof buffer - 1) != 0) return {};
    return computerNameFromHostName(buffer);
}

}  // namespace veltrane::platform::posix
