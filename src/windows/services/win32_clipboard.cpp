#include "windows/services/win32_clipboard.h"

#include <cstring>

#include "base/error.h"
#include "base/text.h"
#include "windows/common/system_message.h"
#include "windows/common/wide_text.h"

namespace veltrane::platform::win32 {

namespace {

[[noreturn]] void fail(DWORD error) {
    throw Error(formatMessage(messages::kCannotOpenClipboard, systemMessage(error)));
}

// The clipboard's owner must be a window: with none, EmptyClipboard leaves no owner and SetClipboardData fails.
// A message-only window is enough and never shows.
class OwnerWindow {
public:
    OwnerWindow()
        : window_(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr),
                                  nullptr)) {}
    ~OwnerWindow() {
        if (window_) DestroyWindow(window_);
    }
    OwnerWindow(const OwnerWindow&) = delete;
    OwnerWindow& operator=(const OwnerWindow&) = delete;
    HWND get() const { return window_; }

private:
    HWND window_;
};

// Another program may hold the clipboard for a moment (a clipboard viewer reading it): try for about half a second.
bool openWithRetries(HWND owner) {
    for (int attempt = 0; attempt < 25; ++attempt) {
        if (OpenClipboard(owner)) return true;
        Sleep(20);
    }
    return false;
}

}  // namespace

void Win32Clipboard::setText(const std::u16string& text) {
    OwnerWindow owner;
    if (!owner.get()) fail(GetLastError());
    if (!openWithRetries(owner.get())) fail(GetLastError());
    DWORD error = ERROR_SUCCESS;
    if (EmptyClipboard()) {
        // The text with its terminating zero, in memory the system takes over once it is on the clipboard.
        const std::size_t bytes = (text.size() + 1) * sizeof(char16_t);
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
        void* target = memory ? GlobalLock(memory) : nullptr;
        if (target) {
            std::memcpy(target, text.c_str(), bytes);
            GlobalUnlock(memory);
            if (!SetClipboardData(CF_UNICODETEXT, memory)) {
                error = GetLastError();
                GlobalFree(memory);
            }
        } else {
            error = memory ? GetLastError() : ERROR_NOT_ENOUGH_MEMORY;
            if (memory) GlobalFree(memory);
        }
    } else {
        error = GetLastError();
    }
    CloseClipboard();
    if (error != ERROR_SUCCESS) fail(error == 0 ? ERROR_ACCESS_DENIED : error);
}

}  // namespace veltrane::platform::win32
