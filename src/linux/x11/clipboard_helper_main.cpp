// veltrane-clipboard: keeps a text on the X11 CLIPBOARD selection after the program that set it has ended.
//
// The text arrives on stdin (UTF-8). The helper takes the selection, reports "OK <pid>" or "ERR <reason>" on
// stdout and, once it owns the selection, serves it from a background process in its own session until another
// program takes the selection, the display goes away, or the maximum lifetime (24 hours unless
// --max-lifetime <seconds> says otherwise) has passed, so a forgotten helper never lingers for days.
// Only this helper links Xlib, which keeps the program itself light.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr std::size_t kMaxText = 1 << 20;  // the command is one short line; this only bounds a runaway caller

void report(const std::string& line) {
    const std::string out = line + "\n";
    (void)!write(STDOUT_FILENO, out.data(), out.size());
}

[[noreturn]] void fail(const std::string& reason) {
    report("ERR " + reason);
    std::exit(1);
}

// STRING is Latin-1: characters beyond it become '?'.
std::string toLatin1(const std::string& utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        unsigned cp;
        std::size_t len;
        if (c < 0x80)
            cp = c, len = 1;
        else if ((c & 0xE0) == 0xC0)
            cp = c & 0x1F, len = 2;
        else if ((c & 0xF0) == 0xE0)
            cp = c & 0x0F, len = 3;
        else if ((c & 0xF8) == 0xF0)
            cp = c & 0x07, len = 4;
        else
            cp = 0xFFFD, len = 1;
        for (std::size_t k = 1; k < len && i + k < utf8.size(); ++k) cp = cp << 6 | (utf8[i + k] & 0x3F);
        out.push_back(cp <= 0xFF ? static_cast<char>(cp) : '?');
        i += len;
    }
    return out;
}

int ignoreErrors(Display*, XErrorEvent*) { return 0; }  // a requestor that vanished mid-transfer is not our fault
int connectionLost(Display*) { std::_Exit(0); }

struct Atoms {
    Atom clipboard, utf8, text, targets, timestamp, property;
};

// A timestamp from the server, as selection owners must use instead of CurrentTime.
Time serverTime(Display* d, Window w, Atom property) {
    XChangeProperty(d, w, property, XA_STRING, 8, PropModeAppend, nullptr, 0);
    XEvent ev;
    while (true) {
        XWindowEvent(d, w, PropertyChangeMask, &ev);
        if (ev.type == PropertyNotify && ev.xproperty.atom == property) return ev.xproperty.time;
    }
}

void answer(Display* d, const XSelectionRequestEvent& r, const Atoms& a, const std::string& utf8,
            const std::string& latin1, Time owned, std::size_t maxBytes) {
    XSelectionEvent ev{};
    ev.type = SelectionNotify;
    ev.display = r.display;
    ev.requestor = r.requestor;
    ev.selection = r.selection;
    ev.target = r.target;
    ev.time = r.time;
    // Obsolete clients name no property; the target then serves as the property.
    Atom property = r.property == None ? r.target : r.property;
    if (r.target == a.targets) {
        const Atom list[] = {a.targets, a.timestamp, a.utf8, XA_STRING, a.text};
        XChangeProperty(d, r.requestor, property, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(list), 5);
    } else if (r.target == a.timestamp) {
        const long t = static_cast<long>(owned);
        XChangeProperty(d, r.requestor, property, XA_INTEGER, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&t), 1);
    } else if ((r.target == a.utf8 || r.target == a.text) && utf8.size() <= maxBytes) {
        XChangeProperty(d, r.requestor, property, a.utf8, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(utf8.data()), static_cast<int>(utf8.size()));
    } else if (r.target == XA_STRING && latin1.size() <= maxBytes) {
        XChangeProperty(d, r.requestor, property, XA_STRING, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(latin1.data()), static_cast<int>(latin1.size()));
    } else {
        // Unknown targets, and texts too large for one request (no incremental transfer): refused.
        property = None;
    }
    ev.property = property;
    XSendEvent(d, r.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&ev));
    XFlush(d);
}

}  // namespace

int main(int argc, char** argv) {
    long lifetimeSeconds = 24L * 60 * 60;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--max-lifetime") == 0) lifetimeSeconds = std::strtol(argv[i + 1], nullptr, 10);
    }
    signal(SIGPIPE, SIG_IGN);

    std::string text;
    char buffer[4096];
    while (true) {
        const ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) fail(std::string("cannot read the text: ") + std::strerror(errno));
        if (got == 0) break;
        text.append(buffer, static_cast<std::size_t>(got));
        if (text.size() > kMaxText) fail("the text is too large for the clipboard");
    }

    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) fail("no display is available (DISPLAY is not set)");
    Display* d = XOpenDisplay(nullptr);
    if (!d) fail(std::string("cannot open display \"") + XDisplayName(nullptr) + "\"");
    XSetErrorHandler(ignoreErrors);
    XSetIOErrorHandler(connectionLost);

    Atoms a{XInternAtom(d, "CLIPBOARD", False), XInternAtom(d, "UTF8_STRING", False),
            XInternAtom(d, "TEXT", False),      XInternAtom(d, "TARGETS", False),
            XInternAtom(d, "TIMESTAMP", False), XInternAtom(d, "VELTRANE_CLIPBOARD_TIME", False)};
    const Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(d, w, PropertyChangeMask);
    const Time owned = serverTime(d, w, a.property);
    XSetSelectionOwner(d, a.clipboard, w, owned);
    if (XGetSelectionOwner(d, a.clipboard) != w) fail("another program holds the clipboard");

    long maxRequest = XExtendedMaxRequestSize(d);
    if (maxRequest == 0) maxRequest = XMaxRequestSize(d);
    const std::size_t maxBytes = static_cast<std::size_t>(maxRequest) * 4 - 256;
    const std::string latin1 = toLatin1(text);

    // The server side from here on: a process of its own session that outlives the caller.
    const pid_t server = fork();
    if (server < 0) fail(std::string("cannot start the clipboard server: ") + std::strerror(errno));
    if (server > 0) {
        report("OK " + std::to_string(server));
        _exit(0);
    }
    setsid();
    if (chdir("/") != 0) { /* the root always exists */
    }
    const int null = open("/dev/null", O_RDWR);
    if (null >= 0) {
        dup2(null, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        if (null > STDERR_FILENO) close(null);
    }

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(lifetimeSeconds);
    const int fd = ConnectionNumber(d);
    while (true) {
        while (XPending(d) > 0) {
            XEvent ev;
            XNextEvent(d, &ev);
            if (ev.type == SelectionClear && ev.xselectionclear.selection == a.clipboard) return 0;
            if (ev.type == SelectionRequest) answer(d, ev.xselectionrequest, a, text, latin1, owned, maxBytes);
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return 0;
        pollfd p{fd, POLLIN, 0};
        poll(&p, 1, static_cast<int>(std::min<long long>(left.count(), 60'000)));
    }
}
