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

}  // namespace veltrane::platform::posix
