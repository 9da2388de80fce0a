#include "windows/services/win32_system_info.h"

#include "windows/common/wide_text.h"

namespace veltrane::platform::win32 {

std::u16string Win32SystemInfo::computerName() {
    wchar_t buffer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    // No name available gives the empty text.
    if (!GetComputerNameW(buffer, &length)) return {};
    return fromWide(buffer, length);
}

}  // namespace veltrane::platform::win32
