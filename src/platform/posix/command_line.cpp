#include "platform/posix/command_line.h"

#include <limits.h>
#include <unistd.h>

#include "base/text.h"

namespace veltrane::platform::posix {

std::string executablePath(const std::string& argv0) {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return argv0;
    return std::string(buffer, static_cast<std::size_t>(n));
}

PosixCommandLine::PosixCommandLine(std::vector<std::string> argv) {
    for (std::size_t i = 0; i < argv.size(); ++i) {
        args_.push_back(utf8ToUtf16(i == 0 ? executablePath(argv[0]) : argv[i]));
    }
    if (args_.empty()) args_.push_back(utf8ToUtf16(executablePath("")));
}

int PosixCommandLine::paramCount() { return static_cast<int>(args_.size()) - 1; }

std::u16string PosixCommandLine::paramStr(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= args_.size()) return {};
    return args_[static_cast<std::size_t>(index)];
}

}  // namespace veltrane::platform::posix
