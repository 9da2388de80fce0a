#include "linux/modules/window_loader.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "base/error.h"
#include "linux/modules/display_connection.h"
#include "linux/modules/module_path.h"

#ifndef VELTRANE_UI_MODULE_FILE
#error "the build names the window module (VELTRANE_UI_MODULE_FILE)"
#endif

namespace veltrane::platform::modules {

namespace {

std::string env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Qt platforms that need no display server.
bool headlessPlatform(std::string_view platform) {
    for (std::string_view p : {"offscreen", "minimal", "vnc", "vkkhrdisplay", "eglfs", "linuxfb"})
        if (platform.substr(0, p.size()) == p) return true;
    return false;
}

// libxcb is loaded only for this question, so a run that shows nothing never maps it.
bool xDisplayAccepts(ModuleLoader& loader, const std::string& display, std::string& reason) {
    using Connect = void*(const char*, int*);
    using HasError = int(void*);
    using Disconnect = void(void*);
    std::string why;
    const auto xcb = loader.load("libxcb.so.1", why);
    auto* connect = xcb ? loader.function<Connect>(xcb, "xcb_connect", why) : nullptr;
    auto* hasError = xcb ? loader.function<HasError>(xcb, "xcb_connection_has_error", why) : nullptr;
    auto* disconnect = xcb ? loader.function<Disconnect>(xcb, "xcb_disconnect", why) : nullptr;
    if (!connect || !hasError || !disconnect) {
        reason = "the X11 client library (libxcb.so.1) is not installed";
        return false;
    }
    // A server busy with another program's connection refuses one now and then: tried again for a moment.
    void* connection = retryConnect(
        [&]() -> void* {
            void* attempt = connect(display.c_str(), nullptr);
            if (hasError(attempt) == 0) return attempt;
            disconnect(attempt);
            return nullptr;
        },
        kDisplayConnectTime);
    // The library stays loaded: the toolkit that follows uses it anyway.
    if (connection) disconnect(connection);
    if (!connection) {
        reason = "cannot connect to the X display \"" + display + "\"";
        return false;
    }
    return true;
}

}  // namespace

bool displayReachable(ModuleLoader& loader, std::string& reason) {
    const std::string platform = env("QT_QPA_PLATFORM");
    const std::string display = env("DISPLAY");
    if (!platform.empty()) {
        if (headlessPlatform(platform)) return true;
        if (platform.rfind("xcb", 0) == 0) {
            if (display.empty()) {
                reason = "QT_QPA_PLATFORM asks for X11 but DISPLAY is not set";
                return false;
            }
            return xDisplayAccepts(loader, display, reason);
        }
        return true;  // another platform plugin the user chose; the toolkit will judge it
    }
    if (!display.empty()) return xDisplayAccepts(loader, display, reason);
    if (!env("WAYLAND_DISPLAY").empty()) return true;
    reason = "no display is available (neither DISPLAY nor WAYLAND_DISPLAY is set)";
    return false;
}

std::string windowModulePath() { return shippedFilePath(VELTRANE_UI_MODULE_FILE, "VELTRANE_UI_MODULE"); }

bool WindowLoader::ensureGui(bool forBrowser) {
    if (module_) return true;
    if (tried_) return false;
    tried_ = true;
    if (!displayReachable(loader_, reason_)) return false;

    const std::string path = windowModulePath();
    std::string why;
    const auto handle = loader_.load(path, why);
    if (!handle) {
        reason_ = "the window module could not be loaded: " + why;
        return false;
    }
    auto* factory = loader_.function<decltype(veltrane_create_window_module)>(handle, kWindowModuleFactorySymbol, why);
    if (!factory) {
        reason_ = "the window module " + path + " has no " + kWindowModuleFactorySymbol;
        return false;
    }
    std::unique_ptr<WindowModule> module(factory());
    if (!module || !module->openGui(toolkitArgs_, forBrowser, reason_)) return false;
    module_ = std::move(module);
    return true;
}

void WindowLoader::showMessage(const std::u16string& text, MessagePlacement placement) {
    if (ensureGui())
        module_->showMessage(text, placement);
    else
        stderr_.showMessage(text, placement);
}

void WindowLoader::showError(const std::u16string& text) {
    if (ensureGui())
        module_->showError(text);
    else
        stderr_.showError(text);
}

std::optional<std::u16string> WindowLoader::chooseFileOrFolder(bool folderMode) {
    if (ensureGui()) return module_->chooseFileOrFolder(folderMode);
    return std::nullopt;  // no dialog can be shown: the same as a cancel
}

void WindowLoader::navigate(const std::u16string& url, int flags) {
    // A print request always shows its window, so the GUI is opened now and the module keeps the address until
    // the window (and with it the browser) exists.
    if (ensureGui(/*forBrowser=*/true)) module_->browser().navigate(url, flags);
}

void WindowLoader::print(const PageSetupValues& pageSetup, const std::u16string& printer) {
    if (ensureGui())
        module_->browser().print(pageSetup, printer);
    else
        noBrowser_.print(pageSetup, printer);
}

void WindowLoader::ensureViewable() {
    if (!ensureGui(/*forBrowser=*/true)) throw Error("The print window cannot be shown: " + reason_);
}

int WindowLoader::runMainWindow(app::TForm1& form) {
    if (!ensureGui()) {
        std::fprintf(stderr, "veltrane-client-tools: the window cannot be shown: %s\n", reason_.c_str());
        return kNoDisplayExitCode;
    }
    return module_->runMainWindow(form);
}

}  // namespace veltrane::platform::modules
