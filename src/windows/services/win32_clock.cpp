#include "windows/services/win32_clock.h"

#include <windows.h>

namespace veltrane::platform::win32 {

LocalDateTime Win32Clock::now() {
    SYSTEMTIME time{};
    GetLocalTime(&time);
    return LocalDateTime{time.wYear,   time.wMonth,  time.wDay,         time.wHour,
                         time.wMinute, time.wSecond, time.wMilliseconds};
}

}  // namespace veltrane::platform::win32
