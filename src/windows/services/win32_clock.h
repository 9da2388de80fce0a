#pragma once

#include "platform/clock.h"

namespace veltrane::platform::win32 {

// The local date and time as the system keeps it.
class Win32Clock final : public Clock {
public:
    LocalDateTime now() override;
};

}  // namespace veltrane::platform::win32
