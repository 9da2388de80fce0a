#include "windows/services/shell_launcher.h"

#include <objbase.h>
#include <shellapi.h>

#include "base/error.h"
#include "platform/common/windows_command_line.h"
#include "windows/common/system_message.h"
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

// ShellExecuteW answers a failure with an old code of its own; most equal the system's error of the same number,
// the others are given theirs, so that the user reads the system's own text.
DWORD systemErrorOf(INT_PTR result) {
    switch (result) {
        case 0:
        case SE_ERR_OOM:
            return ERROR_NOT_ENOUGH_MEMORY;
        case SE_ERR_SHARE:
            return ERROR_SHARING_VIOLATION;
        case SE_ERR_ASSOCINCOMPLETE:
        case SE_ERR_NOASSOC:
            return ERROR_NO_ASSOCIATION;
        case SE_ERR_DDETIMEOUT:
        case SE_ERR_DDEFAIL:
        case SE_ERR_DDEBUSY:
            return ERROR_DDE_FAIL;
        case SE_ERR_DLLNOTFOUND:
            return ERROR_DLL_NOT_FOUND;
        default:
            return static_cast<DWORD>(result);  // file and path not found, access denied, bad format
    }
}

}  // namespace

void ShellLauncher::launch(const LaunchRequest& request) {
    // A zero inside a text would cut it and start something other than what the plan says: start nothing.
    if (holdsZero(request.verb) || holdsZero(request.file) || holdsZero(request.parameters) ||
        holdsZero(request.directory)) {
        throw Error(std::string(messages::kInvalidFilename));
    }
    if (request.file.empty()) throw Error(systemMessage(ERROR_FILE_NOT_FOUND));
    // A batch file runs through cmd, which would run commands hidden in the parameters.
    requireBatchSafe(fileThatRuns(request.file), request.parameters);
    // Shell extensions that ShellExecuteW may load expect COM on the calling thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(reinterpret_cast<HWND>(request.ownerWindow), orNull(request.verb), wide(request.file),
                      orNull(request.parameters), orNull(request.directory), request.showCommand));
    if (SUCCEEDED(com)) CoUninitialize();
    // Values above 32 mean started; anything else names why the imaging program did not start.
    if (result <= 32) throw Error(systemMessage(systemErrorOf(result)));
}

}  // namespace veltrane::platform::win32
