#pragma once
// The program is a window program: Windows gives it no console. Text it prints (--help, --version, a dry run's
// effect lines, errors) must still reach the console of whoever started it from cmd.exe or PowerShell, and read
// right there: a console takes wide text, a pipe or a file takes the program's UTF-8 bytes unchanged.

#include <cstddef>
#include <string>
#include <string_view>

namespace veltrane::platform::win32 {

struct StandardStreams {
    bool output = false;  // standard output reaches a console, a pipe or a file
    bool error = false;
};

// Where standard output or standard error is no usable handle, attaches to the parent's console (when it has one)
// and sends that stream there. Every stream that is a console then takes std::cout's and std::cerr's UTF-8 text as
// wide text (WriteConsoleW), so the console's code page never garbles a name; a stream redirected to a pipe or a
// file keeps its bytes. Call once, before anything is printed.
StandardStreams attachParentConsole();

// Writes the text to standard output as wide text when that is a console; false (nothing written) when it is not.
bool writeConsoleText(std::u16string_view text);

// The length of the longest start of the bytes that ends on a whole UTF-8 sequence: a sequence cut off at the end
// waits for its last bytes rather than reaching the console as two wrong characters.
std::size_t completeUtf8Length(std::string_view bytes);

}  // namespace veltrane::platform::win32
