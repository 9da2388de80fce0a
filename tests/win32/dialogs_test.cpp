// The message boxes and the file dialog as the user meets them: real windows under Xvfb, read back and answered
// from a second thread while the GUI thread is inside the modal call.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <functional>
#include <future>

#include "gui_test_support.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"
#include "support/wait_for.h"
#include "win32_test_support.h"
#include "windows/services/win32_dialogs.h"

namespace veltrane::platform::win32 {
namespace {

using namespace std::chrono_literals;
using testing::className;
using testing::descendants;
using testing::windowText;

// What the user saw of one box, and whether Enter closed it.
struct SeenBox {
    bool appeared = false;
    std::wstring title;
    std::wstring text;
    bool icon = false;
    RECT bounds{};
    HWND owner = nullptr;
    bool ownerDisabled = false;
    bool closedByEnter = false;
};

SeenBox answerBox() {
    SeenBox seen;
    HWND box = testing::waitForDialog();
    if (!box) return seen;
    seen.appeared = true;
    // The box is moved to its place as it is activated: wait until it stays where it is.
    testing::waitFor([&] { return GetForegroundWindow() == box; }, 5s);
    RECT last{};
    GetWindowRect(box, &last);
    int unchanged = 0;
    testing::waitFor(
        [&] {
            RECT now{};
            GetWindowRect(box, &now);
            unchanged = EqualRect(&now, &last) ? unchanged + 1 : 0;
            last = now;
            return unchanged >= 5;
        },
        5s, 20ms);
    seen.title = windowText(box);
    for (HWND child : descendants(box)) {
        if (className(child) != L"Static" || !IsWindowVisible(child)) continue;
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        // The icon's place may stay in the box without an icon in it.
        if ((style & SS_TYPEMASK) == SS_ICON)
            seen.icon = seen.icon || SendMessageW(child, STM_GETICON, 0, 0) != 0;
        else if (!windowText(child).empty())
            seen.text = windowText(child);
    }
    GetWindowRect(box, &seen.bounds);
    seen.owner = GetWindow(box, GW_OWNER);
    seen.ownerDisabled = seen.owner && !IsWindowEnabled(seen.owner);
    // A key pressed before the box has the focus goes elsewhere on a busy machine: press again, Enter only.
    for (int attempt = 0; attempt < 3 && !seen.closedByEnter; ++attempt) {
        SetForegroundWindow(box);
        testing::pressKey(VK_RETURN);
        seen.closedByEnter = testing::waitFor([&] { return !IsWindow(box); }, 4s);
    }
    if (!seen.closedByEnter) PostMessageW(box, WM_COMMAND, IDOK, 0);  // so a failing test does not hang
    return seen;
}

// A main window off the screen's centre, as the configuration window may be.
class OwnerWindow {
public:
    OwnerWindow() {
        window_ = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE | WS_BORDER, 10, 10, 200, 150, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    ~OwnerWindow() { DestroyWindow(window_); }
    OwnerWindow(const OwnerWindow&) = delete;
    OwnerWindow& operator=(const OwnerWindow&) = delete;
    HWND get() const { return window_; }

private:
    HWND window_;
};

POINT centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

TEST(Win32Dialogs, MessageBoxesShowTheExactTextAndCloseWithEnter) {
    OwnerWindow owner;
    ASSERT_TRUE(owner.get());
    struct Case {
        const char* name;
        std::u16string text;
        bool withOwner;
        bool error;
        MessagePlacement placement;
    };
    const Case cases[] = {
        {"confirmation centred on the screen", u"Default Appointment Printer set to Kärtchen & Co \u65E5\u672C", true,
         false, MessagePlacement::ScreenCentered},
        {"message at the default place", u"No imaging system set", true, false, MessagePlacement::Default},
        {"message before the window exists", u"line one\r\nline two", false, false, MessagePlacement::Default},
        {"centred without an owner", u"Default Receipt Printer set to Bon-Drucker", false, false,
         MessagePlacement::ScreenCentered},
        {"error report", u"'yes' is not a valid boolean value", true, true, MessagePlacement::Default},
    };
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Win32Dialogs dialogs(c.withOwner ? owner.get() : nullptr);
        auto seen = std::async(std::launch::async, answerBox);
        if (c.error)
            dialogs.showError(c.text);
        else
            dialogs.showMessage(c.text, c.placement);
        const SeenBox box = seen.get();
        ASSERT_TRUE(box.appeared);
        EXPECT_TRUE(box.closedByEnter);
        EXPECT_EQ(box.title, L"Veltrane Client Tools");
        EXPECT_EQ(std::u16string(box.text.begin(), box.text.end()), c.text);
        EXPECT_EQ(box.icon, c.error);
        if (c.withOwner) {
            EXPECT_EQ(box.owner, owner.get());
            EXPECT_TRUE(box.ownerDisabled) << "the box must be modal for its window";
        }
        if (c.placement == MessagePlacement::ScreenCentered) {
            const POINT got = centre(box.bounds), want = centre(screen);
            EXPECT_LE(std::abs(got.x - want.x), 1) << got.x << " against " << want.x;
            EXPECT_LE(std::abs(got.y - want.y), 1) << got.y << " against " << want.y;
        }
        if (c.withOwner) {
            EXPECT_TRUE(IsWindowEnabled(owner.get())) << "the owner must work again afterwards";
        }
    }
}

// A zero inside a text must not hide what follows it.
TEST(Win32Dialogs, AZeroInsideTheTextDoesNotCutItShort) {
    Win32Dialogs dialogs;
    auto seen = std::async(std::launch::async, answerBox);
    dialogs.showMessage(std::u16string(u"before\0after", 12), MessagePlacement::Default);
    const SeenBox box = seen.get();
    ASSERT_TRUE(box.appeared);
    EXPECT_EQ(box.text, L"before after");
}

// Answers the file dialog: Escape, or the path typed into its name field and Enter.
struct DialogAnswer {
    bool appeared = false;
    bool closed = false;
};

HWND nameField(HWND dialog) {
    // The file-name box is the editable field whose text is sent with Enter; in folder mode it names the folder.
    for (HWND child : descendants(dialog)) {
        if (className(child) == L"Edit" && IsWindowVisible(child) && IsWindowEnabled(child)) return child;
    }
    return nullptr;
}

DialogAnswer answerFileDialog(const std::wstring& typed) {
    DialogAnswer answer;
    HWND dialog = testing::waitForDialog();
    if (!dialog) return answer;
    answer.appeared = true;
    testing::waitFor([&] { return GetForegroundWindow() == dialog; }, 5s);
    // Its controls are made after the dialog appears: answer once its name field takes input.
    testing::waitFor([&] { return nameField(dialog) != nullptr; }, 5s);
    const auto gone = [&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); };
    for (int attempt = 0; attempt < 3 && !answer.closed; ++attempt) {
        SetForegroundWindow(dialog);
        if (typed.empty()) {
            testing::pressKey(VK_ESCAPE);
        } else if (HWND field = nameField(dialog)) {
            SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
            testing::pressKey(VK_RETURN);
        }
        answer.closed = testing::waitFor(gone, 4s);
    }
    if (!answer.closed) PostMessageW(dialog, WM_CLOSE, 0, 0);
    return answer;
}

// When a box or the file dialog closes, the keyboard is back where the user left it, not on the bare window.
TEST(Win32Dialogs, TheFocusReturnsToTheControlThatHadIt) {
    HWND owner = CreateWindowExW(WS_EX_CONTROLPARENT, L"STATIC", L"owner", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 10,
                                 10, 300, 150, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(owner);
    HWND first = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 10, 200, 24, owner, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    HWND second = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 50, 200, 24, owner, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(first && second);
    Win32Dialogs dialogs(owner);
    const struct {
        const char* name;
        std::function<void()> show;
        std::function<bool()> answer;
    } cases[] = {
        {"message", [&] { dialogs.showMessage(u"Default Appointment Printer set to Card", MessagePlacement::Default); },
         [] { return answerBox().closedByEnter; }},
        {"error", [&] { dialogs.showError(u"'yes' is not a valid boolean value"); },
         [] { return answerBox().closedByEnter; }},
        {"cancelled file dialog", [&] { EXPECT_FALSE(dialogs.chooseFileOrFolder(true)); },
         [] { return answerFileDialog(L"").closed; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetForegroundWindow(owner);
        SetFocus(second);
        ASSERT_EQ(GetFocus(), second);
        auto answered = std::async(std::launch::async, c.answer);
        c.show();
        EXPECT_TRUE(answered.get());
        EXPECT_EQ(GetFocus(), second);
    }
    DestroyWindow(owner);
}

TEST(Win32Dialogs, ACancelledFileDialogGivesNothing) {
    OwnerWindow owner;
    for (const bool folderMode : {true, false}) {
        SCOPED_TRACE(folderMode ? "folder mode" : "file mode");
        Win32Dialogs dialogs(owner.get());
        auto answered = std::async(std::launch::async, answerFileDialog, std::wstring());
        const auto chosen = dialogs.chooseFileOrFolder(folderMode);
        const DialogAnswer answer = answered.get();
        ASSERT_TRUE(answer.appeared);
        EXPECT_TRUE(answer.closed);
        EXPECT_EQ(chosen, std::nullopt);
    }
}

TEST(Win32Dialogs, TheChosenPathComesBackExactly) {
    testing::TempDir temp;
    const std::filesystem::path folder = temp.path() / L"Bilder Zähne \u65E5\u672C";
    std::filesystem::create_directories(folder);
    const std::filesystem::path file = folder / L"Röntgen Łódź.exe";
    testing::writeFile(file, "MZ");
    struct Case {
        const char* name;
        bool folderMode;
        std::filesystem::path path;
    };
    const Case cases[] = {{"a file", false, file}, {"a folder", true, folder}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Win32Dialogs dialogs;
        auto answered = std::async(std::launch::async, answerFileDialog, c.path.wstring());
        const auto chosen = dialogs.chooseFileOrFolder(c.folderMode);
        ASSERT_TRUE(answered.get().appeared);
        ASSERT_TRUE(chosen.has_value());
        EXPECT_EQ(*chosen, testing::u16path(c.path));
    }
}

}  // namespace
}  // namespace veltrane::platform::win32
