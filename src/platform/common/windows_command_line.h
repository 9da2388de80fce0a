#pragma once
// How a Windows program splits the command-line text it is given into arguments. Used to start programs from an
// argument vector on systems whose programs receive argv, never a single text.

#include <string>
#include <string_view>
#include <vector>

namespace veltrane::platform {

// Splits the arguments that follow the program name, as the C runtime of current Windows programs does:
// blanks and tabs separate arguments outside double quotes; 2n backslashes before a quote give n backslashes
// and the quote opens or closes quoting; 2n+1 backslashes before a quote give n backslashes and a literal quote;
// inside quotes, "" gives a literal quote and quoting goes on; other backslashes are literal; "" outside quotes
// is an empty argument.
std::vector<std::u16string> splitWindowsCommandLine(std::u16string_view commandLine);

}  // namespace veltrane::platform
