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

// A file cmd runs: ".bat" or ".cmd" in any letter case, trailing dots and blanks ignored as Windows ignores them.
bool isBatchFile(std::u16string_view file);

// cmd interprets % ! ^ & | < > ( ) and line breaks in a batch file's command line even inside quotes, so what
// follows one could run as a command: a launch of a batch file whose parameters hold one throws instead.
// Quotes are not refused: a bridge's values have lost theirs, so every quote left is the format's own.
void requireBatchSafe(std::u16string_view file, std::u16string_view parameters);

}  // namespace veltrane::platform
