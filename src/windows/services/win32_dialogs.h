#pragma once
// Message boxes (MessageBoxW) and the file-open dialog (the common item dialog, IFileOpenDialog).

#include <windows.h>

#include "platform/dialogs.h"

namespace veltrane::platform::win32 {

// The caption of every box the program shows.
inline constexpr const wchar_t* kDialogTitle = L"Veltrane Client Tools";

class Win32Dialogs final : public Dialogs {
public:
    // owner: the main window once it exists; the boxes and the dialog then belong to it and keep it disabled
    // while they are open. Without one, they are modal for every window of the calling thread.
    explicit Win32Dialogs(HWND owner = nullptr) : owner_(owner) {}
    void setOwner(HWND owner) { owner_ = owner; }

    void showMessage(const std::u16string& text, MessagePlacement placement) override;
    void showError(const std::u16string& text) override;
    // Throws with the system's text when the dialog cannot be shown at all; a cancel is nullopt.
    std::optional<std::u16string> chooseFileOrFolder(bool folderMode) override;

private:
    HWND owner_;
};

}  // namespace veltrane::platform::win32
