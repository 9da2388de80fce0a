// What a screen reader learns of the native window under Wine (the names MSAA gives each control, the labels made
// just before the controls they name) and the keys that change pages, over the fakes.

// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>
// clang-format on

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/tform1.h"
#include "app/window/accessible_names.h"
#include "app/window/imaging_pages.h"
#include "app/window/window_table.h"
#include "fakes/fake_platform.h"
#include "windows/common/wide_text.h"
#include "windows/window/main_window.h"

using namespace veltrane;
using platform::win32::window::MainWindow;
using K = app::ControlKind;

namespace {

struct Accessibility : ::testing::Test {
    fakes::FakePlatform p;
    app::TForm1 form{p.bundle};
    std::unique_ptr<MainWindow> window;

    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        p.printers.names = {u"Card Printer", u"Receipt Printer"};
    }
    void TearDown() override {
        window.reset();
        CoUninitialize();
    }
    void start() {
        form.FormCreate();
        window = std::make_unique<MainWindow>(form);
        window->show(SW_SHOWNORMAL);
        pump();
    }
    void pump() {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) window->dispatch(message);
    }
    HWND at(std::u16string_view name) const {
        HWND found = window->control(name);
        EXPECT_TRUE(found) << "no window for " << utf16ToUtf8(std::u16string(name));
        return found;
    }
    // A key pressed with these modifiers held, through the window's message handling.
    void press(HWND to, UINT key, bool ctrl, bool shift = false) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_CONTROL] = ctrl ? 0x80 : 0;
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(keys);
        MSG down{to, WM_KEYDOWN, key, 1, 0, {}};
        window->dispatch(down);
        keys[VK_CONTROL] = keys[VK_SHIFT] = 0;
        SetKeyboardState(keys);
        pump();
    }
};

// The name MSAA gives a window's client object, or why there is none.
std::u16string accName(HWND window) {
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(&object))) ||
        !object)
        return u"(no object)";
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    const HRESULT got = object->get_accName(self, &name);
    object->Release();
    if (FAILED(got)) return u"(no name)";
    std::u16string text = name ? platform::win32::fromWide(name) : u"";
    SysFreeString(name);
    return text;
}

}  // namespace

// The system names an edit, list or combo box by the static text made just before it: each label is made right
// before the control it names, and the keyboard order stays that of the table (checked in the window's tests).
TEST_F(Accessibility, EachLabelIsMadeJustBeforeTheControlItNames) {
    start();
    int labelled = 0;
    for (const auto& row : app::windowControls()) {
        const app::ControlRow* label = app::namingLabel(row);
        if (!label) continue;
        SCOPED_TRACE(utf16ToUtf8(row.name));
        EXPECT_EQ(GetWindow(at(row.name), GW_HWNDPREV), at(label->name));
        // Now above its control in the window order, a label must not reach into it, or it would be drawn over it.
        RECT labelRect, controlRect, overlap;
        GetWindowRect(at(label->name), &labelRect);
        GetWindowRect(at(row.name), &controlRect);
        EXPECT_FALSE(IntersectRect(&overlap, &labelRect, &controlRect));
        ++labelled;
    }
    EXPECT_GT(labelled, 30);
}

// Every control as MSAA tells it, under Wine: with the system's annotations each has the name of the shared rule.
// Without them (Wine's service takes none) edits are named by the label before them and buttons and boxes by
// their caption. Wine names no list or combo box from its label, nor the memos, which no label names; where their
// label lies is checked above.
TEST_F(Accessibility, EveryControlHasItsNameForScreenReaders) {
    start();
    int named = 0;
    for (const auto& row : app::windowControls()) {
        if (!app::isInteractive(row) || row.kind == K::TabSheet) continue;
        SCOPED_TRACE(utf16ToUtf8(row.name));
        const std::u16string got = accName(at(row.name));
        if (window->namesAnnotated()) {
            EXPECT_EQ(got, app::accessibleName(row));
        } else if (row.kind == K::Edit) {
            const app::ControlRow* label = app::namingLabel(row);
            ASSERT_NE(label, nullptr);
            EXPECT_EQ(got, label->caption);
        } else if (row.kind == K::Button || row.kind == K::CheckBox || row.kind == K::RadioButton) {
            EXPECT_FALSE(got.empty());
            EXPECT_EQ(got, row.caption);  // the table's captions hold no '&'
        } else {
            continue;
        }
        ++named;
    }
    EXPECT_GT(named, 90);
    std::printf("names %s\n", window->namesAnnotated() ? "annotated" : "from labels and captions (no annotations)");
}

