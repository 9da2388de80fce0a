#include "linux/modules/module_path.h"

#include <limits.h>
#include <unistd.h>

#include <cstdlib>


// The private folder relative to the program's own folder; the build sets it from the install layout.
#ifndef VELTRANE_PRIVATE_DIR_FROM_BIN
#define VELTRANE_PRIVATE_DIR_FROM_BIN "../lib/veltrane-client-tools"
#endif

namespace veltrane::platform::modules {

std::string executablePath(const std::string& argv0) {
    // The running program's file does not change while it runs: asked once, whoever asks.
    static const std::string self = [] {
        char buffer[PATH_MAX];
        const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
        return n <= 0 ? std::string() : std::string(buffer, static_cast<std::size_t>(n));
    }();
    return self.empty() ? argv0 : self;
}

std::string shippedFilePath(const std::string& fileName, const char* overrideVariable) {
    if (overrideVariable) {
        if (const char* overridden = std::getenv(overrideVariable); overridden && *overridden) return overridden;
    }
    const std::string program = executablePath("");
    const auto slash = program.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : program.substr(0, slash);
    const std::string beside = folder + "/" + fileName;
    if (::access(beside.c_str(), F_OK) == 0) return beside;
    return folder + "/" VELTRANE_PRIVATE_DIR_FROM_BIN "/" + fileName;
}

}  // namespace veltrane::platform::modules
