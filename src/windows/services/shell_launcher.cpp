#include "windows/services/shell_launcher.h"

#include <objbase.h>
#include <shellapi.h>

#include "platform/common/windows_command_line.h"
#include "windows/common/wide_text.h"

namespace veltrane::platform::win32 {

namespace {

// ShellExecuteW takes "no verb", "no parameters" and "no folder" as null pointers.
const wchar_t* orNull(const std::u16string& text) { return text.empty() ? nullptr : wide(text); }

bool isFile(const std::u16string& path) {
    const DWORD attributes = GetFileAttributesW(wide(path));
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The file the shell runs for file: the file itself, or for a name without an extension that names no file, the
// first program extension that does, in the order the shell tries them.
std::u16string fileThatRuns(const std::u16string& file) {
    const auto lastComponent = file.substr(file.find_last_of(u"\\/:") + 1);
    if (isFile(file) || lastComponent.find(u'.') != std::u16string::npos) return file;
    for (const char16_t* extension : {u".com", u".exe", u".bat", u".cmd"}) {
        if (isFile(file + extension)) return file + extension;
    }
    return file;
}

}  // namespace

void ShellLauncher::launch(const LaunchRequest& request) {
    // A zero inside a text would cut it and start something other than what the plan says: start nothing.
    if (request.file.empty() || holdsZero(request.verb) || holdsZero(request.file) || holdsZero(request.parameters) ||
        holdsZero(request.directory)) {
        return;
    }
    // A batch file runs through cmd, which would run commands hidden in the parameters.
    requireBatchSafe(fileThatRuns(request.file), request.parameters);
    // Shell extensions that ShellExecuteW may load expect COM on the calling thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    // A start that fails is not reported: the imaging program's absence is not the program's error.
    ShellExecuteW(reinterpret_cast<HWND>(request.ownerWindow), orNull(request.verb), wide(request.file),
                  orNull(request.parameters), orNull(request.directory), request.showCommand);
    if (SUCCEEDED(com)) CoUninitialize();
}

}  // namespace veltrane::platform::win32
