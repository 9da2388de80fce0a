#include "windows/window/containers.h"

#include <commctrl.h>
#include <windows.h>

#include <cwchar>

namespace veltrane::platform::win32::window {

namespace {

// Notifications and colour requests go to the top-level window, which knows every control.
bool forwarded(UINT message) {
    switch (message) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
            return true;
        default:
            return false;
    }
}

// The brush a container fills itself with; a window of another class counts as the button face.
HBRUSH backgroundOf(HWND window) {
    wchar_t className[32] = {};
    GetClassNameW(window, className, 32);
    const auto* look = std::wcscmp(className, kContainerClass) == 0
                           ? reinterpret_cast<const ContainerLook*>(GetWindowLongPtrW(window, GWLP_USERDATA))
                           : nullptr;
    return look && look->background ? look->background : GetSysColorBrush(COLOR_BTNFACE);
}

void fillClient(HWND window, HDC dc, HBRUSH brush) {
    RECT rect;
    GetClientRect(window, &rect);
    FillRect(dc, &rect, brush);
}

LRESULT CALLBACK containerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (forwarded(message)) return SendMessageW(GetAncestor(window, GA_ROOT), message, wParam, lParam);
    const auto* look = reinterpret_cast<const ContainerLook*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
        case WM_NCCREATE:
            SetWindowLongPtrW(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
            break;
        case WM_ERASEBKGND:
            fillClient(window, reinterpret_cast<HDC>(wParam), backgroundOf(window));
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            if (look && look->raisedEdge) {
                RECT rect;
                GetClientRect(window, &rect);
                DrawEdge(dc, &rect, BDR_RAISEDINNER, BF_RECT);
            }
            EndPaint(window, &paint);
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK groupBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (forwarded(message)) return SendMessageW(GetAncestor(window, GA_ROOT), message, wParam, lParam);
    // A group box draws only its frame and caption. Here it holds controls and covers its page's background, so
    // it fills its inside with that background itself, or whatever was on screen before (the page shown last)
    // stays there. Its items ask it for their background too (DrawThemeParentBackground).
    if (message == WM_ERASEBKGND) {
        fillClient(window, reinterpret_cast<HDC>(wParam), backgroundOf(GetParent(window)));
        return 1;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK memoProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    LRESULT code = DefSubclassProc(window, message, wParam, lParam);
    if (message == WM_GETDLGCODE) {
        const auto* key = reinterpret_cast<const MSG*>(lParam);
        code &= ~static_cast<LRESULT>(DLGC_WANTTAB);
        if (key && key->message == WM_KEYDOWN && key->wParam == VK_TAB) code &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS);
    }
    return code;
}

}  // namespace

void registerWindowClasses(WNDPROC mainProc) {
    static bool registered = false;
    if (registered) return;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW main{};
    main.cbSize = sizeof main;
    main.lpfnWndProc = mainProc;
    main.hInstance = instance;
    main.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    // The program's own icon (resource 1; the small one comes from the same resource); a test program without
    // one gets the system's.
    main.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    if (!main.hIcon) main.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    main.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    main.lpszClassName = kMainWindowClass;
    RegisterClassExW(&main);

    WNDCLASSEXW container{};
    container.cbSize = sizeof container;
    container.lpfnWndProc = containerProc;
    container.hInstance = instance;
    container.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    container.lpszClassName = kContainerClass;
    RegisterClassExW(&container);
    registered = true;
}

// An editable combo box shows the focus by its caret alone, which blinks and is easily missed in an empty one: it
// gets a focus rectangle around its text field while it has the focus (unless the system hides focus cues).
void paintComboFocus(HWND combo) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (!GetComboBoxInfo(combo, &info)) return;
    RECT ring = info.rcItem;
    InflateRect(&ring, 1, 1);
    HDC dc = GetDC(combo);
    // The ring is drawn afresh each time, so no rectangle is left behind when the focus goes.
    FrameRect(dc, &ring, GetSysColorBrush(COLOR_WINDOW));
    const HWND focus = GetFocus();
    const bool focused = focus && (focus == combo || IsChild(combo, focus));
    if (focused && !(SendMessageW(combo, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS)) {
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        DrawFocusRect(dc, &ring);
    }
    ReleaseDC(combo, dc);
}

LRESULT CALLBACK comboProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
    const bool focusMoved = message == WM_COMMAND && (HIWORD(wParam) == EN_SETFOCUS || HIWORD(wParam) == EN_KILLFOCUS);
    if (message == WM_PAINT || focusMoved || message == WM_UPDATEUISTATE) paintComboFocus(window);
    return result;
}

HWND createContainer(HWND parent, int id, const ContainerLook* look) {
    // A container is never a focus stop itself; the dialog manager walks into its children.
    return CreateWindowExW(WS_EX_CONTROLPARENT, kContainerClass, L"", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0,
                           0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleW(nullptr), const_cast<ContainerLook*>(look));
}

void tabLeavesMemo(HWND memo) { SetWindowSubclass(memo, memoProc, 2, 0); }

void forwardNotifications(HWND groupBox) { SetWindowSubclass(groupBox, groupBoxProc, 1, 0); }

void showComboFocus(HWND combo) { SetWindowSubclass(combo, comboProc, 3, 0); }

}  // namespace veltrane::platform::win32::window
