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

// A failed call that left no code is still a failure.
DWORD lastError() {
    const DWORD error = GetLastError();
    return error == ERROR_SUCCESS ? ERROR_ACCESS_DENIED : error;
}

// A movable block holding bytes, which the system owns once SetClipboardData took it.
HGLOBAL copyToGlobal(const void* data, std::size_t bytes, DWORD& error) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    void* target = memory ? GlobalLock(memory) : nullptr;
    if (!target) {
        error = memory ? lastError() : ERROR_NOT_ENOUGH_MEMORY;
        if (memory) GlobalFree(memory);
        return nullptr;
    }
    std::memcpy(target, data, bytes);
    GlobalUnlock(memory);
    return memory;
}

bool place(UINT format, const void* data, std::size_t bytes, DWORD& error) {
    HGLOBAL memory = copyToGlobal(data, bytes, error);
    if (!memory) return false;
    if (SetClipboardData(format, memory)) return true;
    error = lastError();
    GlobalFree(memory);
    return false;
}

// The text names a patient: it must not be kept in the clipboard history, synced to the user's other devices or
// read by clipboard monitors. These are the formats Windows looks for beside the text.
bool placePrivacyFormats(DWORD& error) {
    // Each holds a DWORD 0: "may not" for the two permissions; the exclusion's data is not looked at.
    const DWORD no = 0;
    for (const wchar_t* name : {L"ExcludeClipboardContentFromMonitorProcessing", L"CanIncludeInClipboardHistory",
                                L"CanUploadToCloudClipboard"}) {
        const UINT format = RegisterClipboardFormatW(name);
        if (!format) {
            error = lastError();
            return false;
        }
        if (!place(format, &no, sizeof no, error)) return false;
    }
    return true;
}

}  // namespace

void Win32Clipboard::setText(const std::u16string& text) {
    OwnerWindow owner;
    if (!owner.get()) fail(GetLastError());
    if (!openWithRetries(owner.get())) fail(GetLastError());
    DWORD error = ERROR_SUCCESS;
    if (EmptyClipboard()) {
        // The privacy formats first: without them the text is not placed at all. The text is held with its
        // terminating zero.
        if (placePrivacyFormats(error))
            place(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(char16_t), error);
        // What was placed before a refusal goes again, so the clipboard stays empty as the text failed.
        if (error != ERROR_SUCCESS) EmptyClipboard();
    } else {
        error = lastError();
    }
    CloseClipboard();
    if (error != ERROR_SUCCESS) fail(error);
}

}  // namespace veltrane::platform::win32
