#pragma once
// Message boxes, file dialogs, the browser and the window, from the window module loaded on first need.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/browser.h"
#include "platform/dialogs.h"
#include "linux/modules/module_loader.h"
#include "platform/common/noop/noop_services.h"
#include "linux/modules/window_module.h"

namespace veltrane::platform::modules {

// Whether a GUI could be shown in this environment, judged without loading the toolkit (which aborts the process
// when it cannot reach a display). The reason is set when it cannot.
// The X11 client library is loaded through loader only for this question.
bool displayReachable(ModuleLoader& loader, std::string& reason);

// The path of the window module: $VELTRANE_UI_MODULE, or the module beside the running program.
std::string windowModulePath();

class WindowLoader final : public Dialogs, public Browser {
public:
    // The toolkit sees only the program's path: the request's arguments are no business of it.
    WindowLoader(ModuleLoader& loader, const char* programPath)
        : loader_(loader), toolkitArgs_{programPath ? programPath : "veltrane-client-tools"} {}
    WindowLoader(const WindowLoader&) = delete;
    WindowLoader& operator=(const WindowLoader&) = delete;

    void showMessage(const std::u16string& text, MessagePlacement placement) override;
    void showError(const std::u16string& text) override;
    std::optional<std::u16string> chooseFileOrFolder(bool folderMode) override;

    void navigate(const std::u16string& url, int flags) override;
    void print(const PageSetupValues& pageSetup, const std::u16string& printer) override;
    // Opens the GUI for the page; throws "The print window cannot be shown: <why>" when it cannot.
    void ensureViewable() override;

    // Shows the main window and runs it; without a GUI, says why on stderr and returns kNoDisplayExitCode.
    int runMainWindow(app::TForm1& form);
    static constexpr int kNoDisplayExitCode = 2;

    // Loads the module and opens the GUI on first call; false (with unavailableReason()) when that is impossible.
    // forBrowser: the GUI is opened for a page, so the browser engine's needs are met from the start.
    bool ensureGui(bool forBrowser = false);
    const std::string& unavailableReason() const { return reason_; }
    bool guiLoaded() const { return module_ != nullptr; }

private:
    ModuleLoader& loader_;
    std::vector<std::string> toolkitArgs_;
    bool tried_ = false;
    std::string reason_;
    std::unique_ptr<WindowModule> module_;
    noop::StderrDialogs stderr_;
    noop::NoBrowser noBrowser_;
};

}  // namespace veltrane::platform::modules
