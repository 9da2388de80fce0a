#pragma once
// The seam between the Qt window module and the Qt browser module. The browser engine is large, so it lives in a
// module of its own that the window loads only when a page is requested.

#include <optional>
#include <string>

#include "platform/browser.h"

class QWidget;

namespace veltrane::platform {

// What the print view needs of the printer system: it renders the page to PDF and hands that over. The browser
// module's entry point gives the view the CUPS one, so the view itself knows no printer system.
class PdfPrinters {
public:
    struct Paper {
        std::string name;    // e.g. "iso_a4_210x297mm"
        double widthMm = 0;  // the whole sheet
        double heightMm = 0;
    };

    virtual ~PdfPrinters() = default;
    // The user's default printer; throws veltrane::Error saying there is none.
    virtual std::string defaultPrinter() = 0;
    // The paper a printer takes by default, or nullopt when the printer does not say.
    virtual std::optional<Paper> defaultPaper(const std::string& printer) = 0;
    // Submits the PDF as one job and returns its id; throws veltrane::Error with the printer system's text when
    // it is refused.
    virtual int submitPdf(const std::string& printer, const std::string& pdf, const std::string& title) = 0;

    // Where a submitted job stands. reason: why it waits or failed, in words; empty while it waits its turn.
    struct JobState {
        enum class Kind { Waiting, Completed, Failed, Unknown };
        Kind kind = Kind::Unknown;
        std::string reason;
    };
    virtual JobState jobState(const std::string& printer, int job) = 0;
};

class BrowserView {
public:
    virtual ~BrowserView() = default;
    // The widget showing the page; the window places it in the print view's panel.
    virtual QWidget* widget() = 0;
    // Starts loading without waiting and bypassing every cache; completion is reported through
    // events.navigateComplete, once per completed load.
    virtual void navigate(const std::u16string& url, int flags) = 0;
    // Starts printing the loaded page on printer (empty: the current default) without a dialog, with the
    // page-setup values; throws veltrane::Error when nothing can be printed. The outcome comes as events.printed
    // (the printer system has accepted the job) or events.printFailed; then, as the printer system reports the
    // job, events.printDelayed, events.printCompleted or events.printFailed. Prints asked for while one is under
    // way follow it in order.
    virtual void print(const PageSetupValues& pageSetup, const std::u16string& printer) = 0;

    // Set by the window's browser host; handlerFailed is not used (the window reports its handlers' errors).
    BrowserEvents events;
};

}  // namespace veltrane::platform

// Exported by the browser module: creates the view as a child of parent.
extern "C" veltrane::platform::BrowserView* veltrane_create_browser_view(QWidget* parent);
inline constexpr const char* kBrowserViewFactorySymbol = "veltrane_create_browser_view";
