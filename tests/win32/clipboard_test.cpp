#include <gtest/gtest.h>
#include <windows.h>

#include <optional>

#include "base/error.h"
#include "base/text.h"
#include "windows/services/win32_clipboard.h"

namespace veltrane::platform::win32 {
namespace {

// What another program reading the clipboard as Unicode text would get.
std::optional<std::u16string> clipboardText() {
    if (!OpenClipboard(nullptr)) return std::nullopt;
    std::optional<std::u16string> text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const char16_t*>(GlobalLock(data))) {
            text = std::u16string(chars);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

TEST(Win32Clipboard, ReplacesTheContentWithTheText) {
    Win32Clipboard clipboard;
    const std::u16string texts[] = {
        u"PATIENT 1042 Berg Anna 19800102",
        u"Łódź 日本 \U0001F9B7",
        u"line one\r\nline two",
        u"",
    };
    for (const std::u16string& text : texts) {
        SCOPED_TRACE(utf16ToUtf8(text));
        clipboard.setText(text);
        EXPECT_EQ(clipboardText(), text);
    }
}

// The clipboard data of a registered format as a DWORD, or nullopt when the format is not on the clipboard.
std::optional<DWORD> registeredFormatValue(const wchar_t* name) {
    const UINT format = RegisterClipboardFormatW(name);
    if (!format || !OpenClipboard(nullptr)) return std::nullopt;
    std::optional<DWORD> value;
    if (HANDLE data = GetClipboardData(format)) {
        if (GlobalSize(data) >= sizeof(DWORD)) {
            if (const auto* bytes = static_cast<const DWORD*>(GlobalLock(data))) {
                value = *bytes;
                GlobalUnlock(data);
            }
        }
    }
    CloseClipboard();
    return value;
}

// The text names a patient: it stays out of the clipboard history, the cloud clipboard and clipboard monitors.
TEST(Win32Clipboard, TheTextIsKeptFromHistoryCloudAndMonitors) {
    Win32Clipboard clipboard;
    clipboard.setText(u"$$DFWIN$$ OPEN -n\"Anna Berg\" -c\"1042\" -r -a");
    EXPECT_EQ(clipboardText(), u"$$DFWIN$$ OPEN -n\"Anna Berg\" -c\"1042\" -r -a");
    for (const wchar_t* name : {L"ExcludeClipboardContentFromMonitorProcessing", L"CanIncludeInClipboardHistory",
                                L"CanUploadToCloudClipboard"}) {
        SCOPED_TRACE(utf16ToUtf8(std::u16string(reinterpret_cast<const char16_t*>(name))));
        EXPECT_EQ(registeredFormatValue(name), std::optional<DWORD>(0));
    }
}

// Another program holding the clipboard open keeps it: the failure is reported, never silently skipped.
TEST(Win32Clipboard, AClipboardHeldOpenIsReported) {
    Win32Clipboard clipboard;
    clipboard.setText(u"before");
    HWND holder = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_TRUE(OpenClipboard(holder));
    std::string error;
    try {
        clipboard.setText(u"after");
    } catch (const Error& e) {
        error = e.what();
    }
    CloseClipboard();
    DestroyWindow(holder);
    EXPECT_EQ(error.rfind("Cannot open clipboard: ", 0), 0u) << error;
    EXPECT_EQ(clipboardText(), u"before");
}

}  // namespace
}  // namespace veltrane::platform::win32
