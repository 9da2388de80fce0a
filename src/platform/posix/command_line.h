#pragma once

#include <string>
#include <vector>

#include "platform/command_line.h"

namespace veltrane::platform::posix {

// argv as the process received it; position 0 is replaced by the full path of the running program.
class PosixCommandLine final : public CommandLine {
public:
    explicit PosixCommandLine(std::vector<std::string> argv);
    int paramCount() override;
    std::u16string paramStr(int index) override;

private:
    std::vector<std::u16string> args_;
};

// The full path of the running program (/proc/self/exe), or argv0 when it cannot be read.
std::string executablePath(const std::string& argv0);

}  // namespace veltrane::platform::posix
