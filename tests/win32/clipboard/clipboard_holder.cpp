// Puts a text on the clipboard through the Win32 backend and keeps a window alive until told to stop, so the
// X11 side of Wine serves the clipboard to X programs meanwhile.
// Usage: clipboard-holder TEXT_FILE READY_FILE STOP_FILE   (TEXT_FILE in UTF-8; READY_FILE gets "ok" or the error)

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "base/error.h"
#include "base/text.h"
#include "support/file_bytes.h"
#include "support/wait_for.h"
#include "windows/services/win32_clipboard.h"

namespace {

std::wstring argument(int index) {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::wstring value = index < count ? arguments[index] : L"";
    LocalFree(arguments);
    return value;
}

}  // namespace

int main() {
    const std::wstring textFile = argument(1), readyFile = argument(2), stopFile = argument(3);
    const std::string text = veltrane::testing::readFile(std::filesystem::path(textFile));

    HWND window = CreateWindowExW(0, L"STATIC", L"clipboard holder", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    try {
        veltrane::platform::win32::Win32Clipboard().setText(veltrane::utf8ToUtf16(text));
    } catch (const veltrane::Error& e) {
        veltrane::testing::writeFileAtomically(std::filesystem::path(readyFile), e.what());
        return 1;
    }
    veltrane::testing::writeFileAtomically(std::filesystem::path(readyFile), "ok");
    // Serve until the stop file appears, at most a minute.
    veltrane::testing::waitFor(
        [&] {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
            return GetFileAttributesW(stopFile.c_str()) != INVALID_FILE_ATTRIBUTES;
        },
        std::chrono::minutes(1));
    DestroyWindow(window);
    return 0;
}
