#pragma once
// The hints an X11 window manager reads to decorate the main window: a title bar to move it by, and no
// title-bar buttons.

class QWidget;

namespace veltrane::ui {

// Asks the window manager for a title bar and a border and no function but moving: no window menu, minimise,
// maximise or close. Some window managers draw their buttons whatever the function hints say; the window then
// refuses to close and undoes a minimise itself.
// Must run after the native window exists and before it is mapped; does nothing off X11.
void applyMainWindowHints(QWidget* window);

// Unrolls the window each time a window manager rolls it up to its title bar (a scroll on the title bar does that
// under some managers): rolled up, the window hides DONE, and the toolkit does not report it as minimised. Lasts as
// long as the window; does nothing off X11.
void keepUnshaded(QWidget* window);

}  // namespace veltrane::ui
