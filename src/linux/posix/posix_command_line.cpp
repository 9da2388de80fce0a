#include "linux/posix/posix_command_line.h"

#include "base/text.h"
#include "linux/modules/module_path.h"

namespace veltrane::platform::posix {

PosixCommandLine::PosixCommandLine(std::vector<std::string> argv) {
    for (std::size_t i = 0; i < argv.size(); ++i) {
        args_.push_back(utf8ToUtf16(i == 0 ? modules::executablePath(argv[0]) : argv[i]));
    }
    if (args_.empty()) args_.push_back(utf8ToUtf16(modules::executablePath("")));
}

int PosixCommandLine::paramCount() { return static_cast<int>(args_.size()) - 1; }

std::u16string PosixCommandLine::paramStr(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= args_.size()) return {};
    return args_[static_cast<std::size_t>(index)];
}

}  // namespace veltrane::platform::posix
