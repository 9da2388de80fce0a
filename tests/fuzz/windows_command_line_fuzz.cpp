// The command-line splitter with any text: it never fails, and an argument never holds a blank that was outside
// quotes, so a split is never longer than the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/text.h"
#include "platform/common/windows_command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string line = veltrane::utf8ToUtf16(std::string(reinterpret_cast<const char*>(data), size));
    std::size_t total = 0;
    for (const auto& arg : veltrane::platform::splitWindowsCommandLine(line)) total += arg.size();
    if (total > line.size()) std::abort();
    // Text without quotes or blanks is one argument, unchanged.
    if (!line.empty() && line.find_first_of(u"\" \t") == std::u16string::npos) {
        const auto args = veltrane::platform::splitWindowsCommandLine(line);
        if (args.size() != 1 || args[0] != line) std::abort();
    }
    return 0;
}
