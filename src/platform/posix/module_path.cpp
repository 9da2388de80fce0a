#include "platform/posix/module_path.h"

#include <cstdlib>

#include "platform/posix/command_line.h"

namespace veltrane::platform::posix {

std::string moduleBesideProgram(const std::string& fileName, const char* overrideVariable) {
    if (const char* overridden = std::getenv(overrideVariable); overridden && *overridden) return overridden;
    const std::string program = executablePath("");
    const auto slash = program.rfind('/');
    return (slash == std::string::npos ? std::string(".") : program.substr(0, slash)) + "/" + fileName;
}

}  // namespace veltrane::platform::posix
