// The DLLs that only the window, the print view, the printers and the set-up check use are loaded at their first
// call (see delay-load/). Should Windows fail to load one then, the loader's helper would raise an exception that
// nothing catches and the program would crash at that call: instead the user is told which part of Windows is
// missing, and the program ends with the exit status of a window that cannot be shown (1 for the set-up check's
// WinHTTP). A print that was switched stays recorded and is put back at the next start.

#include <windows.h>
// clang-format off
#include <delayimp.h>  // after windows.h, whose types it uses
// clang-format on

#include <cstdlib>
#include <string>

#include "base/text.h"
#include "windows/common/system_message.h"
#include "windows/win32_platform.h"

namespace {

FARPROC WINAPI delayLoadFailed(unsigned notification, PDelayLoadInfo info) {
    if (notification != dliFailLoadLib && notification != dliFailGetProc) return nullptr;
    // A box pumps messages, and a message could need the same library again: that one just ends.
    static bool reporting = false;
    if (reporting) std::_Exit(2);
    reporting = true;
    const std::string library = info->szDll ? info->szDll : "a system library";
    std::string what = library;
    if (notification == dliFailGetProc && info->dlp.fImportByName && info->dlp.szProcName) {
        what = std::string(info->dlp.szProcName) + " in " + library;
    }
    const std::string text = "Windows could not load " + what + ", which this program needs here (" +
                             veltrane::platform::win32::systemMessage(info->dwLastError) + ")";
    veltrane::platform::win32::MessageBoxDialogs().showError(veltrane::utf8ToUtf16(text));
    std::exit(_stricmp(library.c_str(), "winhttp.dll") == 0 ? 1 : 2);
}

}  // namespace

// The loader's helper calls the hook of this name (declared in delayimp.h).
extern "C" {
PfnDliHook __pfnDliFailureHook2 = delayLoadFailed;
}
