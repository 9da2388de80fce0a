#pragma once

#include <string>
#include <string_view>

#include "platform/system_info.h"

namespace veltrane::platform::posix {

// The computer name as a Windows workstation reports it: the host name up to its first dot, in upper case
// (ASCII letters), at most 15 characters like a NetBIOS name; imaging programs compare it with the names
// they know from Windows machines.
class PosixSystemInfo final : public SystemInfo {
public:
    std::u16string computerName() override;
};

// The computer name for a host name ("ws01.practice.lan" -> "WS01").
std::u16string computerNameFromHostName(std::string_view hostName);

}  // namespace veltrane::platform::posix
