// Finds the program's message box on the desktop, writes its text to a file (UTF-8) and presses its OK button, as
// a user would. Ends with 1 when no box appeared before the deadline.
// Usage: message-box-closer OUT_FILE [SECONDS]

#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/file_bytes.h"
#include "support/wait_for.h"

namespace {

struct Search {
    HWND box = nullptr;
};

BOOL CALLBACK findBox(HWND window, LPARAM data) {
    wchar_t className[64] = {};
    wchar_t title[128] = {};
    GetClassNameW(window, className, 64);
    GetWindowTextW(window, title, 128);
    if (IsWindowVisible(window) && std::wstring(className) == L"#32770" &&
        std::wstring(title) == L"Veltrane Client Tools") {
        reinterpret_cast<Search*>(data)->box = window;
        return FALSE;
    }
    return TRUE;
}

// The message is the box's static control that holds text (the icon's has none).
BOOL CALLBACK findText(HWND child, LPARAM data) {
    wchar_t className[64] = {};
    GetClassNameW(child, className, 64);
    if (_wcsicmp(className, L"Static") != 0) return TRUE;
    const int length = GetWindowTextLengthW(child);
    if (length <= 0) return TRUE;
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(child, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));
    *reinterpret_cast<std::wstring*>(data) = text;
    return FALSE;
}

bool writeUtf8(const std::wstring& path, const std::wstring& text) {
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    return veltrane::testing::writeFileAtomically(std::filesystem::path(path), bytes);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    const DWORD seconds = argc > 2 ? static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)) : 60;
    Search search;
    const bool found = veltrane::testing::waitFor(
        [&] {
            EnumWindows(findBox, reinterpret_cast<LPARAM>(&search));
            return search.box != nullptr;
        },
        std::chrono::seconds(seconds), std::chrono::milliseconds(50));
    if (!found) return 1;
    std::wstring text;
    EnumChildWindows(search.box, findText, reinterpret_cast<LPARAM>(&text));
    if (!writeUtf8(argv[1], text)) return 3;
    HWND ok = GetDlgItem(search.box, IDOK);
    PostMessageW(search.box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
    return 0;
}
