#pragma once
// The embedded browser of the print view. The browser engine is large, so its module is loaded only when a page
// is requested; a navigate that arrives before the window exists is kept until the view can be built.

#include <QPointer>
#include <QWidget>
#include <memory>
#include <optional>
#include <string>

#include "platform/browser.h"
#include "linux/modules/module_loader.h"
#include "linux/modules/browser_view.h"

namespace veltrane::ui {

class BrowserHost final : public platform::Browser {
public:
    // The browser module is loaded through loader; without one, through the dynamic linker.
    BrowserHost();
    explicit BrowserHost(platform::ModuleLoader& loader);
    ~BrowserHost() override;

    void navigate(const std::u16string& url, int flags) override;
    // Throws "No page is loaded" when no page was ever requested or the browser module is missing.
    void print(const platform::PageSetupValues& pageSetup, const std::u16string& printer) override;

    // The panel the view is placed in (where the window table puts WebBrowser1) and the window's handlers of the
    // view's events. Starts a kept navigate.
    void attach(QWidget* panel, platform::BrowserEvents events);
    bool viewLoaded() const { return view_ != nullptr; }

private:
    bool ensureView();

    std::unique_ptr<platform::ModuleLoader> ownLoader_;
    platform::ModuleLoader& loader_;
    QPointer<QWidget> panel_;
    platform::BrowserView* view_ = nullptr;  // lives as long as the window; its widget belongs to the panel
    bool loadFailed_ = false;
    std::optional<std::pair<std::u16string, int>> pending_;
    platform::BrowserEvents events_;
};

}  // namespace veltrane::ui
