// The controls' events, forwarded to the core's handlers by the table's names.

// clang-format off
#include <windows.h>  // before the other Win32 headers, which need its types
#include <commctrl.h>
// clang-format on

#include "app/window/window_events.h"
#include "base/error.h"
#include "base/text.h"
#include "windows/common/wide_text.h"
#include "windows/window/dpi.h"
#include "windows/window/main_window.h"

namespace veltrane::platform::win32::window {

namespace {

using K = app::ControlKind;

// Posted when the focus moved within the thread: wParam the window that lost it, lParam the one that has it.
constexpr UINT kFocusMoved = WM_APP + 1;

// The one window of this thread whose focus moves are followed.
thread_local MainWindow* followed = nullptr;
thread_local HWND followedWindow = nullptr;

std::u16string windowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(window, text.data(), length + 1);
    return fromWide(text.c_str(), static_cast<std::size_t>(std::max(got, 0)));
}

std::vector<std::u16string> splitLines(const std::u16string& text) {
    std::vector<std::u16string> lines;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(u"\r\n", start);
        lines.push_back(text.substr(start, end == std::u16string::npos ? std::u16string::npos : end - start));
        if (end == std::u16string::npos) break;
        start = end + 2;
    }
    return lines;
}

}  // namespace

LRESULT CALLBACK MainWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_ = window;
        followed = self;
        followedWindow = window;
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    return self->onMessage(message, wParam, lParam);
}

LRESULT CALLBACK MainWindow::focusHook(int code, WPARAM wParam, LPARAM lParam) {
    // Handlers run later, from the queue: nothing may run while the system is moving the focus.
    if (code == HCBT_SETFOCUS && followed && followedWindow)
        PostMessageW(followedWindow, kFocusMoved, static_cast<WPARAM>(lParam), static_cast<LPARAM>(wParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT MainWindow::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (lParam) onCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_NOTIFY:
            onNotify(*reinterpret_cast<const NMHDR*>(lParam));
            return 0;
        case kFocusMoved:
            onFocusMoved(reinterpret_cast<HWND>(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            // Controls on the yellow panel show its colour around them.
            HWND from = reinterpret_cast<HWND>(lParam);
            if (HWND panel = control(u"FlowPanel1"); panel && GetParent(from) == panel) {
                SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 0));
                return reinterpret_cast<LRESULT>(yellow_);
            }
            break;
        }
        case WM_DPICHANGED: {
            dpi_ = HIWORD(wParam);
            const auto& design = app::mainWindowDesign();
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            const SIZE outer = outerSize(scaled(design.clientWidth, dpi_), scaled(design.clientHeight, dpi_),
                                         static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE)),
                                         static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_EXSTYLE)), dpi_);
            SetWindowPos(window_, nullptr, suggested->left, suggested->top, outer.cx, outer.cy,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            layout();
            InvalidateRect(window_, nullptr, TRUE);
            return 0;
        }
        case WM_CLOSE:
            // Only "DONE" ends the program: it restores the default printer and page setup a print switched.
            return 0;
        case WM_SYSCOMMAND:
            // With no taskbar button to bring it back, a minimised window would leave no way to DONE.
            if ((wParam & 0xFFF0) == SC_MINIMIZE || (wParam & 0xFFF0) == SC_CLOSE) return 0;
            break;
        case WM_DESTROY:
            if (followed == this) {
                followed = nullptr;
                followedWindow = nullptr;
            }
            break;
        default:
            break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

