#pragma once
// The command line as this program reads it on Windows: its own splitting rule, not the C runtime's.

#include <string>
#include <string_view>
#include <vector>

#include "platform/command_line.h"

namespace veltrane::platform::win32 {

// Splits a whole command line (the program name first) into arguments: any character up to and including the
// blank separates; a double quote opens or closes a quoted stretch, in which blanks do not separate, and is
// removed; two double quotes at the start of an argument are skipped. Backslashes are ordinary characters, so a
// quoted folder such as "C:\Images\" keeps its last backslash. The arguments end at the first empty one.
std::vector<std::u16string> splitProgramArguments(std::u16string_view commandLine);

// The full path of the running program, as the system names its file.
std::u16string runningProgramPath();

class Win32CommandLine final : public CommandLine {
public:
    // arguments: as split above, the program name first; position 0 is always the running program's full path.
    explicit Win32CommandLine(std::vector<std::u16string> arguments);
    int paramCount() override;
    std::u16string paramStr(int index) override;

private:
    std::vector<std::u16string> arguments_;
};

}  // namespace veltrane::platform::win32
