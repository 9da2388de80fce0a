#include "windows/services/parent_console.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace veltrane::platform::win32 {

namespace {

bool usable(DWORD which) {
    HANDLE handle = GetStdHandle(which);
    return handle && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

UINT previousOutputCodePage = 0;

// The console's code page belongs to the console, not to this process: the shell gets its own back.
void restoreCodePage() {
    std::fflush(stdout);
    std::fflush(stderr);
    if (previousOutputCodePage) SetConsoleOutputCP(previousOutputCodePage);
}

}  // namespace

void attachParentConsole() {
    const bool output = usable(STD_OUTPUT_HANDLE);
    const bool error = usable(STD_ERROR_HANDLE);
    if (output && error) return;
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    if (!output) std::freopen("CONOUT$", "w", stdout);
    if (!error) std::freopen("CONOUT$", "w", stderr);
    // Our texts are UTF-8; the console shows them right only in that code page.
    previousOutputCodePage = GetConsoleOutputCP();
    if (previousOutputCodePage != CP_UTF8 && SetConsoleOutputCP(CP_UTF8))
        std::atexit(restoreCodePage);
    else
        previousOutputCodePage = 0;
    // The shell has already printed its prompt: start on a line of our own.
    std::fputs("\n", output ? stderr : stdout);
}

}  // namespace veltrane::platform::win32
