#pragma once
// The seam between the program and the window module. The module carries the GUI toolkit, so the program loads
// it only when something must be shown: a run that shows nothing never starts the toolkit.

#include <optional>
#include <string>
#include <vector>

#include "platform/browser.h"
#include "platform/dialogs.h"

namespace veltrane::app {
class TForm1;
}

namespace veltrane::platform {

class WindowModule {
public:
    virtual ~WindowModule() = default;
    // Creates the application object with args (the toolkit's arguments, the program's path first), which the
    // module keeps for as long as it lives. False, with the reason, when no display can be reached; the module
    // must then not be used further. withBrowser prepares for the browser engine (shared GL contexts), which
    // costs a GL context at start, so only a run that shows a page asks for it.
    virtual bool openGui(const std::vector<std::string>& args, bool withBrowser, std::string& reason) = 0;

    // Valid after a successful openGui.
    virtual void showMessage(const std::u16string& text, MessagePlacement placement) = 0;
    virtual void showError(const std::u16string& text) = 0;
    virtual std::optional<std::u16string> chooseFileOrFolder(bool folderMode) = 0;
    // The embedded browser: a navigate before the window exists is kept and started when the window is built.
    virtual Browser& browser() = 0;
    // Builds the main window for form, shows it and runs the event loop; returns the loop's exit code.
    virtual int runMainWindow(app::TForm1& form) = 0;
};

}  // namespace veltrane::platform

// Exported by the window module: creates its one instance (owned by the caller, never unloaded).
extern "C" veltrane::platform::WindowModule* veltrane_create_window_module();
inline constexpr const char* kWindowModuleFactorySymbol = "veltrane_create_window_module";
