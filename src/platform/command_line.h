#pragma once

#include <string>

namespace veltrane::platform {

class CommandLine {
public:
    virtual ~CommandLine() = default;
    // Number of arguments after the program path.
    virtual int paramCount() = 0;
    // Position 0 is the full path of the running program; a position past the last gives the empty text.
    virtual std::u16string paramStr(int index) = 0;
};

}  // namespace veltrane::platform
