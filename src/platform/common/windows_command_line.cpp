#include "platform/common/windows_command_line.h"

namespace veltrane::platform {

namespace {
bool isBlank(char16_t c) { return c == u' ' || c == u'\t'; }
}  // namespace

std::vector<std::u16string> splitWindowsCommandLine(std::u16string_view line) {
    std::vector<std::u16string> args;
    std::size_t i = 0;
    const std::size_t n = line.size();
    while (true) {
        while (i < n && isBlank(line[i])) ++i;
        if (i >= n) break;
        std::u16string arg;
        bool quoted = false;
        while (i < n) {
            std::size_t slashes = 0;
            while (i < n && line[i] == u'\\') ++slashes, ++i;
            if (i < n && line[i] == u'"') {
                arg.append(slashes / 2, u'\\');
                if (slashes % 2 == 1) {
                    arg.push_back(u'"');
                    ++i;
                } else if (quoted && i + 1 < n && line[i + 1] == u'"') {
                    arg.push_back(u'"');
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
                continue;
            }
            arg.append(slashes, u'\\');
            if (i >= n || (!quoted && isBlank(line[i]))) break;
            arg.push_back(line[i++]);
        }
        args.push_back(std::move(arg));
    }
    return args;
}

}  // namespace veltrane::platform
