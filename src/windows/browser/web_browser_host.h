#pragma once
// The embedded browser of the print view on Windows: the system's WebBrowser control, hosted in a panel of the
// window through IWebBrowser2 with in-place activation. A navigate that arrives before the window exists is kept
// until the host is attached to its panel.

#include <windows.h>

#include <memory>
#include <string>

#include "platform/browser.h"
#include "platform/printers.h"

namespace veltrane::platform::win32 {

class WebBrowserHost final : public Browser {
public:
    // printers: where a print makes its printer the default. printLockPath: the lock all of this user's print
    // views share (empty: the program's own, in the local application data).
    explicit WebBrowserHost(Printers& printers, std::u16string printLockPath = {});
    ~WebBrowserHost() override;
    WebBrowserHost(const WebBrowserHost&) = delete;
    WebBrowserHost& operator=(const WebBrowserHost&) = delete;

    // Starts loading at once, or keeps the request until attach. flags go to the control as they are
    // (kNavNoReadFromCache: the page is fetched afresh).
    void navigate(const std::u16string& url, int flags) override;
    // ExecWB(OLECMDID_PRINT, OLECMDEXECOPT_DONTPROMPTUSER) on the loaded page, which prints on the default printer
    // with the engine's per-user page setup: under the print lock of this user (print_coordinator.h), printer (when
    // not empty) is made the default and pageSetup written to the engine's key first, whatever other open requests
    // wrote there. Throws "No page is loaded" when no page has loaded (also after a failed navigation), and the
    // engine's refusal in words; a print that waits for another request's reports its outcome as an event.
    void print(const PageSetupValues& pageSetup, const std::u16string& printer) override;
    // Throws, saying why, when the browser component cannot be started on this computer.
    void ensureViewable() override;

    // Creates the control in parent, filling its client area and following its size from then on, and starts a
    // kept navigate. Runs on the GUI thread, which must be (or become) a single-threaded OLE apartment. Throws
    // with a plain text when the control cannot be created.
    // The events come as window events, never from inside the control's own event call; printFailed only for a
    // print that waited for another request's and then could not be given (the engine does not say how a print
    // ended). A handler that throws has its text passed to handlerFailed
    // (or, without one, shown in a message box): an exception must never unwind through the control.
    void attach(HWND parent, BrowserEvents events);
    // Fits the control to the parent's client area again (done by itself when the parent is resized).
    void resize();

    bool attached() const;
    // The control's own window, a child of the parent; null before attach.
    HWND controlWindow() const;
    bool pageLoaded() const;

    // $VELTRANE_PAGE_LOAD_TIMEOUT_MS, or 60 seconds.
    static int loadTimeLimitMs();

    class Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace veltrane::platform::win32
