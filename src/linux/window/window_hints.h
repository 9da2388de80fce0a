#pragma once
// The hints an X11 window manager reads to decorate the main window: a border and no title-bar buttons.

class QWidget;

namespace veltrane::ui {

// Asks the window manager for a single border and no function but moving: no window menu, minimise, maximise
// or close. Several window managers keep every title-bar button whatever the function hints say and drop
// them only with the title bar itself, so the frame is a border alone; the window's own heading names it.
// Must run after the native window exists and before it is mapped; does nothing off X11.
void applyMainWindowHints(QWidget* window);

}  // namespace veltrane::ui
