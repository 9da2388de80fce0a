#pragma once
// The local clock on Linux, in the time zone of the environment (TZ), as every program on the desktop reads it.

#include "platform/clock.h"

namespace veltrane::platform::posix {

class PosixClock final : public Clock {
public:
    // The local date and time to the millisecond.
    LocalDateTime now() override;
};

}  // namespace veltrane::platform::posix
