// The native main window under Wine, built for a window model over the fakes: its frame, every control of the
// window table, keyboard order, and events reaching the core's handlers.

#include "windows/window/main_window.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/tform1.h"
#include "app/window/imaging_pages.h"
#include "app/window/window_table.h"
#include "fakes/fake_platform.h"
#include "support/wait_for.h"
#include "windows/common/wide_text.h"
#include "windows/window/dpi.h"

using namespace veltrane;
using platform::win32::window::MainWindow;
using platform::win32::window::scaled;
using K = app::ControlKind;

// Found by argument lookup from the assertions, so at the global scope of RECT itself.
bool operator==(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }
void PrintTo(const RECT& r, std::ostream* out) {
    *out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

namespace {

std::u16string textOf(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return platform::win32::fromWide(text);
}

std::wstring classOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    std::wstring lower(name);
    for (auto& c : lower) c = static_cast<wchar_t>(towlower(c));
    return lower;
}

// A child's place in its parent's client area.
RECT boundsOf(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// What the screen shows of a window's client area: its place on the screen and its pixels, row by row.
struct Screenshot {
    RECT area{};
    std::vector<COLORREF> pixels;
    COLORREF at(int x, int y) const { return pixels[static_cast<std::size_t>(y * (area.right - area.left) + x)]; }
};

Screenshot screenshotOf(HWND window) {
    Screenshot shot;
    GetClientRect(window, &shot.area);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&shot.area), 2);
    const int width = shot.area.right - shot.area.left, height = shot.area.bottom - shot.area.top;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, shot.area.left, shot.area.top, SRCCOPY);
    const auto* bgrx = static_cast<const unsigned char*>(bits);
    for (int i = 0; i < width * height; ++i, bgrx += 4) shot.pixels.push_back(RGB(bgrx[2], bgrx[1], bgrx[0]));
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return shot;
}

struct Window : ::testing::Test {
    fakes::FakePlatform p;
    app::TForm1 form{p.bundle};
    std::unique_ptr<MainWindow> window;

    void SetUp() override {
        p.printers.names = {u"Card Printer", u"Receipt Printer"};
        p.registry.setString(fakes::kVeltraneKey, u"appt_type", u"Normal");
    }
    void start() {
        form.FormCreate();
        window = std::make_unique<MainWindow>(form);
        window->show(SW_SHOWNORMAL);
        pump();
    }
    HWND at(std::u16string_view name) const {
        HWND found = window->control(name);
        EXPECT_TRUE(found) << "no window for " << utf16ToUtf8(std::u16string(name));
        return found;
    }
    // Runs the window's messages until the condition holds, or fails after a deadline. Asked again after each
    // message, so the messages after the one that made it hold stay for the test to see.
    bool pumpUntil(const std::function<bool()>& done) {
        return veltrane::testing::waitFor(
            [&] {
                MSG message;
                while (!done() && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) window->dispatch(message);
                return done();
            },
            std::chrono::seconds(10));
    }
    void pump() {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) window->dispatch(message);
    }
    // A click on a tab, as the mouse gives it to the tab control.
    void clickTab(std::u16string_view pageControl, int index) {
        HWND tabs = at(pageControl);
        RECT tab;
        SendMessageW(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&tab));
        const LPARAM point = MAKELPARAM((tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2);
        SendMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, point);
        SendMessageW(tabs, WM_LBUTTONUP, 0, point);
        pump();
    }
    void type(HWND into, std::u16string_view text) {
        for (char16_t c : text) SendMessageW(into, WM_CHAR, c, 1);
    }
    std::u16string setting(const std::u16string& name) const {
        return p.registry.getString(fakes::kVeltraneKey, name).value_or(u"(absent)");
    }
    int px(int designed) const { return scaled(designed, window->dpi()); }
};

