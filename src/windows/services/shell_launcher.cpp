#include "windows/services/shell_launcher.h"

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

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

bool endsWithIgnoringCase(const std::u16string& text, std::u16string_view end) {
    if (text.size() < end.size()) return false;
    for (std::size_t i = 0; i < end.size(); ++i) {
        char16_t c = text[text.size() - end.size() + i];
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
        if (c != end[i]) return false;
    }
    return true;
}

// The file a shortcut starts: the shell opens a .lnk by starting its target with our parameters, so a shortcut
// to a batch file hands them to cmd just as the batch file itself would. Empty when it cannot be read. COM must
// be initialised on the thread.
std::u16string shortcutTarget(const std::u16string& file) {
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link)))) {
        return {};
    }
    std::u16string target;
    IPersistFile* persist = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
        wchar_t path[MAX_PATH * 4] = {};
        if (SUCCEEDED(persist->Load(wide(file), STGM_READ)) &&
            SUCCEEDED(link->GetPath(path, static_cast<int>(std::size(path)), nullptr, SLGP_RAWPATH))) {
            target = fromWide(path);
        }
        persist->Release();
    }
    link->Release();
    return target;
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
    // Shell extensions that ShellExecuteW may load expect COM on the calling thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    struct ComScope {
        HRESULT result;
        ~ComScope() {
            if (SUCCEEDED(result)) CoUninitialize();
        }
    } comScope{com};
    // A batch file runs through cmd, which would run commands hidden in the parameters; so does one that a
    // shortcut starts.
    const std::u16string runs = fileThatRuns(request.file);
    requireBatchSafe(runs, request.parameters);
    if (endsWithIgnoringCase(runs, u".lnk")) {
        if (const std::u16string target = shortcutTarget(runs); !target.empty()) {
            requireBatchSafe(target, request.parameters);
        }
    }
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(reinterpret_cast<HWND>(request.ownerWindow), orNull(request.verb), wide(request.file),
                      orNull(request.parameters), orNull(request.directory), request.showCommand));
    // Values above 32 mean started; anything else names why the imaging program did not start.
    if (result <= 32) throw Error(systemMessage(systemErrorOf(result)));
}

}  // namespace veltrane::platform::win32
