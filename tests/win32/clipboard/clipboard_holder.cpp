// Puts a text on the clipboard through the Win32 backend and keeps a window alive until told to stop, so the
// X11 side of Wine serves the clipboard to X programs meanwhile.
// Usage: clipboard-holder TEXT_FILE READY_FILE STOP_FILE   (TEXT_FILE in UTF-8; READY_FILE gets "ok" or the error)

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "base/error.h"
#include "base/text.h"
#include "windows/services/win32_clipboard.h"

namespace {

std::wstring argument(int index) {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::wstring value = index < count ? arguments[index] : L"";
    LocalFree(arguments);
    return value;
}

void writeReady(const std::wstring& path, const std::string& text) {
    std::ofstream(std::filesystem::path(path), std::ios::binary) << text;
}

}  // namespace

int main() {
    const std::wstring textFile = argument(1), readyFile = argument(2), stopFile = argument(3);
    std::ifstream in(std::filesystem::path(textFile), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    HWND window = CreateWindowExW(0, L"STATIC", L"clipboard holder", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    try {
        veltrane::platform::win32::Win32Clipboard().setText(veltrane::utf8ToUtf16(text));
    } catch (const veltrane::Error& e) {
        writeReady(readyFile, e.what());
        return 1;
    }
    writeReady(readyFile, "ok");
    // Serve until the stop file appears, at most a minute.
    SetTimer(window, 1, 50, nullptr);
    const ULONGLONG end = GetTickCount64() + 60000;
    MSG message;
    while (GetTickCount64() < end && GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
        if (GetFileAttributesW(stopFile.c_str()) != INVALID_FILE_ATTRIBUTES) break;
    }
    DestroyWindow(window);
    return 0;
}
