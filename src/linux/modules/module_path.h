#pragma once

#include <string>

namespace veltrane::platform::modules {

// The full path of the running program (/proc/self/exe), or argv0 when it cannot be read.
std::string executablePath(const std::string& argv0);

// Where a file shipped with the program (a module or a helper program) is: the value of overrideVariable when
// it is set; else beside the running program, as in a build tree; else in the private folder the installed
// program keeps them in (bin/../lib/veltrane-client-tools). When neither holds the file, the installed place.
std::string shippedFilePath(const std::string& fileName, const char* overrideVariable);

}  // namespace veltrane::platform::modules
