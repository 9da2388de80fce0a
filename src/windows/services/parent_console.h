#pragma once
// The program is a window program: Windows gives it no console. Text it prints (--help, --version, a dry run's
// effect lines, errors) must still reach the console of whoever started it from cmd.exe or PowerShell.

namespace veltrane::platform::win32 {

// Where standard output or standard error is no usable handle, attaches to the parent's console (when it has
// one) and sends that stream there, as UTF-8. A stream that is redirected to a pipe or a file keeps it.
void attachParentConsole();

}  // namespace veltrane::platform::win32
