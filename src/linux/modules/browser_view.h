#pragma once
// The seam between the Qt window module and the Qt browser module. The browser engine is large, so it lives in a
// module of its own that the window loads only when a page is requested.

#include <functional>
#include <string>

#include "platform/browser.h"

class QWidget;

namespace veltrane::platform {

class BrowserView {
public:
    virtual ~BrowserView() = default;
    // The widget showing the page; the window places it in the print view's panel.
    virtual QWidget* widget() = 0;
    // Starts loading without waiting and bypassing every cache; completion is reported through
    // onNavigateComplete, on the GUI thread, once per completed load.
    virtual void navigate(const std::u16string& url, int flags) = 0;
    // Starts printing the loaded page on printer (empty: the current default) without a dialog, with the
    // page-setup values; throws veltrane::Error when nothing can be printed. The outcome comes as onPrinted or
    // onPrintFailed, on the GUI thread; prints asked for while one is under way follow it in order.
    virtual void print(const PageSetupValues& pageSetup, const std::u16string& printer) = 0;

    std::function<void()> onNavigateComplete;
    // A load that failed or did not complete within the time limit; the text says which page and why.
    std::function<void(const std::string& message)> onNavigateFailed;
    // How far the page has loaded, in percent.
    std::function<void(int percent)> onLoadProgress;
    // The printer system has accepted the job; the name of the printer it went to.
    std::function<void(const std::string& printer)> onPrinted;
    std::function<void(const std::string& message)> onPrintFailed;
};

}  // namespace veltrane::platform

// Exported by the browser module: creates the view as a child of parent.
extern "C" veltrane::platform::BrowserView* veltrane_create_browser_view(QWidget* parent);
inline constexpr const char* kBrowserViewFactorySymbol = "veltrane_create_browser_view";
