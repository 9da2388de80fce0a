#pragma once
// Helpers of the Win32 tests that need real windows (run under Xvfb): finding the dialogs the program opens from a
// second thread, pressing keys in them, pumping the GUI thread's messages with a deadline, and printers for a print
// view.

#include <windows.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "platform/printers.h"
#include "support/wait_for.h"
#include "windows/services/spooler_printers.h"

namespace veltrane::testing {

// The top-level dialog windows (class #32770) of this process that are visible, e.g. a message box.
inline std::vector<HWND> visibleDialogs() {
    struct Found {
        std::vector<HWND> windows;
    } found;
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            wchar_t className[16] = {};
            GetClassNameW(window, className, 16);
            if (process == GetCurrentProcessId() && IsWindowVisible(window) && std::wstring(className) == L"#32770") {
                reinterpret_cast<Found*>(data)->windows.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found.windows;
}

// Waits for one visible dialog of this process; null at the deadline.
inline HWND waitForDialog(std::chrono::milliseconds deadline = std::chrono::seconds(20)) {
    HWND found = nullptr;
    waitFor(
        [&] {
            const auto dialogs = visibleDialogs();
            found = dialogs.empty() ? nullptr : dialogs.front();
            return found != nullptr;
        },
        deadline);
    return found;
}

inline std::wstring windowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

inline std::wstring className(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

inline std::vector<HWND> descendants(HWND parent) {
    std::vector<HWND> windows;
    EnumChildWindows(
        parent,
        [](HWND window, LPARAM data) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// A key pressed and released as the user would, delivered to the foreground window.
inline void pressKey(WORD key) {
    INPUT input[2] = {};
    input[0].type = INPUT_KEYBOARD;
    input[0].ki.wVk = key;
    input[1] = input[0];
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
}

// Runs the GUI thread's messages until done() holds or the deadline passes; true when it held.
template <typename Condition>
bool pumpUntil(Condition done, std::chrono::milliseconds deadline = std::chrono::seconds(30)) {
    return waitFor(
        [&] {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            return done();
        },
        deadline);
}

// Two installed printers, "Card Printer" and "Laser", whose default-printer entry is the real per-user one, written
// as the spooler service writes it (a Wine prefix here has no printers of its own).
class TwoPrinters final : public platform::Printers {
public:
    std::vector<std::u16string> printerNames() override { return {u"Card Printer", u"Laser"}; }
    std::optional<std::u16string> defaultPrinterName() override { return std::nullopt; }
    platform::PrinterDetails details(const std::u16string& name) override {
        return {name, u"winspool", name == u"Laser" ? u"Ne01:" : u"Ne00:"};
    }
    void writeDefaultDeviceEntry(const std::u16string& value) override { spooler_.writeDefaultDeviceEntry(value); }

private:
    platform::win32::SpoolerPrinters spooler_;
};

// The per-user default-printer entry as it stands.
inline std::u16string deviceEntry() {
    wchar_t value[512] = {};
    const DWORD length = GetProfileStringW(L"windows", L"device", L"", value, 512);
    return std::u16string(reinterpret_cast<const char16_t*>(value), length);
}

}  // namespace veltrane::testing
