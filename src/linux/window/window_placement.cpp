#include "linux/window/window_placement.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMargins>
#include <QRect>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <thread>

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

// Windows of the program that are being opened, noted on the root window so that two processes starting at the
// same moment do not both find the screen empty: each entry is a window, its process, whether its place is known,
// the place and when it was noted. A window is in sight within moments, so an older entry, or one whose window
// now belongs to another process, is one a process left behind when it ended.
constexpr char kOpening[] = "_VELTRANE_CLIENT_TOOLS_OPENING";

struct Opening {
    Window window;
    unsigned long process;
    bool known;
    QPoint place;        // native pixels
    std::int64_t noted;  // seconds since the epoch
};

constexpr std::int64_t kOpeningLasts = 5;  // seconds

std::int64_t nowSeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::vector<Opening> openingsOf(Display* display, Window root) {
    const std::vector<unsigned long> values = longsOf(display, root, kOpening, XA_CARDINAL);
    std::vector<Opening> openings;
    for (std::size_t i = 0; i + 5 < values.size(); i += 6)
        openings.push_back({static_cast<Window>(values[i]), values[i + 1], values[i + 2] != 0,
                            QPoint(static_cast<std::int32_t>(values[i + 3]), static_cast<std::int32_t>(values[i + 4])),
                            static_cast<std::int64_t>(static_cast<std::uint32_t>(values[i + 5]))});
    return openings;
}

void writeOpenings(Display* display, Window root, const std::vector<Opening>& openings) {
    std::vector<long> values;
    for (const auto& opening : openings) {
        values.push_back(static_cast<long>(opening.window));
        values.push_back(static_cast<long>(opening.process));
        values.push_back(opening.known ? 1 : 0);
        values.push_back(opening.place.x());
        values.push_back(opening.place.y());
        values.push_back(static_cast<long>(static_cast<std::uint32_t>(opening.noted)));
    }
    const Atom property = XInternAtom(display, kOpening, False);
    if (values.empty()) {
        XDeleteProperty(display, root, property);
        return;
    }
    XChangeProperty(display, root, property, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(values.data()), static_cast<int>(values.size()));
}

// Still being opened: the window exists, belongs to the process that noted it and is not yet in sight.
bool stillOpening(Display* display, const Opening& opening) {
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, opening.window, &attributes) || attributes.map_state == IsViewable) return false;
    const std::vector<unsigned long> process = longsOf(display, opening.window, "_NET_WM_PID", XA_CARDINAL);
    return process.size() == 1 && process.front() == opening.process;
}

// The place for the window among the others' places (the first opened first), in the toolkit's pixels.
QPoint placeAmong(QWidget* window, const std::vector<QPoint>& places, QMargins frame) {
    // A title bar's height; without a window manager's frame, the style's idea of one.
    const int step = frame.top() > frame.left()
                         ? frame.top()
                         : QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
    const QScreen* screen = QGuiApplication::screenAt(places.front());
    if (!screen) screen = window->screen();
    const QRect available =
        screen ? screen->availableGeometry() : QRect(places.front(), window->size()).marginsAdded(frame);
    return cascadePlace(places, window->size(), frame, step, available);
}

}  // namespace

std::optional<QPoint> placeClearOfOtherWindows(QWidget* window) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->display()) return std::nullopt;
    Display* display = x11->display();
    const Window root = DefaultRootWindow(display);
    const auto ownId = static_cast<Window>(window->winId());
    // The display speaks in native pixels, the toolkit in its own.
    const qreal ratio = window->devicePixelRatioF() > 0 ? window->devicePixelRatioF() : 1.0;
    const auto own = [ratio](QPoint native) { return QPoint(qRound(native.x() / ratio), qRound(native.y() / ratio)); };

    XSync(display, False);
    const auto previous = XSetErrorHandler(ignoreErrors);
    std::vector<OpenWindow> others;
    std::vector<Opening> openings;
    // Looking and noting this window down is one step for every other process: the server is held meanwhile. A
    // window another process is opening where its window manager decides is waited for (briefly) until it is in
    // sight, since only then is its place known.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    for (;;) {
        XGrabServer(display);
        others = otherMainWindows(display, ownId);
        openings.clear();
        bool unknown = false;
        const std::int64_t now = nowSeconds();
        for (const auto& opening : openingsOf(display, root)) {
            if (opening.window == ownId || now - opening.noted > kOpeningLasts || now < opening.noted ||
                !stillOpening(display, opening))
                continue;
            openings.push_back(opening);
            unknown = unknown || !opening.known;
        }
        if (!unknown || std::chrono::steady_clock::now() >= deadline) break;
        XUngrabServer(display);
        XFlush(display);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::vector<QPoint> places;
    for (const auto& other : others) places.push_back(own(other.place));
    for (const auto& opening : openings)
        if (opening.known) places.push_back(own(opening.place));
    std::optional<QPoint> place;
    if (!places.empty()) {
        const QMargins frame = others.empty() ? QMargins() : others.front().frame;
        place = placeAmong(window, places,
                           QMargins(qRound(frame.left() / ratio), qRound(frame.top() / ratio),
                                    qRound(frame.right() / ratio), qRound(frame.bottom() / ratio)));
    }
    const QPoint native = place ? QPoint(qRound(place->x() * ratio), qRound(place->y() * ratio)) : QPoint();
    openings.push_back({ownId, static_cast<unsigned long>(QCoreApplication::applicationPid()), place.has_value(),
                        native, nowSeconds()});
    writeOpenings(display, root, openings);
    XUngrabServer(display);
    XSync(display, False);
    XSetErrorHandler(previous);
    return place;
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
