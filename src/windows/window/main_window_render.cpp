// Rendering the core's window model into the controls. Changes made here raise no events of their own.

// clang-format off
#include <windows.h>  // before the other Win32 headers, which need its types
#include <commctrl.h>
// clang-format on

#include <algorithm>

#include "app/window/window_events.h"
#include "windows/common/wide_text.h"
#include "windows/window/dpi.h"
#include "windows/window/flow_layout.h"
#include "windows/window/main_window.h"

namespace veltrane::platform::win32::window {

namespace {

using K = app::ControlKind;

std::u16string windowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(window, text.data(), length + 1);
    return fromWide(text.c_str(), static_cast<std::size_t>(std::max(got, 0)));
}

// A zero inside a text would cut it short in the control: it is shown as a blank.
std::u16string shown(std::u16string text) {
    std::replace(text.begin(), text.end(), u'\0', u' ');
    return text;
}

void setText(HWND window, const std::u16string& text) {
    const std::u16string wanted = shown(text);
    if (windowText(window) != wanted) SetWindowTextW(window, wide(wanted));
}

std::vector<std::u16string> listItems(HWND list) {
    std::vector<std::u16string> items;
    const auto count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        std::wstring item(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item.data()));
        items.push_back(fromWide(item.c_str()));
    }
    return items;
}

}  // namespace

void MainWindow::render() {
    rendering_ = true;
    setLabelText(u"Label3", form_.Label3.Caption);
    setLabelText(u"Label4", form_.Label4.Caption);
    setLabelText(u"LabelApptDefault", form_.LabelApptDefault.Caption);
    setLabelText(u"LabelReceiptDefault", form_.LabelReceiptDefault.Caption);
    if (HWND list = control(u"ListBoxPrinters")) {
        std::vector<std::u16string> items;
        for (const auto& item : form_.ListBoxPrinters.Items) items.push_back(shown(item));
        if (listItems(list) != items) {
            SendMessageW(list, LB_RESETCONTENT, 0, 0);
            for (const auto& item : items) SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(item)));
        }
        const int index = form_.ListBoxPrinters.ItemIndex;
        if (static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0)) != index)
            SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
    for (const Control& control : controls_) {
        const app::ControlRow& row = *control.row;
        if (row.kind == K::ComboBox) {
            if (app::TComboBox* model = app::comboBoxModel(form_, row.name)) setText(control.window, model->Text);
        } else if (row.kind == K::CheckBox) {
            if (app::TCheckBox* model = app::checkBoxModel(form_, row.name))
                SendMessageW(control.window, BM_SETCHECK, model->Checked ? BST_CHECKED : BST_UNCHECKED, 0);
        } else if (row.kind == K::Edit) {
            setText(control.window, form_.imagingEdit(row.name).Text);
        }
    }
    if (HWND memo = control(u"Memo1")) setText(memo, editLines(form_.Memo1.Lines));
    if (const Control* group = controlOf(u"RadioGroupDigoraNameFormat")) {
        const int index = form_.RadioGroupDigoraNameFormat.ItemIndex;
        int position = 0;
        for (HWND item = GetWindow(group->window, GW_CHILD); item; item = GetWindow(item, GW_HWNDNEXT), ++position) {
            SendMessageW(item, BM_SETCHECK, position == index ? BST_CHECKED : BST_UNCHECKED, 0);
            // Tab enters the group at its chosen item (the first while none is chosen).
            const bool stop = position == std::max(index, 0);
            const LONG_PTR style = GetWindowLongPtrW(item, GWL_STYLE);
            SetWindowLongPtrW(item, GWL_STYLE, stop ? style | WS_TABSTOP : style & ~static_cast<LONG_PTR>(WS_TABSTOP));
        }
    }
    renderPrintView();
    renderFlowPanel();
    rendering_ = false;
    // Pages last: switching them runs show handlers, which render again with their results.
    renderPages();
}

