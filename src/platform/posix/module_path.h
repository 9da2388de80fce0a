#pragma once

#include <string>

namespace veltrane::platform::posix {

// Where a file shipped with the program (a module or a helper program) is: the value of overrideVariable when
// it is set; else beside the running program, as in a build tree; else in the private folder the installed
// program keeps them in (bin/../lib/veltrane-client-tools). When neither holds the file, the installed place.
std::string shippedFilePath(const std::string& fileName, const char* overrideVariable);

}  // namespace veltrane::platform::posix
