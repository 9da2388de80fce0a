#pragma once
// The Windows composition root: which Win32 backend serves each platform service, and the dry-run decorators.

#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "windows/browser/web_browser_host.h"
#include "windows/services/win32_dialogs.h"

namespace veltrane::platform::win32 {

// The window's dialogs, with standard error where no box can be shown (no desktop to show it on), so a failure is
// never lost.
class MessageBoxDialogs final : public Dialogs {
public:
    void showMessage(const std::u16string& text, MessagePlacement placement) override;
    void showError(const std::u16string& text) override;
    std::optional<std::u16string> chooseFileOrFolder(bool folderMode) override {
        return boxes_.chooseFileOrFolder(folderMode);
    }
    void setOwner(HWND owner) { boxes_.setOwner(owner); }

private:
    Win32Dialogs boxes_;
};

class Win32Services {
public:
    struct Options {
        bool dryRun = false;
    };
    // arguments: the program's arguments as splitProgramArguments gives them, without the program's own options.
    Win32Services(std::vector<std::u16string> arguments, const Options& options);
    ~Win32Services();
    Win32Services(const Win32Services&) = delete;
    Win32Services& operator=(const Win32Services&) = delete;

    Platform& bundle();
    MessageBoxDialogs& dialogs();
    // The print view's WebBrowser control, attached to the window's panel once the window exists.
    WebBrowserHost& browserHost();

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

}  // namespace veltrane::platform::win32
