#pragma once
// The native main window: built from the window table, it renders the core's window model and forwards every
// control's event to the core's handler of the table's name. No rule of the program lives here.

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/tform1.h"
#include "app/window/page_controls.h"
#include "app/window/window_table.h"
#include "windows/window/containers.h"
#include "windows/window/fonts.h"

struct IAccPropServices;

namespace veltrane::platform::win32::window {

// Control identifiers: a table control's is this plus its position in the table, an imaging button's the other
// base plus its position on the panel.
inline constexpr int kFirstControlId = 1000;
inline constexpr int kFirstImagingButtonId = 5000;

class MainWindow {
public:
    // Builds the window, hidden, for the state start-up left in form. Throws when the system refuses a window
    // (no desktop to show it on), with the system's reason.
    explicit MainWindow(app::TForm1& form);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    HWND handle() const { return window_; }
    // The child window of a table control (nullptr for the browser, which the browser host makes in Panel1).
    HWND control(std::u16string_view name) const;
    // The panel whose client area the embedded browser fills.
    HWND browserPanel() const { return control(u"Panel1"); }
    const std::vector<HWND>& imagingButtons() const { return imagingButtons_; }
    // The status line over the foot of the print view.
    HWND printStatus() const { return printStatus_; }
    int dpi() const { return dpi_; }

    // Shows the window and runs the show handlers of the pages that became visible.
    void show(int showCommand);
    // Runs the message loop until WM_QUIT; returns its exit code.
    int runMessageLoop();
    // One message through the dialog manager (keyboard order) or to its window.
    void dispatch(MSG& message);
    // Whether the names screen readers hear were given to the controls as annotations (the system's accessibility
    // services may be missing); without them edits are still named by the label made just before them.
    bool namesAnnotated() const { return names_ != nullptr; }

    // Runs one event of the core inside the window's error report, then shows the model's new state.
    void handle(const std::function<void()>& event);
    // Copies the core's window model into the controls, without raising their events.
    void render();

private:
    struct Control {
        const app::ControlRow* row;
        HWND window = nullptr;
        std::unique_ptr<ContainerLook> look;  // containers only
    };

    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK focusHook(int code, WPARAM wParam, LPARAM lParam);
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // Building (main_window.cpp).
    void build();
    void buildChildren(std::u16string_view parent, HWND parentWindow);
    HWND makeControl(Control& control, HWND parentWindow, int id);
    void layout();
    // Every control's accessible name as an annotation of its window (see namesAnnotated).
    void annotateNames();
    // Ctrl+Tab and its kin: true when the key changed a page.
    bool changePageByKey(const MSG& message);
    // Enter on a focused push button: true when it pressed (or, held down, swallowed) it.
    bool pressButtonByEnter(const MSG& message);
    void placeControl(const Control& control);
    void placePageSheets(const Control& pageControl);
    HFONT fontFor(const app::ControlRow& row);
    const Control* controlOf(std::u16string_view name) const;

    // Events (main_window_events.cpp).
    void onCommand(int id, int code, HWND from);
    void onNotify(const NMHDR& header);
    void onFocusMoved(HWND from, HWND to);
    void runWindowHandler(const std::u16string& handler);
    void runHandler(const std::u16string& handler);
    void reportError(const char* what);
    bool insidePageControl(const Control& pageControl, HWND window) const;

    // Rendering (main_window_render.cpp).
    void setLabelText(std::u16string_view name, const std::u16string& text);
    void renderPrintView();
    void renderFlowPanel();
    void layoutImagingButtons();
    void renderPages();
    void showPage(const Control& pageControl, int index);

    app::TForm1& form_;
    HWND window_ = nullptr;
    HHOOK focusHook_ = nullptr;
    int dpi_ = 96;
    FontCache fonts_;
    HBRUSH yellow_ = nullptr;
    std::vector<Control> controls_;  // in table order
    std::map<std::u16string, std::size_t, std::less<>> byName_;
    std::map<std::u16string, const app::ControlRow*, std::less<>> labelled_;  // a label's name: the control it names
    std::vector<HWND> imagingButtons_;
    HWND printStatus_ = nullptr;
    app::PageControls pages_;
    bool rendering_ = false;             // controls changed by a render raise no events
    IAccPropServices* names_ = nullptr;  // the system's annotation service, or none
    std::vector<HWND> annotated_;
    bool comStarted_ = false;
    bool printersListed_ = false;
};

}  // namespace veltrane::platform::win32::window
