#pragma once

#include <string>

namespace veltrane::platform::win32 {

// The system's own description of a GetLastError code (UTF-8, without its line end); "error <code>" when the
// system has none.
std::string systemMessage(unsigned long error);

}  // namespace veltrane::platform::win32
