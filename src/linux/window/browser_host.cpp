#include "linux/window/browser_host.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

#include "base/error.h"
#include "linux/modules/dl_module_loader.h"

#ifndef VELTRANE_BROWSER_MODULE_FILE
#error "the build names the browser module (VELTRANE_BROWSER_MODULE_FILE)"
#endif

namespace veltrane::ui {

namespace {

// The folder this module was loaded from.
std::string ownFolder() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&browserModulePath), &info) == 0 || !info.dli_fname) return ".";
    std::string path = info.dli_fname;
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}
}  // namespace

std::string browserModulePath() {
    if (const char* overridden = std::getenv("VELTRANE_BROWSER_MODULE"); overridden && *overridden) return overridden;
    return ownFolder() + "/" VELTRANE_BROWSER_MODULE_FILE;
}

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

void BrowserHost::attach(QWidget* panel, BrowserEvents events) {
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
    const std::string path = browserModulePath();
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
    view_->onNavigateComplete = [this] {
        if (events_.navigateComplete) events_.navigateComplete();
    };
    view_->onNavigateFailed = [this](const std::string& message) {
        if (events_.navigateFailed) events_.navigateFailed(message);
    };
    view_->onLoadProgress = [this](int percent) {
        if (events_.loadProgress) events_.loadProgress(percent);
    };
    view_->onPrinted = [this](const std::string& printer) {
        if (events_.printed) events_.printed(printer);
    };
    view_->onPrintFailed = [this](const std::string& message) {
        if (events_.printFailed) events_.printFailed(message);
    };
    if (QWidget* widget = view_->widget()) {
        widget->setParent(panel_);
        widget->setObjectName(QStringLiteral("WebBrowser1"));
        widget->setGeometry(1, 1, 540, 214);
        widget->show();
    }
    return true;
}

}  // namespace veltrane::ui
