#include "platform/common/windows_command_line.h"

#include "base/error.h"

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

bool isBatchFile(std::u16string_view file) {
    while (!file.empty() && (file.back() == u'.' || isBlank(file.back()))) file.remove_suffix(1);
    if (file.size() < 4 || file[file.size() - 4] != u'.') return false;
    std::u16string extension(file.substr(file.size() - 3));
    for (auto& c : extension) {
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    }
    return extension == u"bat" || extension == u"cmd";
}

void requireBatchSafe(std::u16string_view file, std::u16string_view parameters) {
    if (!isBatchFile(file)) return;
    for (char16_t c : parameters) {
        if (c < 0x20 || std::u16string_view(u"%!^&|<>()").find(c) != std::u16string_view::npos) {
            throw Error(
                "The imaging program is a batch file, and the patient's details hold a character that its command "
                "processor would run as a command (one of % ! ^ & | < > ( ) or a control character); the batch file "
                "was not started");
        }
    }
}

}  // namespace veltrane::platform
