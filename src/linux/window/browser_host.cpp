#include "linux/window/browser_host.h"

#include <cstdio>

#include "app/window/window_table.h"
#include "base/error.h"
#include "linux/modules/dl_module_loader.h"
#include "linux/modules/module_path.h"

#ifndef VELTRANE_BROWSER_MODULE_FILE
#error "the build names the browser module (VELTRANE_BROWSER_MODULE_FILE)"
#endif

namespace veltrane::ui {

namespace {

// The browser's row of the window table: its name and its place in the print view's panel.
const app::ControlRow& browserRow() {
    for (const auto& row : app::windowControls())
        if (row.kind == app::ControlKind::Browser) return row;
    throw Error("The window table has no browser");
}

}  // namespace

BrowserHost::BrowserHost() : ownLoader_(std::make_unique<platform::modules::DlModuleLoader>()), loader_(*ownLoader_) {}

BrowserHost::BrowserHost(platform::ModuleLoader& loader) : loader_(loader) {}

BrowserHost::~BrowserHost() = default;

void BrowserHost::navigate(const std::u16string& url, int flags) {
    if (panel_ && ensureView()) {
        view_->navigate(url, flags);
        return;
    }
    pending_.emplace(url, flags);
}

void BrowserHost::print(const platform::PageSetupValues& pageSetup, const std::u16string& printer) {
    if (!view_) throw Error("No page is loaded");
    view_->print(pageSetup, printer);
}

void BrowserHost::attach(QWidget* panel, platform::BrowserEvents events) {
    panel_ = panel;
    events_ = std::move(events);
    if (pending_ && ensureView()) {
        const auto [url, flags] = *pending_;
        pending_.reset();
        view_->navigate(url, flags);
    }
}

bool BrowserHost::ensureView() {
    if (view_) return true;
    if (loadFailed_ || !panel_) return false;
    // $VELTRANE_BROWSER_MODULE, or where the program's other modules are.
    const std::string path =
        platform::modules::shippedFilePath(VELTRANE_BROWSER_MODULE_FILE, "VELTRANE_BROWSER_MODULE");
    std::string why;
    const auto module = loader_.load(path, why);
    auto* factory =
        module ? loader_.function<decltype(veltrane_create_browser_view)>(module, kBrowserViewFactorySymbol, why)
               : nullptr;
    if (!factory) {
        std::fprintf(stderr, "veltrane-client-tools: the browser module could not be loaded: %s\n", why.c_str());
        loadFailed_ = true;
        return false;
    }
    view_ = factory(panel_);
    if (!view_) {
        loadFailed_ = true;
        return false;
    }
    // Through the host, so a view that outlives its window reports to nobody rather than to a dead window.
    view_->events.navigateComplete = [this] {
        if (events_.navigateComplete) events_.navigateComplete();
    };
    view_->events.navigateFailed = [this](const std::string& message) {
        if (events_.navigateFailed) events_.navigateFailed(message);
    };
    view_->events.loadProgress = [this](int percent) {
        if (events_.loadProgress) events_.loadProgress(percent);
    };
    view_->events.printed = [this](const std::string& printer) {
        if (events_.printed) events_.printed(printer);
    };
    view_->events.printCompleted = [this](const std::string& printer) {
        if (events_.printCompleted) events_.printCompleted(printer);
    };
    view_->events.printDelayed = [this](const std::string& printer, const std::string& reason) {
        if (events_.printDelayed) events_.printDelayed(printer, reason);
    };
    view_->events.printFailed = [this](const std::string& message) {
        if (events_.printFailed) events_.printFailed(message);
    };
    if (QWidget* widget = view_->widget()) {
        widget->setParent(panel_);
        const app::ControlRow& row = browserRow();
        widget->setObjectName(QString::fromStdU16String(row.name));
        widget->setGeometry(row.bounds.left, row.bounds.top, row.bounds.width, row.bounds.height);
        widget->show();
    }
    return true;
}

}  // namespace veltrane::ui
