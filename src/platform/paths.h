#pragma once

namespace veltrane::platform {

// The platform's path delimiter, wherever a folder location ends with one or a file name is appended. Each
// program defines it for its operating system (os_conventions.cpp in its folder).
extern const char16_t kPathDelimiter;

}  // namespace veltrane::platform
