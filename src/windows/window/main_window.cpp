#include "windows/window/main_window.h"

#include <commctrl.h>
#include <windows.h>
// clang-format off
#include <initguid.h>  // before oleacc.h: defines its property and interface identifiers here
#include <oleacc.h>
// clang-format on

#include <algorithm>

#include "app/window/accessible_names.h"
#include "base/error.h"
#include "base/text.h"
#include "windows/common/system_message.h"
#include "windows/common/wide_text.h"
#include "windows/window/dpi.h"

namespace veltrane::platform::win32::window {

namespace {

using K = app::ControlKind;

// A fixed frame with a title and no title-bar buttons: only DONE ends the program.
constexpr DWORD kFrameStyle = WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN;
constexpr DWORD kFrameExStyle = WS_EX_CONTROLPARENT;
// A combo box's window includes its drop-down list.
constexpr int kDropDownHeight = 120;

HWND create(DWORD exStyle, const wchar_t* className, const std::u16string& text, DWORD style, HWND parent, int id) {
    return CreateWindowExW(exStyle, className, wide(text), WS_CHILD | WS_CLIPSIBLINGS | style, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
}

// Why the system made no window; without a desktop it may not say.
std::string refusal() {
    const DWORD error = GetLastError();
    return error ? systemMessage(error) : "there is no desktop to show it on";
}

}  // namespace

MainWindow::MainWindow(app::TForm1& form) : form_(form), pages_(form) {
    INITCOMMONCONTROLSEX common{sizeof common, ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&common);
    registerWindowClasses(&MainWindow::windowProc);
    yellow_ = CreateSolidBrush(RGB(255, 255, 0));

    const auto& design = app::mainWindowDesign();
    // Without a desktop the call may fail without a reason of its own; an earlier call's must not stand in for it.
    SetLastError(0);
    window_ =
        CreateWindowExW(kFrameExStyle, kMainWindowClass, wide(design.caption), kFrameStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                        design.clientWidth, design.clientHeight, nullptr, nullptr, GetModuleHandleW(nullptr), this);
    if (!window_) throw Error("The window cannot be shown: " + refusal());
    dpi_ = windowDpi(window_);
    const SIZE outer =
        outerSize(scaled(design.clientWidth, dpi_), scaled(design.clientHeight, dpi_), kFrameStyle, kFrameExStyle, dpi_);
    // Where the platform places new windows, with the designed size.
    RECT placed;
    GetWindowRect(window_, &placed);
    if (placed.left < 0 || placed.top < 0) placed.left = placed.top = 40;
    SetWindowPos(window_, nullptr, placed.left, placed.top, outer.cx, outer.cy, SWP_NOZORDER | SWP_NOACTIVATE);

    try {
        build();
        layout();
        annotateNames();
    } catch (...) {
        DestroyWindow(window_);
        throw;
    }
    // Edits and page controls hear of focus leaving them, also by a click, before the clicked control acts.
    focusHook_ = SetWindowsHookExW(WH_CBT, &MainWindow::focusHook, nullptr, GetCurrentThreadId());
    // The printer list comes once the window is painted (show).
}

MainWindow::~MainWindow() {
    if (focusHook_) UnhookWindowsHookEx(focusHook_);
    if (names_) {
        // Annotations outlive their window in the service; a later window could get the same handle.
        IAccPropServices* services = names_;
        const MSAAPROPID name = PROPID_ACC_NAME;
        for (HWND window : annotated_) services->ClearHwndProps(window, OBJID_CLIENT, CHILDID_SELF, &name, 1);
        services->Release();
    }
    if (comStarted_) CoUninitialize();
    if (window_) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
    if (yellow_) DeleteObject(yellow_);
}

HWND MainWindow::control(std::u16string_view name) const {
    const Control* found = controlOf(name);
    return found ? found->window : nullptr;
}

const MainWindow::Control* MainWindow::controlOf(std::u16string_view name) const {
    auto it = byName_.find(name);
    return it == byName_.end() ? nullptr : &controls_[it->second];
}

// ---------------------------------------------------------------- building

void MainWindow::build() {
    const auto rows = app::windowControls();
    controls_.reserve(rows.size());
    for (const auto& row : rows) {
        byName_[row.name] = controls_.size();
        controls_.push_back({&row, nullptr, nullptr});
        if (const app::ControlRow* label = app::namingLabel(row)) labelled_[label->name] = &row;
    }
    buildChildren(app::mainWindowDesign().name, window_);

    // The print view's status line sits over the foot of the page, as a browser shows what it is loading.
    if (HWND panel = browserPanel()) {
        printStatus_ = create(WS_EX_STATICEDGE, L"STATIC", u"", SS_LEFT | SS_NOPREFIX, panel, 0);
        SetWindowPos(printStatus_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

// Children are made in keyboard order, which makes it their order for the dialog manager too; a page control's
// pages follow it directly, so Tab goes from the tabs into the shown page.
void MainWindow::buildChildren(std::u16string_view parent, HWND parentWindow) {
    for (const app::ControlRow* row : app::childrenOf(parent)) {
        if (row->kind == K::TabSheet) continue;  // made with their page control
        const std::size_t index = byName_.at(row->name);
        Control& control = controls_[index];
        if (control.window) continue;  // a label made before the control it names
        // The system names an edit, list or combo box by the static text made just before it; labels are no
        // focus stops, so this leaves the keyboard order as it was.
        if (const app::ControlRow* label = app::namingLabel(*row)) {
            const std::size_t labelIndex = byName_.at(label->name);
            Control& named = controls_[labelIndex];
            named.window = makeControl(named, parentWindow, kFirstControlId + static_cast<int>(labelIndex));
            if (!named.window)
                throw Error("The window cannot be shown: " + refusal() + " (" + utf16ToUtf8(label->name) + ")");
        }
        control.window = makeControl(control, parentWindow, kFirstControlId + static_cast<int>(index));
        if (row->kind == K::Browser) continue;
        if (!control.window)
            throw Error("The window cannot be shown: " + refusal() + " (" + utf16ToUtf8(row->name) + ")");
        if (row->kind == K::PageControl) {
            // Pages sit in the parent beside their tab control, below it: its region leaves their area open.
            for (const app::ControlRow* sheet : app::childrenOf(row->name)) {
                const std::size_t sheetIndex = byName_.at(sheet->name);
                Control& page = controls_[sheetIndex];
                page.window = makeControl(page, parentWindow, kFirstControlId + static_cast<int>(sheetIndex));
                if (!page.window) throw Error("The window cannot be shown: " + utf16ToUtf8(sheet->name));
                buildChildren(sheet->name, page.window);
            }
        } else {
            buildChildren(row->name, control.window);
        }
    }
}

HWND MainWindow::makeControl(Control& control, HWND parent, int id) {
    const app::ControlRow& row = *control.row;
    const DWORD stop = row.tab >= 0 ? WS_TABSTOP : 0;
    const DWORD shown = row.visible ? WS_VISIBLE : 0;
    const DWORD disabled = row.enabled ? 0 : WS_DISABLED;
    HWND made = nullptr;
    switch (row.kind) {
        case K::Label:
            // Captions may come from the request file or the settings: an ampersand is shown, never a mnemonic.
            made = create(0, L"STATIC", row.caption, SS_LEFT | SS_NOPREFIX | shown, parent, id);
            break;
        case K::Button:
            made = create(0, L"BUTTON", row.caption, BS_PUSHBUTTON | stop | shown | disabled, parent, id);
            break;
        case K::CheckBox:
            made = create(0, L"BUTTON", row.caption, BS_AUTOCHECKBOX | stop | shown | disabled, parent, id);
            break;
        case K::Edit:
            made =
                create(WS_EX_CLIENTEDGE, L"EDIT", u"", ES_LEFT | ES_AUTOHSCROLL | stop | shown | disabled, parent, id);
            break;
        case K::Memo: {
            DWORD style = ES_LEFT | ES_MULTILINE | ES_AUTOVSCROLL | stop | shown | disabled;
            if (row.readOnly)
                style |= ES_READONLY;
            else
                style |= ES_WANTRETURN;
            made = create(row.border ? WS_EX_CLIENTEDGE : 0, L"EDIT", editLines(row.items), style, parent, id);
            if (made) tabLeavesMemo(made);
            break;
        }
        case K::ListBox:
            made = create(WS_EX_CLIENTEDGE, L"LISTBOX", u"",
                          LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | stop | shown | disabled, parent, id);
            break;
        case K::ComboBox:
            made = create(0, L"COMBOBOX", u"", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | stop | shown | disabled,
                          parent, id);
            for (const auto& item : row.items)
                SendMessageW(made, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(item)));
            if (made) showComboFocus(made);
            break;
        case K::PageControl: {
            made = create(0, WC_TABCONTROLW, u"", TCS_MULTILINE | stop | shown | disabled, parent, id);
            int position = 0;
            for (const app::ControlRow* sheet : app::childrenOf(row.name)) {
                TCITEMW item{};
                item.mask = TCIF_TEXT;
                item.pszText = const_cast<wchar_t*>(wide(sheet->caption));
                SendMessageW(made, TCM_INSERTITEMW, static_cast<WPARAM>(position++), reinterpret_cast<LPARAM>(&item));
            }
            break;
        }
        case K::TabSheet:
        case K::Panel:
        case K::FlowPanel:
            control.look = std::make_unique<ContainerLook>();
            control.look->raisedEdge = row.kind == K::Panel;
            if (row.background)
                control.look->background =
                    row.background == app::Rgb{255, 255, 0}
                        ? yellow_
                        : CreateSolidBrush(RGB(row.background->red, row.background->green, row.background->blue));
            made = createContainer(parent, id, control.look.get());
            // Pages are shown by their page control.
            if (made && row.visible && row.kind != K::TabSheet) ShowWindow(made, SW_SHOWNA);
            break;
        case K::GroupBox:
        case K::RadioGroup:
            // The radio group's buttons are its children: Tab goes into it, to its chosen item.
            // Its items paint themselves: the box's own erasing leaves them out.
            made = create(row.kind == K::RadioGroup ? WS_EX_CONTROLPARENT : 0, L"BUTTON", row.caption,
                          BS_GROUPBOX | WS_CLIPCHILDREN | shown | disabled, parent, id);
            if (made) forwardNotifications(made);
            break;
        case K::RadioButton: {
            // The first item starts the group the arrow keys move within.
            const bool first = GetWindow(parent, GW_CHILD) == nullptr;
            made = create(0, L"BUTTON", row.caption,
                          BS_AUTORADIOBUTTON | (first ? WS_GROUP | WS_TABSTOP : 0) | shown | disabled, parent, id);
            break;
        }
        case K::Browser:
            // The browser host fills its panel (Panel1) once it is there.
            return nullptr;
    }
    return made;
}

HFONT MainWindow::fontFor(const app::ControlRow& row) { return fonts_.font(row.font.pixelSize, row.font.bold, dpi_); }

// ---------------------------------------------------------------- layout

void MainWindow::layout() {
    for (const Control& control : controls_) {
        if (!control.window) continue;
        if (control.row->kind == K::TabSheet) continue;  // placed with their page control
        placeControl(control);
    }
    // Pages once everything is placed: their tab control's region leaves room for what lies over it.
    for (const Control& control : controls_)
        if (control.window && control.row->kind == K::PageControl) placePageSheets(control);
    // The window's normal font, the one renderPrintView measures the wrapped text with: a larger one would cut
    // the status after its first line.
    if (printStatus_) {
        SendMessageW(printStatus_, WM_SETFONT,
                     reinterpret_cast<WPARAM>(fonts_.font(app::mainWindowDesign().font.pixelSize, false, dpi_)), 0);
    }
    layoutImagingButtons();
    renderPrintView();
}

void MainWindow::annotateNames() {
    // The documented way to name a control without changing the window order the dialog manager follows. COM
    // stays started while the window lives (the browser starts it on this thread anyway).
    comStarted_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    IAccPropServices* services = nullptr;
    const HRESULT made = CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                                          reinterpret_cast<void**>(&services));
    if (FAILED(made) || !services) return;
    for (const Control& control : controls_) {
        if (!control.window || !app::isInteractive(*control.row) || control.row->kind == K::TabSheet) continue;
        const std::u16string name = app::accessibleName(*control.row);
        if (SUCCEEDED(
                services->SetHwndPropStr(control.window, OBJID_CLIENT, CHILDID_SELF, PROPID_ACC_NAME, wide(name))))
            annotated_.push_back(control.window);
    }
    if (annotated_.empty()) {
        // An annotation service that takes no names (an older or partial one) names nothing: the labels do.
        services->Release();
        return;
    }
    names_ = services;
}

void MainWindow::placeControl(const Control& control) {
    const app::ControlRow& row = *control.row;
    HFONT font = fontFor(row);
    SendMessageW(control.window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    // Edges are scaled, not sizes, so controls that meet at 96 dpi still meet at any other.
    const int left = scaled(row.bounds.left, dpi_), top = scaled(row.bounds.top, dpi_);
    int width = scaled(row.bounds.left + row.bounds.width, dpi_) - left;
    int height = scaled(row.bounds.top + row.bounds.height, dpi_) - top;
    if (row.kind == K::Label) {
        // Labels size themselves to their caption; the designed width is that of the designed font.
        const int length = GetWindowTextLengthW(control.window);
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        GetWindowTextW(control.window, text.data(), length + 1);
        width = std::max(1, static_cast<int>(textExtent(font, text.c_str(), length).cx));
        // Made just before the control it names, a label lies above it in the window order: where a larger font
        // makes it reach into the control, it ends where the control begins, which hides what the control hid.
        if (auto named = labelled_.find(row.name); named != labelled_.end()) {
            const app::Bounds& to = named->second->bounds;
            const bool sameRow = row.bounds.top < to.top + to.height && to.top < row.bounds.top + row.bounds.height;
            if (sameRow && to.left > row.bounds.left)
                width = std::min(width, std::max(1, scaled(to.left, dpi_) - left));
        }
    }
    if (row.kind == K::ComboBox) {
        // The selection field keeps the designed height; the window's own height includes the list.
        SendMessageW(control.window, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), std::max(1, height - 6));
        height += scaled(kDropDownHeight, dpi_);
    }
    if (row.kind == K::ListBox && row.itemHeight > 0)
        SendMessageW(control.window, LB_SETITEMHEIGHT, 0, scaled(row.itemHeight, dpi_));
    SetWindowPos(control.window, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::placePageSheets(const Control& pageControl) {
    HWND tabs = pageControl.window;
    RECT display;
    GetClientRect(tabs, &display);
    SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    // The tab control's window is opaque; its region leaves the display area to the page below it.
    RECT outer;
    GetClientRect(tabs, &outer);
    HRGN region = CreateRectRgnIndirect(&outer);
    HRGN hole = CreateRectRgnIndirect(&display);
    CombineRgn(region, region, hole, RGN_DIFF);
    DeleteObject(hole);
    // Controls laid over the empty end of the tab row (DONE) stay in sight, though they follow it in Z-order.
    RECT own;
    GetWindowRect(tabs, &own);
    const auto sheets = app::childrenOf(pageControl.row->name);
    auto isSheet = [&](HWND window) {
        return std::any_of(sheets.begin(), sheets.end(),
                           [&](const app::ControlRow* sheet) { return control(sheet->name) == window; });
    };
    for (HWND sibling = GetWindow(GetParent(tabs), GW_CHILD); sibling; sibling = GetWindow(sibling, GW_HWNDNEXT)) {
        RECT other, overlap;
        GetWindowRect(sibling, &other);
        if (sibling == tabs || isSheet(sibling) || !IntersectRect(&overlap, &own, &other)) continue;
        OffsetRect(&overlap, -own.left, -own.top);
        HRGN covered = CreateRectRgnIndirect(&overlap);
        CombineRgn(region, region, covered, RGN_DIFF);
        DeleteObject(covered);
    }
    SetWindowRgn(tabs, region, TRUE);  // the system owns the region now

    POINT origin{display.left, display.top};
    MapWindowPoints(tabs, GetParent(tabs), &origin, 1);
    for (const app::ControlRow* sheet : app::childrenOf(pageControl.row->name)) {
        const Control* page = controlOf(sheet->name);
        SendMessageW(page->window, WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(*sheet)), FALSE);
        SetWindowPos(page->window, tabs, origin.x, origin.y, display.right - display.left, display.bottom - display.top,
                     SWP_NOACTIVATE);
    }
    // Each page lies directly below the tab control and the one before it, in their order.
    HWND previous = tabs;
    for (const app::ControlRow* sheet : app::childrenOf(pageControl.row->name)) {
        HWND page = controlOf(sheet->name)->window;
        SetWindowPos(page, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        previous = page;
    }
}

// ---------------------------------------------------------------- the message loop

void MainWindow::show(int showCommand) {
    // Windows hides focus rectangles until a key is pressed; staff who click and then type must see where the
    // keyboard is from the start.
    SendMessageW(window_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    ShowWindow(window_, showCommand);
    // The keyboard starts at the first stop, the page tabs.
    if (HWND first = GetNextDlgTabItem(window_, nullptr, FALSE)) SetFocus(first);
    UpdateWindow(window_);
    // The spooler is asked only once the window is painted: loading it (and a print server that is slow to
    // answer) must not keep the window from appearing. A failure is reported like any event's. Then the pages
    // that are visible now run their show handlers.
    if (!printersListed_) {
        printersListed_ = true;
        handle([this] { form_.loadPrinterListBox(); });
    }
    handle([] {});
}

void MainWindow::dispatch(MSG& message) {
    if (changePageByKey(message) || pressButtonByEnter(message)) return;
    if (IsDialogMessageW(window_, &message)) return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

bool MainWindow::changePageByKey(const MSG& message) {
    if (message.message != WM_KEYDOWN || !(GetKeyState(VK_CONTROL) & 0x8000) || (GetKeyState(VK_MENU) & 0x8000))
        return false;
    if (message.hwnd != window_ && !IsChild(window_, message.hwnd)) return false;
    const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    int delta = 0;
    if (message.wParam == VK_TAB) delta = shift ? -1 : 1;
    if (message.wParam == VK_NEXT && !shift) delta = 1;
    if (message.wParam == VK_PRIOR && !shift) delta = -1;
    if (delta == 0) return false;
    // The page control that holds the focus, the inner one first; elsewhere the window's own.
    const Control* pages = controlOf(u"PageControl1");
    if (const Control* inner = controlOf(u"PageControl2");
        inner && IsWindowVisible(inner->window) && insidePageControl(*inner, GetFocus()))
        pages = inner;
    if (!pages || !pages->window) return false;
    const int count = static_cast<int>(SendMessageW(pages->window, TCM_GETITEMCOUNT, 0, 0));
    if (count < 2) return true;
    const int current = static_cast<int>(SendMessageW(pages->window, TCM_GETCURSEL, 0, 0));
    const int next = ((current + delta) % count + count) % count;
    // The focus goes to the tabs first, as a click on a tab takes it: an edit left behind stores its text, the
    // focus never stays on a page that has gone, and the new tab is heard as the focused one.
    SetFocus(pages->window);
    const std::u16string name = pages->row->name;
    handle([&] { pages_.tabChosen(name, next); });
    return true;
}

bool MainWindow::pressButtonByEnter(const MSG& message) {
    if (message.message != WM_KEYDOWN || message.wParam != VK_RETURN) return false;
    HWND focus = GetFocus();
    if (!focus || !IsChild(window_, focus) || message.hwnd != focus) return false;
    const LRESULT code = SendMessageW(focus, WM_GETDLGCODE, 0, 0);
    if (!(code & (DLGC_UNDEFPUSHBUTTON | DLGC_DEFPUSHBUTTON)) || !IsWindowEnabled(focus)) return false;
    // The dialog manager presses only a dialog's default button, and this window is no dialog: Enter presses the
    // focused button here, once however long it is held, so a held key never prints again and again.
    const bool repeated = (message.lParam & (1L << 30)) != 0;
    if (!repeated)
        SendMessageW(GetParent(focus), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(focus), BN_CLICKED),
                     reinterpret_cast<LPARAM>(focus));
    return true;
}

int MainWindow::runMessageLoop() {
    MSG message;
    BOOL got;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0) {
        if (got == -1) return 1;
        dispatch(message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace veltrane::platform::win32::window
