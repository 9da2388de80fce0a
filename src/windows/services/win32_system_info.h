#pragma once

#include "platform/system_info.h"

namespace veltrane::platform::win32 {

// The NetBIOS name of the workstation (GetComputerNameW).
class Win32SystemInfo final : public SystemInfo {
public:
    std::u16string computerName() override;
};

}  // namespace veltrane::platform::win32
