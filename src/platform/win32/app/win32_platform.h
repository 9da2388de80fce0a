#pragma once
// The Windows composition root: which Win32 backend serves each platform service, and the dry-run decorators.

#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace veltrane::platform::win32 {

// Said when a print request needs the print view, which this build does not have yet.
inline constexpr const char* kNoPrintWindowYet =
    "The print window cannot be shown: the window is not available in this Windows build yet.";

// Message boxes until the window's own dialogs take over: MessageBoxW, or standard error when no box can be
// shown (no desktop to show it on).
class MessageBoxDialogs final : public Dialogs {
public:
    void showMessage(const std::u16string& text, MessagePlacement placement) override;
    void showError(const std::u16string& text) override;
    // Only the configuration pages ask, and they need the window.
    std::optional<std::u16string> chooseFileOrFolder(bool) override { return std::nullopt; }
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
    Dialogs& dialogs();

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

}  // namespace veltrane::platform::win32
