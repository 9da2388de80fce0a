#include "windows/services/win32_dialogs.h"

#include <shobjidl.h>

#include "base/error.h"
#include "windows/common/system_message.h"
#include "windows/common/wide_text.h"

namespace veltrane::platform::win32 {

namespace {

// The monitor the box belongs on: the owner's, or the primary one.
RECT monitorRect(HWND owner) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    HMONITOR monitor = MonitorFromWindow(owner, MONITOR_DEFAULTTOPRIMARY);
    if (monitor && GetMonitorInfoW(monitor, &info)) return info.rcMonitor;
    return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

// MessageBoxW places its box itself (Windows centres it on the owner). Its final size is known only when it is
// first activated, so a thread hook moves it then, once.
thread_local HHOOK centringHook = nullptr;
thread_local HWND centringOwner = nullptr;

LRESULT CALLBACK centreOnActivate(int code, WPARAM wParam, LPARAM lParam) {
    HHOOK hook = centringHook;
    if (code == HCBT_ACTIVATE && hook) {
        const HWND box = reinterpret_cast<HWND>(wParam);
        wchar_t className[16] = {};
        GetClassNameW(box, className, 16);
        if (std::wcscmp(className, L"#32770") == 0) {
            centringHook = nullptr;
            UnhookWindowsHookEx(hook);
            RECT bounds{};
            GetWindowRect(box, &bounds);
            const RECT screen = monitorRect(centringOwner);
            const int width = bounds.right - bounds.left;
            const int height = bounds.bottom - bounds.top;
            SetWindowPos(box, nullptr, screen.left + (screen.right - screen.left - width) / 2,
                         screen.top + (screen.bottom - screen.top - height) / 2, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

// A box or dialog takes the keyboard focus; when it closes, Windows gives the focus to the owner window, not
// back to the control that had it. That control gets it back, unless the event has hidden or disabled it since.
class FocusKept {
public:
    FocusKept() : focus_(GetFocus()) {}
    ~FocusKept() {
        if (focus_ && IsWindow(focus_) && IsWindowVisible(focus_) && IsWindowEnabled(focus_) && GetFocus() != focus_)
            SetFocus(focus_);
    }
    FocusKept(const FocusKept&) = delete;
    FocusKept& operator=(const FocusKept&) = delete;

private:
    HWND focus_;
};

void runBox(HWND owner, const std::u16string& text, UINT icon, MessagePlacement placement) {
    const FocusKept focus;
    // A zero inside the text would end it early and hide the rest from the user.
    std::u16string shown = text;
    for (char16_t& c : shown) {
        if (c == u'\0') c = u' ';
    }
    // Without an owner the box is still modal for this thread's windows.
    const UINT flags = MB_OK | icon | (owner ? MB_APPLMODAL : MB_TASKMODAL);
    if (placement == MessagePlacement::ScreenCentered) {
        centringOwner = owner;
        centringHook = SetWindowsHookExW(WH_CBT, centreOnActivate, nullptr, GetCurrentThreadId());
    }
    const int result = MessageBoxW(owner, wide(shown), kDialogTitle, flags);
    if (centringHook) {
        UnhookWindowsHookEx(centringHook);
        centringHook = nullptr;
    }
    // Windows reports a box it could not show with 0, Wine without a desktop with -1.
    if (result <= 0) throw Error("The message could not be shown: " + systemMessage(GetLastError()));
}

// Releases a COM interface at the end of a scope.
template <typename T>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() {
        if (p_) p_->Release();
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    T** put() { return &p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

// COM for the calling thread while the dialog is open; a thread that has COM already keeps its own.
class ComScope {
public:
    ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ~ComScope() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT result_;
};

[[noreturn]] void dialogFailed(HRESULT result) {
    throw Error("The file dialog could not be shown: " + systemMessage(static_cast<unsigned long>(result)));
}

}  // namespace

void Win32Dialogs::showMessage(const std::u16string& text, MessagePlacement placement) {
    runBox(owner_, text, 0, placement);
}

void Win32Dialogs::showError(const std::u16string& text) {
    runBox(owner_, text, MB_ICONERROR, MessagePlacement::Default);
}

std::optional<std::u16string> Win32Dialogs::chooseFileOrFolder(bool folderMode) {
    const FocusKept focus;
    ComScope com;
    ComRef<IFileOpenDialog> dialog;
    HRESULT result = CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(dialog.put()));
    if (FAILED(result)) dialogFailed(result);
    FILEOPENDIALOGOPTIONS options = 0;
    if (FAILED(result = dialog->GetOptions(&options))) dialogFailed(result);
    // Only places with a file-system path: the bridges need a path they can hand to a program.
    options |= FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST | FOS_NOCHANGEDIR;
    options |= folderMode ? FOS_PICKFOLDERS : FOS_FILEMUSTEXIST;
    if (FAILED(result = dialog->SetOptions(options))) dialogFailed(result);
    result = dialog->Show(owner_);
    if (result == HRESULT_FROM_WIN32(ERROR_CANCELLED)) return std::nullopt;
    if (FAILED(result)) dialogFailed(result);
    ComRef<IShellItem> item;
    if (FAILED(result = dialog->GetResult(item.put()))) dialogFailed(result);
    wchar_t* path = nullptr;
    if (FAILED(result = item->GetDisplayName(SIGDN_FILESYSPATH, &path))) dialogFailed(result);
    std::u16string chosen = fromWide(path);
    CoTaskMemFree(path);
    return chosen;
}

}  // namespace veltrane::platform::win32
