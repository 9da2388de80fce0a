#pragma once
// The embedded browser of the Printers page.

#include <functional>
#include <string>

namespace veltrane::platform {

inline constexpr int kNavNoReadFromCache = 4;

// The page-setup values that stand when a print is given, as stored texts (margins in inches, e.g. "0.750000").
// An absent value is the empty text; an empty margin means the engine's default.
struct PageSetupValues {
    std::u16string header;
    std::u16string footer;
    std::u16string marginTop;
    std::u16string marginBottom;
    std::u16string marginLeft;
    std::u16string marginRight;
};

// What a window hears of its browser, on the GUI thread. The same set in both programs, so one piece of the core
// wires it to the window object; an empty member is not called.
struct BrowserEvents {
    // The top-level document has loaded; once per completed navigation, frames do not count.
    std::function<void()> navigateComplete;
    // The top-level document could not be loaded or did not load in time; the text says which page and why.
    std::function<void(const std::string& message)> navigateFailed;
    // How far the page has loaded, in percent, while it loads.
    std::function<void(int percent)> loadProgress;
    // The printer system (or the engine, where it prints by itself) took the print; the printer it went to. Taken
    // is not printed: the job may still wait in the queue.
    std::function<void(const std::string& printer)> printed;
    // The printer system reports the job done. A host whose printer system does not say (the Win32 one) never
    // calls it.
    std::function<void(const std::string& printer)> printCompleted;
    // The job waits for a reason the user can act on (the printer paused or stopped, the job held); the text
    // says it in words. Called again only when the reason changes.
    std::function<void(const std::string& printer, const std::string& reason)> printDelayed;
    // A print that had started could not be completed; the text says why. A host whose engine reports no
    // outcome (the Win32 one) never calls it.
    std::function<void(const std::string& message)> printFailed;
    // A host that must not let an exception unwind through the engine (the Win32 one) passes a handler's error
    // text here instead; without it, that host shows the text in a message box.
    std::function<void(const std::string& message)> handlerFailed;
};

class Browser {
public:
    virtual ~Browser() = default;
    // Accepted at once; the page loads in the background and its completion is reported as an event. From then on
    // the browser loads only pages of url's scheme, host and port: any other navigation, a redirect included, is
    // cancelled and reported as navigateFailed, and no page opens a window.
    virtual void navigate(const std::u16string& url, int flags) = 0;
    // Starts printing the loaded page on printer (empty: the default printer of that moment) without a dialog,
    // laid out with the page setup. Throws with the platform's text when nothing can be printed; a print that
    // has started reports its outcome later, as an event of the print view.
    virtual void print(const PageSetupValues& pageSetup, const std::u16string& printer) = 0;
    // Throws, saying why, when the print view cannot be shown: a print request asks before it changes anything.
    virtual void ensureViewable() {}
};

}  // namespace veltrane::platform