// Ctrl+Tab and its kin change the pages of the page control that holds the focus, round the ends, and leave the
// focus on its tabs; what was typed into an edit left that way is stored.
TEST_F(Accessibility, CtrlTabAndCtrlPageKeysChangePages) {
    struct Case {
        const char16_t* from;
        int outer, inner;
        UINT key;
        bool shift;
        int outerAfter, innerAfter;
    };
    const Case cases[] = {
        {u"ComboBoxApptType", 0, 2, VK_TAB, false, 1, 2},
        {u"Button2", 0, 2, VK_TAB, true, 3, 2},
        {u"Memo1", 1, 2, VK_NEXT, false, 2, 2},
        {u"PageControl1", 1, 2, VK_PRIOR, false, 0, 2},
        {u"Edit_dexis_program", 2, 2, VK_TAB, false, 2, 3},
        {u"PageControl2", 2, 2, VK_PRIOR, false, 2, 1},
        {u"Edit_ezdenti_program", 2, app::kImagingPageCount - 1, VK_TAB, false, 2, 0},
        {u"ColorButton1", 2, 5, VK_NEXT, false, 3, 5},
    };
    start();
    for (const auto& c : cases) {
        SCOPED_TRACE(utf16ToUtf8(c.from));
        form.PageControl1.ActivePageIndex = c.outer;
        form.PageControl2.ActivePageIndex = c.inner;
        window->render();
        SetFocus(at(c.from));
        pump();
        press(GetFocus(), c.key, true, c.shift);
        EXPECT_EQ(form.PageControl1.ActivePageIndex, c.outerAfter);
        EXPECT_EQ(SendMessageW(at(u"PageControl1"), TCM_GETCURSEL, 0, 0), c.outerAfter);
        EXPECT_EQ(form.PageControl2.ActivePageIndex, c.innerAfter);
        EXPECT_EQ(SendMessageW(at(u"PageControl2"), TCM_GETCURSEL, 0, 0), c.innerAfter);
        EXPECT_EQ(GetFocus(), at(c.innerAfter != c.inner ? u"PageControl2" : u"PageControl1"));
    }

    // A plain Tab still moves the focus only.
    form.PageControl1.ActivePageIndex = 0;
    window->render();
    SetFocus(at(u"Button2"));
    press(GetFocus(), VK_TAB, false);
    EXPECT_EQ(GetFocus(), at(u"Button3"));
    EXPECT_EQ(form.PageControl1.ActivePageIndex, 0);

    form.PageControl1.ActivePageIndex = 2;
    form.PageControl2.ActivePageIndex = 2;  // Dexis
    window->render();
    HWND edit = at(u"Edit_dexis_program");
    SetFocus(edit);
    pump();
    for (char16_t ch : std::u16string(u"C:\\Dexis")) SendMessageW(edit, WM_CHAR, ch, 1);
    press(edit, VK_TAB, true);
    EXPECT_EQ(p.registry.getString(fakes::kVeltraneKey, u"dexis_program").value_or(u"(absent)"), u"C:\\Dexis\\");
}

// The empty browser area is no stop for Tab until it shows a page.
TEST_F(Accessibility, TheBrowserAreaIsATabStopOnlyWithAPage) {
    start();
    // A stand-in for the browser control, a focus stop of its own as the real one is.
    HWND browser = CreateWindowExW(0, L"BUTTON", L"page", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 10, 10,
                                   window->browserPanel(), nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(browser);
    form.PageControl1.ActivePageIndex = 0;
    window->render();
    EXPECT_EQ(GetNextDlgTabItem(window->handle(), at(u"ListBoxPrinters"), FALSE), at(u"ColorButton1"));
    form.PrintAgainEnabled = true;
    window->render();
    EXPECT_EQ(GetNextDlgTabItem(window->handle(), at(u"ListBoxPrinters"), FALSE), browser);
    form.PrintAgainEnabled = false;
    window->render();
    EXPECT_EQ(GetNextDlgTabItem(window->handle(), at(u"ListBoxPrinters"), FALSE), at(u"ColorButton1"));
    DestroyWindow(browser);
}

// Enter presses the focused button as Space does, through the dialog manager, as on the platform's own windows.
TEST_F(Accessibility, EnterAndSpacePressTheFocusedButton) {
    start();
    form.PageControl1.ActivePageIndex = 0;
    window->render();
    HWND button = at(u"Button2");  // no printer chosen: its handler says so
    for (UINT key : {VK_RETURN, VK_SPACE}) {
        SCOPED_TRACE(key);
        p.dialogs.shown.clear();
        SetFocus(button);
        pump();
        MSG down{button, WM_KEYDOWN, key, 1, 0, {}};
        window->dispatch(down);
        MSG up{button, WM_KEYUP, key, 0xC0000001, 0, {}};
        window->dispatch(up);
        pump();
        ASSERT_EQ(p.dialogs.shown.size(), 1u);
        EXPECT_EQ(p.dialogs.shown[0].text, u"List index out of bounds (-1)");
    }
    // Enter held down presses once: the repeats the keyboard sends press nothing more.
    p.dialogs.shown.clear();
    SetFocus(button);
    pump();
    for (LPARAM state : {LPARAM{1}, LPARAM{1 | (1L << 30)}, LPARAM{1 | (1L << 30)}}) {
        MSG down{button, WM_KEYDOWN, VK_RETURN, state, 0, {}};
        window->dispatch(down);
    }
    pump();
    EXPECT_EQ(p.dialogs.shown.size(), 1u);
    // A disabled button ("Print Again" without a page) is never pressed.
    HWND printAgain = at(u"ColorButton2");
    ASSERT_FALSE(IsWindowEnabled(printAgain));
    p.dialogs.shown.clear();
    const auto writes = p.registry.writeLog.size();
    MSG enter{printAgain, WM_KEYDOWN, VK_RETURN, 1, 0, {}};
    window->dispatch(enter);
    pump();
    EXPECT_TRUE(p.dialogs.shown.empty());
    EXPECT_EQ(p.registry.writeLog.size(), writes);
}
