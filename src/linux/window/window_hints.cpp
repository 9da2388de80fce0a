#include "linux/window/window_hints.h"

#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QWidget>
#include <algorithm>

// Xlib's macros (Bool, Status, ...) clash with the toolkit's names, so it comes last.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace veltrane::ui {

namespace {

// The Motif window manager hints, as every X11 window manager reads them.
constexpr unsigned long kHintsFunctions = 1UL << 0;
constexpr unsigned long kHintsDecorations = 1UL << 1;
constexpr unsigned long kFunctionMove = 1UL << 2;
constexpr unsigned long kDecorBorder = 1UL << 1;
constexpr unsigned long kDecorTitle = 1UL << 3;

// The display the toolkit talks to, or null off X11.
Display* x11Display() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

}  // namespace

void applyMainWindowHints(QWidget* window) {
    Display* display = x11Display();
    if (!display) return;
    const auto id = static_cast<Window>(window->winId());
    // flags, functions, decorations, input mode, status
    long hints[5] = {static_cast<long>(kHintsFunctions | kHintsDecorations), static_cast<long>(kFunctionMove),
                     static_cast<long>(kDecorBorder | kDecorTitle), 0, 0};
    const Atom motif = XInternAtom(display, "_MOTIF_WM_HINTS", False);
    XChangeProperty(display, id, motif, motif, 32, PropModeReplace, reinterpret_cast<unsigned char*>(hints), 5);
    XFlush(display);
}

namespace {

bool hasState(Display* display, Window id, Atom state, Atom wanted) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool found = false;
    if (XGetWindowProperty(display, id, state, 0, 64, False, XA_ATOM, &type, &format, &count, &after, &data) != Success)
        return false;
    if (data && type == XA_ATOM && format == 32) {
        const auto* atoms = reinterpret_cast<const unsigned long*>(data);
        found = std::find(atoms, atoms + count, wanted) != atoms + count;
    }
    if (data) XFree(data);
    return found;
}

// Watches the window's state property, which the window manager rewrites when it rolls the window up.
class ShadeWatcher final : public QObject, public QAbstractNativeEventFilter {
public:
    ShadeWatcher(QWidget* window, Display* display)
        : QObject(window),
          window_(window),
          display_(display),
          state_(XInternAtom(display, "_NET_WM_STATE", False)),
          shaded_(XInternAtom(display, "_NET_WM_STATE_SHADED", False)) {
        qApp->installNativeEventFilter(this);
    }
    ~ShadeWatcher() override { qApp->removeNativeEventFilter(this); }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "xcb_generic_event_t") return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY) return false;
        const auto* change = static_cast<const xcb_property_notify_event_t*>(message);
        if (change->window != window_->internalWinId() || change->atom != state_) return false;
        // Looked at once this event is handled, not inside the toolkit's event reader.
        QMetaObject::invokeMethod(this, &ShadeWatcher::unshade, Qt::QueuedConnection);
        return false;
    }

private:
    void unshade() {
        const auto id = static_cast<Window>(window_->internalWinId());
        if (!id || !hasState(display_, id, state_, shaded_)) return;
        // The extended window manager hints' state request: remove (0) the shaded state, from an application (1).
        XEvent request{};
        request.xclient.type = ClientMessage;
        request.xclient.window = id;
        request.xclient.message_type = state_;
        request.xclient.format = 32;
        request.xclient.data.l[0] = 0;
        request.xclient.data.l[1] = static_cast<long>(shaded_);
        request.xclient.data.l[3] = 1;
        XSendEvent(display_, DefaultRootWindow(display_), False, SubstructureRedirectMask | SubstructureNotifyMask,
                   &request);
        XFlush(display_);
    }

    QWidget* window_;
    Display* display_;
    Atom state_;
    Atom shaded_;
};

}  // namespace

void keepUnshaded(QWidget* window) {
    Display* display = x11Display();
    // One watcher a window, however often it is shown.
    const QString name = QStringLiteral("ShadeWatcher");
    if (!display || window->findChild<QObject*>(name, Qt::FindDirectChildrenOnly)) return;
    (new ShadeWatcher(window, display))->setObjectName(name);
}

}  // namespace veltrane::ui
