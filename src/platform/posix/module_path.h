#pragma once

#include <string>

namespace veltrane::platform::posix {

// The path of a module shipped beside the running program, or the value of overrideVariable when it is set.
std::string moduleBesideProgram(const std::string& fileName, const char* overrideVariable);

}  // namespace veltrane::platform::posix
