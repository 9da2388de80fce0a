#pragma once
// A message-only window of the GUI thread: where a part's timers fire and its posted work arrives, outside any
// window the user sees.

#include <windows.h>

namespace veltrane::platform::win32 {

// Registers className (once per process; registering it again fails harmlessly) and makes the window, with owner
// as its user data for procedure to find. Null when it cannot be made (GetLastError says why).
inline HWND createMessageWindow(const wchar_t* className, WNDPROC procedure, void* owner) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = className;
    RegisterClassExW(&windowClass);
    HWND window =
        CreateWindowExW(0, className, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (window) SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
    return window;
}

}  // namespace veltrane::platform::win32