void MainWindow::onCommand(int id, int code, HWND from) {
    if (id >= kFirstImagingButtonId) {
        const auto index = static_cast<std::size_t>(id - kFirstImagingButtonId);
        if (code == BN_CLICKED && index < imagingButtons_.size())
            handle([this, index] { form_.imagingButtonClick(index); });
        return;
    }
    const int position = id - kFirstControlId;
    if (position < 0 || static_cast<std::size_t>(position) >= controls_.size() || rendering_) return;
    const Control& control = controls_[static_cast<std::size_t>(position)];
    if (control.window != from) return;
    const app::ControlRow& row = *control.row;
    switch (row.kind) {
        case K::Button:
            if (code == BN_CLICKED) runHandler(row.handler);
            break;
        case K::CheckBox:
            if (code == BN_CLICKED) {
                app::TCheckBox* model = app::checkBoxModel(form_, row.name);
                const bool checked = SendMessageW(from, BM_GETCHECK, 0, 0) == BST_CHECKED;
                handle([&] {
                    if (!model) throw Error("The window model has no check box named " + utf16ToUtf8(row.name));
                    model->Checked = checked;
                    runWindowHandler(row.handler);
                });
            }
            break;
        case K::Edit:
            // The text goes into the model as it is typed; the exit handler stores it when the focus leaves.
            if (code == EN_CHANGE) form_.imagingEdit(row.name).Text = windowText(from);
            break;
        case K::Memo:
            // Memo1 is editable: its text is kept so a later render does not undo the typing.
            if (code == EN_CHANGE && row.name == u"Memo1") form_.Memo1.Lines = splitLines(windowText(from));
            break;
        case K::ListBox:
            if (code == LBN_SELCHANGE) {
                const int index = static_cast<int>(SendMessageW(from, LB_GETCURSEL, 0, 0));
                handle([&] { form_.ListBoxPrinters.ItemIndex = index; });
            }
            break;
        case K::ComboBox: {
            // Every typed character counts as a change, as does choosing an item.
            std::u16string text;
            if (code == CBN_EDITCHANGE) {
                text = windowText(from);
            } else if (code == CBN_SELCHANGE) {
                const LRESULT chosen = SendMessageW(from, CB_GETCURSEL, 0, 0);
                if (chosen == CB_ERR) return;
                const LRESULT length = SendMessageW(from, CB_GETLBTEXTLEN, static_cast<WPARAM>(chosen), 0);
                std::wstring item(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
                SendMessageW(from, CB_GETLBTEXT, static_cast<WPARAM>(chosen), reinterpret_cast<LPARAM>(item.data()));
                text = fromWide(item.c_str());
            } else {
                return;
            }
            app::TComboBox* model = app::comboBoxModel(form_, row.name);
            handle([&] {
                if (!model) throw Error("The window model has no combo box named " + utf16ToUtf8(row.name));
                model->Text = text;
                runWindowHandler(row.handler);
            });
            break;
        }
        case K::RadioButton: {
            if (code != BN_CLICKED) return;
            const Control* group = controlOf(row.parent);
            int index = 0;
            for (HWND item = GetWindow(group->window, GW_CHILD); item && item != from;
                 item = GetWindow(item, GW_HWNDNEXT))
                ++index;
            if (index == form_.RadioGroupDigoraNameFormat.ItemIndex) return;  // no change, no click
            handle([&] {
                form_.RadioGroupDigoraNameFormat.ItemIndex = index;
                runWindowHandler(group->row->handler);
            });
            break;
        }
        default:
            break;
    }
}

void MainWindow::onNotify(const NMHDR& header) {
    if (header.code != TCN_SELCHANGE || rendering_) return;
    const int position = static_cast<int>(header.idFrom) - kFirstControlId;
    if (position < 0 || static_cast<std::size_t>(position) >= controls_.size()) return;
    const Control& control = controls_[static_cast<std::size_t>(position)];
    if (control.row->kind != K::PageControl) return;
    const int index = static_cast<int>(SendMessageW(control.window, TCM_GETCURSEL, 0, 0));
    // The render shows the chosen page, which runs its show handler.
    handle([&] { pages_.tabChosen(control.row->name, index); });
}

bool MainWindow::insidePageControl(const Control& pageControl, HWND window) const {
    if (!window) return false;
    if (window == pageControl.window) return true;
    for (const app::ControlRow* sheet : app::childrenOf(pageControl.row->name))
        if (HWND page = control(sheet->name); page && (window == page || IsChild(page, window))) return true;
    return false;
}

void MainWindow::onFocusMoved(HWND from, HWND to) {
    // Focus moving to another window (a dialog) is not leaving a control.
    if (!from || !to || !IsChild(window_, from) || !IsChild(window_, to)) return;
    // An edit's own exit runs before that of the page control around it.
    const int position = GetDlgCtrlID(from) - kFirstControlId;
    if (position >= 0 && static_cast<std::size_t>(position) < controls_.size()) {
        const Control& control = controls_[static_cast<std::size_t>(position)];
        if (control.window == from && control.row->kind == K::Edit && !control.row->handler.empty())
            runHandler(control.row->handler);
    }
    const auto holds = [this](HWND focus) {
        return [this, focus](const app::ControlRow& pageControl) {
            return insidePageControl(*controlOf(pageControl.name), focus);
        };
    };
    for (const auto& handler : pages_.exitHandlers(holds(from), holds(to))) runHandler(handler);
}

void MainWindow::runWindowHandler(const std::u16string& handler) {
    if (handler.empty()) return;
    if (!app::runWindowHandler(form_, handler)) throw Error("The window has no handler named " + utf16ToUtf8(handler));
}

void MainWindow::runHandler(const std::u16string& handler) {
    handle([&] { runWindowHandler(handler); });
}

void MainWindow::handle(const std::function<void()>& event) {
    try {
        event();
    } catch (const std::exception& e) {
        // Rendered first, so the window behind the error report already shows what failed.
        render();
        reportError(e.what());
    }
    render();
}

void MainWindow::reportError(const char* what) { form_.platform().dialogs.showError(utf8ToUtf16(what)); }

}  // namespace veltrane::platform::win32::window
