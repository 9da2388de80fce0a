#include "linux/window/window_placement.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMargins>
#include <QRect>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <cstdlib>
#include <string>

// Xlib's macros (Bool, Status, ...) clash with the toolkit's names, so it comes last.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace veltrane::ui {

namespace {

// A window may go away while it is looked at; its errors are then expected and not the program's end.
int ignoreErrors(Display*, XErrorEvent*) { return 0; }

// The values of a 32-bit property (windows, cardinals); empty when absent or of another type.
std::vector<unsigned long> longsOf(Display* display, Window window, const char* name, Atom type) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> values;
    const Atom property = XInternAtom(display, name, False);
    if (XGetWindowProperty(display, window, property, 0, 4096, False, type, &actualType, &format, &count, &after,
                           &data) != Success)
        return values;
    if (data && actualType == type && format == 32) {
        const auto* longs = reinterpret_cast<const unsigned long*>(data);
        values.assign(longs, longs + count);
    }
    if (data) XFree(data);
    return values;
}

std::string textOf(Display* display, Window window, const char* name) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string text;
    const Atom property = XInternAtom(display, name, False);
    if (XGetWindowProperty(display, window, property, 0, 1024, False, AnyPropertyType, &actualType, &format, &count,
                           &after, &data) != Success)
        return text;
    if (data && format == 8) text.assign(reinterpret_cast<const char*>(data), count);
    if (data) XFree(data);
    return text;
}

std::string classOf(Display* display, Window window) {
    XClassHint hint{};
    if (!XGetClassHint(display, window, &hint)) return {};
    std::string name = hint.res_class ? hint.res_class : "";
    if (hint.res_name) XFree(hint.res_name);
    if (hint.res_class) XFree(hint.res_class);
    return name;
}

// The top-level windows of the display: the window manager's list where there is one, in the order they were
// mapped; else the root window's children.
std::vector<Window> topLevelWindows(Display* display, Window root) {
    std::vector<unsigned long> listed = longsOf(display, root, "_NET_CLIENT_LIST", XA_WINDOW);
    if (!listed.empty()) return {listed.begin(), listed.end()};
    Window rootReturn = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    std::vector<Window> windows;
    if (XQueryTree(display, root, &rootReturn, &parent, &children, &count) && children) {
        windows.assign(children, children + count);
        XFree(children);
    }
    return windows;
}

struct OpenWindow {
    QPoint place;    // the top left of the window itself, in native pixels
    QMargins frame;  // the window manager's frame around it; its top is the title bar, where there is one
};

std::vector<OpenWindow> otherMainWindows(Display* display, Window own) {
    const Window root = DefaultRootWindow(display);
    const std::string ownClass = classOf(display, own);
    std::vector<OpenWindow> found;
    for (Window window : topLevelWindows(display, root)) {
        if (window == own) continue;
        // The role first: it rules out almost every other window at one request.
        if (textOf(display, window, "WM_WINDOW_ROLE") != kMainWindowRole || classOf(display, window) != ownClass)
            continue;
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable) continue;
        int x = 0, y = 0;
        Window child = 0;
        if (!XTranslateCoordinates(display, window, root, 0, 0, &x, &y, &child)) continue;
        const std::vector<unsigned long> extents = longsOf(display, window, "_NET_FRAME_EXTENTS", XA_CARDINAL);
        QMargins frame;
        if (extents.size() == 4)
            frame = QMargins(static_cast<int>(extents[0]), static_cast<int>(extents[2]), static_cast<int>(extents[1]),
                             static_cast<int>(extents[3]));
        found.push_back({QPoint(x, y), frame});
    }
    return found;
}

}  // namespace

std::optional<QPoint> placeClearOfOtherWindows(QWidget* window) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->display()) return std::nullopt;
    Display* display = x11->display();
    XSync(display, False);
    const auto previous = XSetErrorHandler(ignoreErrors);
    const std::vector<OpenWindow> others = otherMainWindows(display, static_cast<Window>(window->winId()));
    XSync(display, False);
    XSetErrorHandler(previous);
    if (others.empty()) return std::nullopt;

    // The display speaks in native pixels, the toolkit in its own.
    const qreal ratio = window->devicePixelRatioF() > 0 ? window->devicePixelRatioF() : 1.0;
    const auto own = [ratio](QPoint native) { return QPoint(qRound(native.x() / ratio), qRound(native.y() / ratio)); };
    const OpenWindow& first = others.front();
    const QMargins frame(qRound(first.frame.left() / ratio), qRound(first.frame.top() / ratio),
                         qRound(first.frame.right() / ratio), qRound(first.frame.bottom() / ratio));
    // A title bar's height; without a window manager's frame, the style's idea of one.
    const int step = frame.top() > frame.left()
                         ? frame.top()
                         : QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
    const QPoint base = own(first.place);
    const QScreen* screen = QGuiApplication::screenAt(base);
    if (!screen) screen = window->screen();
    const QRect available = screen ? screen->availableGeometry() : QRect(base, window->size()).marginsAdded(frame);
    std::vector<QPoint> places;
    for (const auto& other : others) places.push_back(own(other.place));
    return cascadePlace(places, window->size(), frame, step, available);
}

QPoint cascadePlace(const std::vector<QPoint>& others, QSize size, QMargins frame, int step, QRect available) {
    // The window in its frame, were it placed there (with the frame the others have).
    const auto framed = [&](QPoint place) { return QRect(place, size).marginsAdded(frame); };
    const auto taken = [&](QPoint place) {
        for (const QPoint& other : others) {
            const QPoint delta = other - place;
            if (std::abs(delta.x()) <= step / 2 && std::abs(delta.y()) <= step / 2) return true;
        }
        return false;
    };
    // Down and right from the first window; where the screen ends, on from its top left.
    const QPoint corner = available.topLeft() + QPoint(frame.left(), frame.top());
    QPoint origin = others.empty() ? corner : others.front();
    QPoint place = origin;
    int k = 0;
    for (std::size_t tries = 0; tries <= 2 * others.size() + 1; ++tries) {
        ++k;
        place = origin + QPoint(k * step, k * step);
        if (!available.contains(framed(place))) {
            if (origin == corner) return corner;  // a screen too small to cascade on
            origin = corner;
            k = 0;
            place = corner;
        }
        if (!taken(place)) return place;
    }
    return place;
}

}  // namespace veltrane::ui
