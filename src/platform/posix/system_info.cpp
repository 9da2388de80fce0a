#include "platform/posix/system_info.h"

#include <limits.h>
#include <unistd.h>

#include "base/text.h"

namespace veltrane::platform::posix {

namespace {

constexpr std::size_t kNetBiosNameLength = 15;

}  // namespace

std::u16string computerNameFromHostName(std::string_view hostName) {
    std::string name(hostName.substr(0, hostName.find('.')));
    for (char& c : name) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    std::u16string wide = utf8ToUtf16(name);
    if (wide.size() > kNetBiosNameLength) wide.resize(kNetBiosNameLength);
    return wide;
}

std::u16string PosixSystemInfo::computerName() {
    char buffer[HOST_NAME_MAX + 1] = {};
    // No name available gives the empty text, as a zero length does on Windows.
    if (::gethostname(buffer, sizeof buffer - 1) != 0) return {};
    return computerNameFromHostName(buffer);
}

}  // namespace veltrane::platform::posix
