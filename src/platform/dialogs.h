#pragma once
// Modal message boxes and the file-open dialog.

#include <optional>
#include <string>

namespace veltrane::platform {

enum class MessagePlacement {
    Default,         // where the platform places new message boxes
    ScreenCentered,  // centred on the screen
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // A modal box with an OK button and no icon.
    virtual void showMessage(const std::u16string& text, MessagePlacement placement) = 0;
    // The window's error report: the error's text in a modal box.
    virtual void showError(const std::u16string& text) = 0;
    // A file-open dialog in folder or file mode; nullopt when the user cancels.
    virtual std::optional<std::u16string> chooseFileOrFolder(bool folderMode) = 0;
};

}  // namespace veltrane::platform