TEST_F(Window, HasTheTitleAFixedDesignedClientAreaAndNoTitleBarButtons) {
    start();
    HWND main = window->handle();
    EXPECT_EQ(textOf(main), u"Veltrane Client Tools");
    // The scaling the run was started with, so a run meant for 150 % cannot pass at 100 %.
    if (const char* expected = std::getenv("VELTRANE_EXPECT_DPI")) {
        EXPECT_EQ(window->dpi(), std::atoi(expected));
    }
    RECT client;
    GetClientRect(main, &client);
    EXPECT_EQ(client.right, px(app::mainWindowDesign().clientWidth));
    EXPECT_EQ(client.bottom, px(app::mainWindowDesign().clientHeight));
    const LONG_PTR style = GetWindowLongPtrW(main, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    for (LONG_PTR absent : {WS_SYSMENU, WS_MINIMIZEBOX, WS_MAXIMIZEBOX, WS_THICKFRAME})
        EXPECT_FALSE(style & absent) << std::hex << absent;
    // Closing from outside (Alt+F4) is refused: only DONE ends the program.
    SendMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(main));
    EXPECT_TRUE(IsWindowVisible(main));
}

// Every row of the table against the window built from it.
TEST_F(Window, EveryTableControlIsAChildWindowOfItsKindPlaceAndCaption) {
    start();
    for (const auto& row : app::windowControls()) {
        SCOPED_TRACE(utf16ToUtf8(row.name));
        if (row.kind == K::Browser) {
            EXPECT_EQ(window->control(row.name), nullptr);  // the browser host makes it
            continue;
        }
        HWND control = at(row.name);
        if (!control) continue;
        // The parent: the table's, except that pages sit beside their tab control.
        const app::ControlRow* parentRow = app::findControl(row.parent);
        HWND parent = !parentRow                ? window->handle()
                      : row.kind == K::TabSheet ? GetParent(at(row.parent))
                                                : at(row.parent);
        EXPECT_EQ(GetParent(control), parent);

        const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
        const std::map<K, std::wstring> classes{{K::Label, L"static"},
                                                {K::Button, L"button"},
                                                {K::CheckBox, L"button"},
                                                {K::Edit, L"edit"},
                                                {K::Memo, L"edit"},
                                                {K::ListBox, L"listbox"},
                                                {K::ComboBox, L"combobox"},
                                                {K::PageControl, L"systabcontrol32"},
                                                {K::TabSheet, L"veltranecontainer"},
                                                {K::Panel, L"veltranecontainer"},
                                                {K::FlowPanel, L"veltranecontainer"},
                                                {K::GroupBox, L"button"},
                                                {K::RadioGroup, L"button"},
                                                {K::RadioButton, L"button"}};
        EXPECT_EQ(classOf(control), classes.at(row.kind));
        const std::map<K, LONG_PTR> buttonTypes{{K::Button, BS_PUSHBUTTON},
                                                {K::CheckBox, BS_AUTOCHECKBOX},
                                                {K::GroupBox, BS_GROUPBOX},
                                                {K::RadioGroup, BS_GROUPBOX},
                                                {K::RadioButton, BS_AUTORADIOBUTTON}};
        if (auto type = buttonTypes.find(row.kind); type != buttonTypes.end()) {
            EXPECT_EQ(style & BS_TYPEMASK, type->second);
        }
        if (row.kind == K::Memo) {
            EXPECT_TRUE(style & ES_MULTILINE);
            EXPECT_EQ((style & ES_READONLY) != 0, row.readOnly);
            EXPECT_EQ((GetWindowLongPtrW(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0, row.border);
        }
        if (row.kind == K::PageControl) {
            EXPECT_TRUE(style & TCS_MULTILINE);
        }
        // "Print Again" is enabled by the model once a page has loaded.
        EXPECT_EQ(IsWindowEnabled(control) != FALSE, row.enabled && row.name != u"ColorButton2");
        if (row.kind != K::TabSheet) {
            EXPECT_EQ((style & WS_VISIBLE) != 0, row.visible);
        }

        // The captions the model changes at start-up aside.
        const bool captioned = row.kind == K::Label || row.kind == K::Button || row.kind == K::CheckBox ||
                               row.kind == K::GroupBox || row.kind == K::RadioGroup || row.kind == K::RadioButton;
        const bool fromModel = row.name == u"Label3" || row.name == u"Label4" || row.name == u"LabelApptDefault" ||
                               row.name == u"LabelReceiptDefault";
        if (captioned && !fromModel) {
            EXPECT_EQ(textOf(control), row.caption);
        }

        const RECT bounds = boundsOf(control);
        if (row.kind == K::TabSheet) {
            // A page fills its tab control below the tabs.
            const RECT tabs = boundsOf(at(row.parent));
            EXPECT_GT(bounds.top, tabs.top + px(15));
            EXPECT_GE(bounds.left, tabs.left);
            EXPECT_LE(bounds.right, tabs.right);
            EXPECT_LE(bounds.bottom, tabs.bottom);
            EXPECT_GT(bounds.bottom - bounds.top, (tabs.bottom - tabs.top) / 2);
            continue;
        }
        EXPECT_EQ(bounds.left, px(row.bounds.left));
        EXPECT_EQ(bounds.top, px(row.bounds.top));
        EXPECT_EQ(bounds.bottom, px(row.bounds.top + row.bounds.height));
        if (row.kind == K::Label) {
            // Sized to the caption; the designed width is that of the designed caption in the designed font.
            const int width = bounds.right - bounds.left;
            EXPECT_GT(width, 0);
            if (row.bounds.width > 0 && textOf(control) == row.caption) {
                EXPECT_NEAR(width, px(row.bounds.width), px(row.bounds.width) / 5 + px(3));
            }
        } else {
            EXPECT_EQ(bounds.right, px(row.bounds.left + row.bounds.width));
        }
    }
}

// A few values straight from the layout, so a wrong table row is caught too. Places are not: the test above
// compares every control's with the table, and the table's own are checked in its unit test.
// A spooler that is slow to load or to answer must not keep the window from appearing: the list is asked for
// once the window is on the screen and painted.
TEST_F(Window, ThePrinterListIsAskedForOnlyOnceTheWindowIsPainted) {
    form.FormCreate();
    const int byStartUp = p.printers.namesAsked;
    bool visible = false;
    bool painted = false;
    p.printers.whenNamesAsked = [&] {
        visible = IsWindowVisible(window->handle()) != FALSE;
        painted = GetUpdateRect(window->handle(), nullptr, FALSE) == FALSE;
    };
    window = std::make_unique<MainWindow>(form);
    EXPECT_EQ(p.printers.namesAsked, byStartUp);
    window->show(SW_SHOWNORMAL);
    EXPECT_EQ(p.printers.namesAsked, byStartUp + 1);
    EXPECT_TRUE(visible);
    EXPECT_TRUE(painted);
    EXPECT_EQ(SendMessageW(at(u"ListBoxPrinters"), LB_GETCOUNT, 0, 0), 2);
    // Shown again, the window does not ask again.
    window->show(SW_SHOWNORMAL);
    EXPECT_EQ(p.printers.namesAsked, byStartUp + 1);
}

TEST_F(Window, SpotValuesOfTheDesignedLayout) {
    start();
    EXPECT_EQ(textOf(at(u"ColorButton1")), u"DONE");
    EXPECT_EQ(SendMessageW(at(u"ListBoxPrinters"), LB_GETITEMHEIGHT, 0, 0),
              px(app::findControl(u"ListBoxPrinters")->itemHeight));
    EXPECT_EQ(textOf(at(u"CheckBox_dbswin_noid")), u"Don't send Patient ID");

    const wchar_t* pages1[] = {L"Printers", L"Config", L"Imaging", L"Choose Imaging System"};
    HWND tabs1 = at(u"PageControl1");
    ASSERT_EQ(SendMessageW(tabs1, TCM_GETITEMCOUNT, 0, 0), 4);
    for (int i = 0; i < 4; ++i) {
        wchar_t text[64] = {};
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = 64;
        SendMessageW(tabs1, TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        EXPECT_STREQ(text, pages1[i]);
    }
    // The 24 imaging pages wrap onto several rows, every tab in sight.
    HWND tabs2 = at(u"PageControl2");
    EXPECT_EQ(SendMessageW(tabs2, TCM_GETITEMCOUNT, 0, 0), 24);
    EXPECT_GT(SendMessageW(tabs2, TCM_GETROWCOUNT, 0, 0), 1);
    RECT last;
    SendMessageW(tabs2, TCM_GETITEMRECT, 23, reinterpret_cast<LPARAM>(&last));
    EXPECT_LE(last.right, px(548));

    // Tahoma 8 point (11 pixels), bold 19 pixels on DONE.
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(at(u"Label5"), WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_EQ(font.lfHeight, -px(11));
    EXPECT_STREQ(font.lfFaceName, L"Tahoma");
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(at(u"ColorButton1"), WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_EQ(font.lfHeight, -px(19));
    EXPECT_GE(font.lfWeight, FW_BOLD);
}

// The dialog manager's order, which Tab and Shift+Tab follow, from the page tabs round to them again.
TEST_F(Window, KeyboardOrderFollowsTheTable) {
    struct Case {
        int page;
        int imagingPage;
        std::vector<std::u16string> order;
    };
    const std::vector<Case> cases{
        // "Print Again" is disabled until a page has loaded, so Tab passes it by.
        {0,
         -1,
         {u"PageControl1", u"Button2", u"Button3", u"ComboBoxApptType", u"ComboBoxReceiptType", u"ListBoxPrinters",
          u"ColorButton1", u"PageControl1"}},
        {1, -1, {u"PageControl1", u"Memo1", u"CheckBoxLogging", u"CheckBoxSSL", u"ColorButton1", u"PageControl1"}},
        {2,
         17,
         {u"PageControl1", u"PageControl2", u"Edit_suni_program", u"Button24", u"CheckBox_suni_enabled",
          u"ColorButton1", u"PageControl1"}},
        {2,
         22,
         {u"PageControl1", u"PageControl2", u"CheckBox_cliniview_enabled", u"Button31", u"Edit_cliniview_program",
          u"Edit_cliniview_config", u"Button32", u"ColorButton1", u"PageControl1"}},
        {2,
         5,
         {u"PageControl1", u"PageControl2", u"CheckBox_digora_enabled", u"RadioGroupDigoraNameFormat_2",
          u"ColorButton1", u"PageControl1"}},
    };
    p.registry.setString(fakes::kVeltraneKey, u"digora_nameformat", u"2");
    start();
    for (const auto& c : cases) {
        SCOPED_TRACE(utf16ToUtf8(c.order[2]));
        if (c.imagingPage >= 0) form.PageControl2.ActivePageIndex = c.imagingPage;
        form.PageControl1.ActivePageIndex = c.page;
        window->render();
        HWND current = at(c.order.front());
        for (std::size_t i = 1; i < c.order.size(); ++i) {
            HWND next = GetNextDlgTabItem(window->handle(), current, FALSE);
            EXPECT_EQ(next, at(c.order[i])) << "after " << utf16ToUtf8(c.order[i - 1]);
            EXPECT_EQ(GetNextDlgTabItem(window->handle(), next, TRUE), current)
                << "back from " << utf16ToUtf8(c.order[i]);
            current = next;
        }
    }
}

TEST_F(Window, TabMovesOnFromTheEditableMemoAndStoresTheImagingPagesWhenTheFocusLeavesThem) {
    p.registry.setString(fakes::kVeltraneKey, u"romexis_program", u"C:\\Romexis\\romexis.exe");
    start();
    form.PageControl1.ActivePageIndex = 1;
    window->render();
    HWND memo = at(u"Memo1");
    SetFocus(memo);
    MSG tab{memo, WM_KEYDOWN, VK_TAB, 0, 0, {}};
    window->dispatch(tab);
    EXPECT_EQ(GetFocus(), at(u"CheckBoxLogging"));

    // Leaving the imaging pages for DONE: the edit's own exit first, then the page control's.
    form.PageControl1.ActivePageIndex = 2;
    form.PageControl2.ActivePageIndex = 16;  // Romexis
    window->render();
    HWND edit = at(u"Edit_romexis_program");
    EXPECT_EQ(textOf(edit), u"C:\\Romexis\\romexis.exe");
    SetFocus(edit);
    pump();
    SetWindowTextW(edit, L"D:\\Romexis\\romexis.exe");
    p.registry.writeLog.clear();
    SetFocus(at(u"ColorButton1"));
    EXPECT_TRUE(pumpUntil([&] { return p.registry.writeLog.size() >= 2; }));
    EXPECT_EQ(p.registry.writeLog,
              (std::vector<std::u16string>{u"\\Software\\Veltrane|romexis_program=D:\\Romexis\\romexis.exe",
                                           u"\\Software\\Veltrane|romexis_program=D:\\Romexis\\romexis.exe"}));
}

TEST_F(Window, ClickingATabShowsItsPageAndRunsItsShowHandler) {
    p.registry.setString(fakes::kVeltraneKey, u"logging_enabled", u"1");
    p.registry.setString(fakes::kVeltraneKey, u"cliniview_program", u"C:\\Cliniview\\");
    start();
    EXPECT_TRUE(IsWindowVisible(at(u"TabSheet1")));
    EXPECT_FALSE(IsWindowVisible(at(u"TabSheet2")));

    clickTab(u"PageControl1", 1);
    EXPECT_EQ(form.PageControl1.ActivePageIndex, 1);
    EXPECT_TRUE(IsWindowVisible(at(u"TabSheet2")));
    EXPECT_FALSE(IsWindowVisible(at(u"TabSheet1")));
    // The show read "1" into the box, whose click stored it again in its own form.
    EXPECT_EQ(SendMessageW(at(u"CheckBoxLogging"), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(setting(u"logging_enabled"), u"True");

    // Opening "Imaging" shows the Cliniview page and loads its values.
    clickTab(u"PageControl1", 2);
    EXPECT_TRUE(IsWindowVisible(at(u"TabSheet27")));
    EXPECT_EQ(textOf(at(u"Edit_cliniview_program")), u"C:\\Cliniview\\");
    clickTab(u"PageControl2", 2);
    EXPECT_EQ(form.PageControl2.ActivePageIndex, 2);
    EXPECT_TRUE(IsWindowVisible(at(u"TabSheet6")));
    EXPECT_FALSE(IsWindowVisible(at(u"TabSheet27")));
}

// An empty combo box shows its focus by more than a blinking caret: what it draws around its text field changes
// while it has the focus, and is as before once the focus has gone.
TEST_F(Window, EmptyComboBoxesShowTheirFocus) {
    p.registry.setString(fakes::kVeltraneKey, u"appt_type", u"");
    start();
    for (const char16_t* name : {u"ComboBoxApptType", u"ComboBoxReceiptType"}) {
        SCOPED_TRACE(utf16ToUtf8(name));
        HWND combo = at(name);
        ASSERT_EQ(GetWindowTextLengthW(combo), 0);
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        ASSERT_TRUE(GetComboBoxInfo(combo, &info));
        const auto settled = [&](HWND focus) {
            SetFocus(focus);
            pump();
            UpdateWindow(window->handle());
            return screenshotOf(combo);
        };
        // The caret blinks inside the text field: only what lies around it counts.
        const auto differing = [&](const Screenshot& a, const Screenshot& b) {
            int count = 0;
            for (int y = 0; y < a.area.bottom - a.area.top; ++y)
                for (int x = 0; x < a.area.right - a.area.left; ++x) {
                    const POINT point{x, y};
                    if (!PtInRect(&info.rcItem, point) && a.at(x, y) != b.at(x, y)) ++count;
                }
            return count;
        };
        const Screenshot before = settled(at(u"Button2"));
        const Screenshot focused = settled(combo);
        ASSERT_TRUE(GetFocus() == combo || IsChild(combo, GetFocus()));
        const Screenshot after = settled(at(u"Button2"));
        EXPECT_GT(differing(before, focused), 0) << "nothing shows the focus";
        EXPECT_EQ(differing(before, after), 0) << "the focus left a mark behind";
    }
}

// A group box draws only its frame and caption: the page shown before must not stay visible inside it.
TEST_F(Window, GroupBoxesShowNothingOfThePageShownBefore) {
    p.registry.setString(fakes::kVeltraneKey, u"cliniview_program", u"C:\\Program Files\\Cliniview\\");
    p.registry.setString(fakes::kVeltraneKey, u"cliniview_images", u"C:\\ProgramData\\Cliniview\\");
    start();
    // The Cliniview page's labels, edits and notes lie where the Digora page's group box will be.
    clickTab(u"PageControl1", 2);
    UpdateWindow(window->handle());
    pump();
    ASSERT_TRUE(IsWindowVisible(at(u"TabSheet27")));
    clickTab(u"PageControl2", app::imagingPageIndex(u"TabSheet9"));
    UpdateWindow(window->handle());
    pump();
    HWND group = at(u"RadioGroupDigoraNameFormat");
    ASSERT_TRUE(IsWindowVisible(group));

    const Screenshot shot = screenshotOf(group);
    std::vector<RECT> items;
    for (HWND item = GetWindow(group, GW_CHILD); item; item = GetWindow(item, GW_HWNDNEXT)) {
        RECT r;
        GetWindowRect(item, &r);
        items.push_back(r);
    }
    // Inside the frame, below the caption and outside the items, everything is the page's colour.
    const COLORREF page = GetSysColor(COLOR_BTNFACE);
    const int width = shot.area.right - shot.area.left, height = shot.area.bottom - shot.area.top;
    const int edge = px(4), caption = px(16);
    int stray = 0;
    POINT first{-1, -1};
    for (int y = caption; y < height - edge; ++y) {
        for (int x = edge; x < width - edge; ++x) {
            const POINT onScreen{shot.area.left + x, shot.area.top + y};
            bool onItem = false;
            for (const RECT& r : items) onItem = onItem || PtInRect(&r, onScreen);
            if (onItem || shot.at(x, y) == page) continue;
            if (!stray++) first = {x, y};
        }
    }
    EXPECT_EQ(stray, 0) << "pixels not of the page's colour inside the group box, the first at " << first.x << ", "
                        << first.y;
}

TEST_F(Window, TypingIntoAnImagingEditAndLeavingItStoresTheValue) {
    start();
    form.PageControl1.ActivePageIndex = 2;
    form.PageControl2.ActivePageIndex = 2;  // Dexis
    window->render();
    HWND edit = at(u"Edit_dexis_program");
    SetFocus(edit);
    pump();
    type(edit, u"C:\\Dexis");
    EXPECT_EQ(form.imagingEdit(u"Edit_dexis_program").Text, u"C:\\Dexis");
    EXPECT_EQ(setting(u"dexis_program"), u"(absent)");  // nothing stored while typing
    SetFocus(at(u"Button6"));
    // Stored in folder form once the focus has left.
    EXPECT_TRUE(pumpUntil([&] { return setting(u"dexis_program") == u"C:\\Dexis\\"; }))
        << utf16ToUtf8(setting(u"dexis_program"));
    // The edit shows what is stored.
    EXPECT_TRUE(pumpUntil([&] { return textOf(edit) == u"C:\\Dexis\\"; })) << utf16ToUtf8(textOf(edit));
}

TEST_F(Window, ControlEventsReachTheirHandlers) {
    start();
    // A combo box stores every typed character.
    HWND combo = at(u"ComboBoxApptType");
    EXPECT_EQ(textOf(combo), u"Normal");
    SetWindowTextW(combo, L"");
    HWND comboEdit = GetWindow(combo, GW_CHILD);
    ASSERT_TRUE(comboEdit);
    type(comboEdit, u"De");
    pump();
    EXPECT_EQ(setting(u"appt_type"), u"De");
    std::vector<std::u16string> typeWrites;
    for (const auto& write : p.registry.writeLog)
        if (write.find(u"appt_type=") != std::u16string::npos) typeWrites.push_back(write.substr(write.find(u'|') + 1));
    EXPECT_EQ(typeWrites, (std::vector<std::u16string>{u"appt_type=D", u"appt_type=De"}));

    // An error of a handler is shown in a message box, and nothing is stored.
    SendMessageW(at(u"Button2"), BM_CLICK, 0, 0);
    ASSERT_EQ(p.dialogs.shown.size(), 1u);
    EXPECT_TRUE(p.dialogs.shown[0].error);
    EXPECT_EQ(p.dialogs.shown[0].text, u"List index out of bounds (-1)");
    EXPECT_EQ(setting(u"apptcard_printer"), u"(absent)");

    // A chosen printer goes into the model; the button stores it and the label shows it, sized to it.
    HWND list = at(u"ListBoxPrinters");
    ASSERT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 2);
    RECT item;
    SendMessageW(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(item.left + 5, item.top + 2));
    SendMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(item.left + 5, item.top + 2));
    EXPECT_EQ(form.ListBoxPrinters.ItemIndex, 1);
    SendMessageW(at(u"Button2"), BM_CLICK, 0, 0);
    EXPECT_EQ(setting(u"apptcard_printer"), u"Receipt Printer");
    EXPECT_EQ(textOf(at(u"LabelApptDefault")), u"Receipt Printer");
    RECT label = boundsOf(at(u"LabelApptDefault"));
    EXPECT_GT(label.right - label.left, px(49));  // wider than "no default"
    ASSERT_EQ(p.dialogs.shown.size(), 2u);
    EXPECT_EQ(p.dialogs.shown[1].text, u"Default Appointment Printer set to Receipt Printer");

    // A check box click stores its flag; a radio item its index.
    form.PageControl1.ActivePageIndex = 2;
    form.PageControl2.ActivePageIndex = 5;  // Digora
    p.registry.setString(fakes::kVeltraneKey, u"digora_nameformat", u"0");
    window->render();
    SendMessageW(at(u"CheckBox_digora_enabled"), BM_CLICK, 0, 0);
    EXPECT_EQ(setting(u"digora_enabled"), u"True");
    EXPECT_TRUE(form.imagingCheckBox(u"CheckBox_digora_enabled").Checked);
    SendMessageW(at(u"RadioGroupDigoraNameFormat_2"), BM_CLICK, 0, 0);
    EXPECT_EQ(setting(u"digora_nameformat"), u"2");
    EXPECT_EQ(SendMessageW(at(u"RadioGroupDigoraNameFormat_0"), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(Window, ImagingButtonsFitThePanel) {
    start();
    struct Case {
        int systems;
        bool designedSize;
    };
    for (const Case c : {Case{3, true}, Case{6, true}, Case{14, false}}) {
        SCOPED_TRACE(c.systems);
        const std::size_t before = window->imagingButtons().size();
        for (std::size_t i = before; i < static_cast<std::size_t>(c.systems); ++i)
            form.FlowPanel1.Buttons.push_back(
                {u"Imaging system " + std::u16string(1, static_cast<char16_t>(u'A' + i)), 543, 60, 30, true});
        form.PageControl1.ActivePageIndex = 3;
        window->render();
        const auto& buttons = window->imagingButtons();
        ASSERT_EQ(buttons.size(), static_cast<std::size_t>(c.systems));
        RECT panel;
        GetClientRect(at(u"FlowPanel1"), &panel);
        for (std::size_t i = 0; i < buttons.size(); ++i) {
            const RECT b = boundsOf(buttons[i]);
            EXPECT_EQ(textOf(buttons[i]).substr(0, 15), u"Imaging system ");
            EXPECT_GE(b.left, 0);
            EXPECT_LE(b.right, panel.right);
            EXPECT_LE(b.bottom, panel.bottom);
            const int row = static_cast<int>(i);
            if (c.designedSize) {
                EXPECT_EQ(b, (RECT{0, px(60 * row), px(543), px(60 * (row + 1))}));
            }
            for (std::size_t j = 0; j < i; ++j) {
                RECT overlap;
                const RECT other = boundsOf(buttons[j]);
                EXPECT_FALSE(IntersectRect(&overlap, &b, &other)) << i << " overlaps " << j;
            }
            // Keyboard order: the buttons in the order they were made, before the check box.
            EXPECT_EQ(GetNextDlgTabItem(window->handle(), buttons[i], FALSE),
                      i + 1 < buttons.size() ? buttons[i + 1] : at(u"CheckBox_imaging_autoload"));
        }
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(buttons[0], WM_GETFONT, 0, 0)), sizeof font, &font);
        if (c.designedSize) {
            EXPECT_EQ(font.lfHeight, -px(40));  // 30 point
        } else {
            EXPECT_GT(font.lfHeight, -px(40));
        }
    }
}

TEST_F(Window, PrintViewStateIsRendered) {
    start();
    EXPECT_FALSE(IsWindowEnabled(at(u"ColorButton2")));
    EXPECT_FALSE(IsWindowVisible(at(u"ButtonCloseAnyway")));
    EXPECT_FALSE(IsWindowVisible(window->printStatus()));
    EXPECT_EQ(GetParent(window->printStatus()), window->browserPanel());
    form.PrintAgainEnabled = true;
    form.CloseAnywayVisible = true;
    form.PrintStatus.Caption = u"Loading the page & more";
    window->render();
    EXPECT_TRUE(IsWindowEnabled(at(u"ColorButton2")));
    EXPECT_TRUE(IsWindowVisible(at(u"ButtonCloseAnyway")));
    EXPECT_TRUE(IsWindowVisible(window->printStatus()));
    EXPECT_EQ(textOf(window->printStatus()), u"Loading the page & more");
    RECT status = boundsOf(window->printStatus()), panel;
    GetClientRect(window->browserPanel(), &panel);
    EXPECT_EQ(status.bottom, panel.bottom - px(1));  // over the foot of the page
}

// A failure says which page and why in a long text: it is drawn in the window's normal font and wraps, all of it
// inside the status line, at every scaling.
TEST_F(Window, ALongStatusIsDrawnInTheNormalFontAndFitsWhole) {
    start();
    form.PrintStatus.Caption =
        u"The page http://127.0.0.1:8147/veltrane_docs/store/1234/apptcard.html could not be loaded: the server "
        u"refused the connection: is the practice server running, and is its address right? Press Print Again to "
        u"load it again.";
    window->render();
    HWND status = window->printStatus();
    ASSERT_TRUE(IsWindowVisible(status));
    const auto font = reinterpret_cast<HFONT>(SendMessageW(status, WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    LOGFONTW drawn{};
    GetObjectW(font, sizeof drawn, &drawn);
    EXPECT_LT(drawn.lfWeight, FW_BOLD);
    EXPECT_EQ(std::abs(drawn.lfHeight), px(app::mainWindowDesign().font.pixelSize));
    // What the text needs in that font, at the line's width, against what the line has.
    RECT client;
    GetClientRect(status, &client);
    RECT needed{0, 0, client.right, 0};
    HDC dc = GetDC(status);
    HGDIOBJ old = SelectObject(dc, font);
    const std::wstring text(reinterpret_cast<const wchar_t*>(form.PrintStatus.Caption.c_str()));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &needed, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(status, dc);
    EXPECT_GT(needed.bottom, px(20)) << "the text should need more than one line here";
    EXPECT_LE(needed.bottom, client.bottom) << "the status line cuts its text";
}

}  // namespace