void MainWindow::setLabelText(std::u16string_view name, const std::u16string& text) {
    const Control* label = controlOf(name);
    if (!label) return;
    const std::u16string wanted = shown(text);
    if (windowText(label->window) == wanted) return;
    SetWindowTextW(label->window, wide(wanted));
    // Labels size themselves to their caption, keeping their designed height.
    HFONT font = fonts_.font(label->row->font.pixelSize, label->row->font.bold, dpi_);
    const int width = std::max(1, static_cast<int>(textExtent(font, wide(wanted), static_cast<int>(wanted.size())).cx));
    const auto& bounds = label->row->bounds;
    SetWindowPos(label->window, nullptr, 0, 0, width,
                 scaled(bounds.top + bounds.height, dpi_) - scaled(bounds.top, dpi_),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::renderPrintView() {
    if (HWND printAgain = control(u"ColorButton2")) EnableWindow(printAgain, form_.PrintAgainEnabled);
    if (HWND closeAnyway = control(u"ButtonCloseAnyway"))
        ShowWindow(closeAnyway, form_.CloseAnywayVisible ? SW_SHOWNA : SW_HIDE);
    HWND panel = browserPanel();
    // The browser area is a tab stop only once it shows a page: the dialog manager walks into a container only
    // while it is a control parent, and the panel itself is no stop.
    if (panel) {
        const LONG_PTR style = GetWindowLongPtrW(panel, GWL_EXSTYLE);
        const LONG_PTR wanted =
            form_.PrintAgainEnabled ? (style | WS_EX_CONTROLPARENT) : (style & ~LONG_PTR{WS_EX_CONTROLPARENT});
        if (wanted != style) SetWindowLongPtrW(panel, GWL_EXSTYLE, wanted);
    }
    if (!printStatus_ || !panel) return;
    const std::u16string status = shown(form_.PrintStatus.Caption);
    if (status.empty()) {
        ShowWindow(printStatus_, SW_HIDE);
        return;
    }
    setText(printStatus_, status);
    RECT area;
    GetClientRect(panel, &area);
    const int margin = scaled(1, dpi_);
    RECT text{0, 0, area.right - 2 * margin - 2 * scaled(3, dpi_), 0};
    HDC dc = GetDC(printStatus_);
    HGDIOBJ old = SelectObject(dc, fonts_.font(app::mainWindowDesign().font.pixelSize, false, dpi_));
    DrawTextW(dc, wide(status), static_cast<int>(status.size()), &text, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(printStatus_, dc);
    const int height =
        std::min(static_cast<int>(text.bottom) + scaled(6, dpi_), static_cast<int>(area.bottom) - 2 * margin);
    SetWindowPos(printStatus_, HWND_TOP, margin, area.bottom - margin - height, area.right - 2 * margin, height,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void MainWindow::renderFlowPanel() {
    const auto& buttons = form_.FlowPanel1.Buttons;
    HWND panel = control(u"FlowPanel1");
    if (!panel || imagingButtons_.size() == buttons.size()) return;
    // Buttons are only ever added, so only the new ones are made, after the others in keyboard order.
    while (imagingButtons_.size() < buttons.size()) {
        const std::size_t index = imagingButtons_.size();
        const std::u16string caption = shown(buttons[index].Caption);
        HWND button =
            CreateWindowExW(0, L"BUTTON", wide(caption), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0, 0,
                            panel, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstImagingButtonId + index)),
                            GetModuleHandleW(nullptr), nullptr);
        if (!button) break;
        imagingButtons_.push_back(button);
    }
    layoutImagingButtons();
}

void MainWindow::layoutImagingButtons() {
    const auto& buttons = form_.FlowPanel1.Buttons;
    const Control* panel = controlOf(u"FlowPanel1");
    if (!panel || imagingButtons_.empty()) return;
    // Up to six buttons keep their designed size and font in one column; more share the panel so every one stays
    // in sight and clickable.
    std::vector<std::u16string> captions;
    for (std::size_t i = 0; i < imagingButtons_.size(); ++i) captions.push_back(buttons[i].Caption);
    const auto& first = buttons.front();
    const ButtonGrid grid =
        window::layoutImagingButtons(captions, SIZE{panel->row->bounds.width, panel->row->bounds.height},
                                     SIZE{first.Width, first.Height}, first.FontSize * 96 / 72, first.FontBold);
    for (std::size_t i = 0; i < imagingButtons_.size(); ++i) {
        const RECT& cell = grid.cells[i];
        SendMessageW(imagingButtons_[i], WM_SETFONT,
                     reinterpret_cast<WPARAM>(fonts_.font(grid.fontPixels, buttons[i].FontBold, dpi_)), FALSE);
        const int left = scaled(cell.left, dpi_), top = scaled(cell.top, dpi_);
        SetWindowPos(imagingButtons_[i], nullptr, left, top, scaled(cell.right, dpi_) - left,
                     scaled(cell.bottom, dpi_) - top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void MainWindow::showPage(const Control& pageControl, int index) {
    const auto sheets = app::childrenOf(pageControl.row->name);
    if (static_cast<int>(SendMessageW(pageControl.window, TCM_GETCURSEL, 0, 0)) != index) {
        SendMessageW(pageControl.window, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
        // A page chosen by a key or by the program is announced as a click on its tab would be.
        if (GetFocus() == pageControl.window)
            NotifyWinEvent(EVENT_OBJECT_FOCUS, pageControl.window, OBJID_CLIENT, index + 1);
        NotifyWinEvent(EVENT_OBJECT_SELECTION, pageControl.window, OBJID_CLIENT, index + 1);
    }
    HWND chosen = control(sheets.at(static_cast<std::size_t>(index))->name);
    // The chosen page first, so the focus never falls out of the window in between.
    ShowWindow(chosen, SW_SHOWNA);
    for (const app::ControlRow* sheet : sheets)
        if (HWND page = control(sheet->name); page != chosen) ShowWindow(page, SW_HIDE);
}

void MainWindow::renderPages() {
    for (const auto& shown : pages_.pagesToShow())
        if (const Control* pages = controlOf(shown.pageControl->name)) showPage(*pages, shown.index);
    // A page's show handler runs each time it comes into sight, also because its parent page is shown.
    const auto inSight = [this](const app::ControlRow& sheet) { return IsWindowVisible(control(sheet.name)) != FALSE; };
    for (const auto& handler : pages_.showHandlers(inSight)) runHandler(handler);
}

}  // namespace veltrane::platform::win32::window
