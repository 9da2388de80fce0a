#include "windows/services/program_command_line.h"

#include "windows/common/wide_text.h"

namespace veltrane::platform::win32 {

std::vector<std::u16string> splitProgramArguments(std::u16string_view line) {
    const auto at = [&](std::size_t i) -> char16_t { return i < line.size() ? line[i] : u'\0'; };
    std::vector<std::u16string> arguments;
    std::size_t i = 0;
    for (;;) {
        for (;;) {
            while (at(i) != u'\0' && at(i) <= u' ') ++i;
            if (at(i) == u'"' && at(i + 1) == u'"')
                i += 2;
            else
                break;
        }
        std::u16string argument;
        while (at(i) > u' ') {
            if (at(i) == u'"') {
                ++i;
                while (at(i) != u'\0' && at(i) != u'"') argument += line[i++];
                if (at(i) != u'\0') ++i;
            } else {
                argument += line[i++];
            }
        }
        if (argument.empty()) break;
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

std::u16string runningProgramPath() {
    // A path may be longer than MAX_PATH; the buffer grows until the name fits.
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) return fromWide(buffer.data(), length);
        if (buffer.size() >= 32768) return fromWide(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

Win32CommandLine::Win32CommandLine(std::vector<std::u16string> arguments) : arguments_(std::move(arguments)) {
    if (arguments_.empty()) arguments_.emplace_back();
    arguments_[0] = runningProgramPath();
}

int Win32CommandLine::paramCount() { return static_cast<int>(arguments_.size()) - 1; }

std::u16string Win32CommandLine::paramStr(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= arguments_.size()) return {};
    return arguments_[static_cast<std::size_t>(index)];
}

}  // namespace veltrane::platform::win32
