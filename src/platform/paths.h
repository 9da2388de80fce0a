#pragma once

namespace veltrane::platform {

// The platform's path delimiter, wherever a folder location ends with one or a file name is appended.
#ifdef _WIN32
inline constexpr char16_t kPathDelimiter = u'\\';
#else
inline constexpr char16_t kPathDelimiter = u'/';
#endif

}  // namespace veltrane::platform
