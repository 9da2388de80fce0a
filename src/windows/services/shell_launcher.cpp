#include "windows/services/shell_launcher.h"

#include <objbase.h>
#include <shellapi.h>

#include "windows/common/wide_text.h"

namespace veltrane::platform::win32 {

namespace {

// ShellExecuteW takes "no verb", "no parameters" and "no folder" as null pointers.
const wchar_t* orNull(const std::u16string& text) { return text.empty() ? nullptr : wide(text); }

}  // namespace

void ShellLauncher::launch(const LaunchRequest& request) {
    // A zero inside a text would cut it and start something other than what the plan says: start nothing.
    if (request.file.empty() || holdsZero(request.verb) || holdsZero(request.file) || holdsZero(request.parameters) ||
        holdsZero(request.directory)) {
        return;
    }
    // Shell extensions that ShellExecuteW may load expect COM on the calling thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    // A start that fails is not reported: the imaging program's absence is not the program's error.
    ShellExecuteW(reinterpret_cast<HWND>(request.ownerWindow), orNull(request.verb), wide(request.file),
                  orNull(request.parameters), orNull(request.directory), request.showCommand);
    if (SUCCEEDED(com)) CoUninitialize();
}

}  // namespace veltrane::platform::win32
