#include "linux/window/window_hints.h"

#include <QGuiApplication>
#include <QWidget>

// Xlib's macros (Bool, Status, ...) clash with the toolkit's names, so it comes last.
#include <X11/Xlib.h>

namespace veltrane::ui {

namespace {

// The Motif window manager hints, as every X11 window manager reads them.
constexpr unsigned long kHintsFunctions = 1UL << 0;
constexpr unsigned long kHintsDecorations = 1UL << 1;
constexpr unsigned long kFunctionMove = 1UL << 2;
constexpr unsigned long kDecorBorder = 1UL << 1;

}  // namespace

void applyMainWindowHints(QWidget* window) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->display()) return;
    Display* display = x11->display();
    const auto id = static_cast<Window>(window->winId());
    // flags, functions, decorations, input mode, status
    long hints[5] = {static_cast<long>(kHintsFunctions | kHintsDecorations), static_cast<long>(kFunctionMove),
                     static_cast<long>(kDecorBorder), 0, 0};
    const Atom motif = XInternAtom(display, "_MOTIF_WM_HINTS", False);
    XChangeProperty(display, id, motif, motif, 32, PropModeReplace, reinterpret_cast<unsigned char*>(hints), 5);
    XFlush(display);
}

}  // namespace veltrane::ui
