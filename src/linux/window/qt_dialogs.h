#pragma once
// Modal message boxes and the file-open dialog, owned by the main window while it exists.

#include <QPointer>
#include <QWidget>

#include "platform/dialogs.h"

namespace veltrane::ui {

class QtDialogs final : public platform::Dialogs {
public:
    void showMessage(const std::u16string& text, platform::MessagePlacement placement) override;
    void showError(const std::u16string& text) override;
    std::optional<std::u16string> chooseFileOrFolder(bool folderMode) override;

    void setOwner(QWidget* owner) { owner_ = owner; }

private:
    QPointer<QWidget> owner_;
};

}  // namespace veltrane::ui
