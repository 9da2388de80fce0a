#include "linux/window/qt_dialogs.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>

#include "linux/window/window_style.h"

namespace veltrane::ui {

namespace {
void runBox(QWidget* owner, QMessageBox::Icon icon, const std::u16string& text, platform::MessagePlacement placement) {
    QMessageBox box(owner);
    box.setWindowTitle(kWindowTitle);
    box.setIcon(icon);
    box.setTextFormat(Qt::PlainText);  // texts carry names from settings and request files, never markup
    box.setText(QString::fromStdU16String(text));
    box.setStandardButtons(QMessageBox::Ok);
    if (placement == platform::MessagePlacement::ScreenCentered) {
        box.adjustSize();
        const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
        if (screen) box.move(screen->geometry().center() - box.rect().center());
    }
    box.exec();
}
}  // namespace

void QtDialogs::showMessage(const std::u16string& text, platform::MessagePlacement placement) {
    runBox(owner_, QMessageBox::NoIcon, text, placement);
}

void QtDialogs::showError(const std::u16string& text) {
    runBox(owner_, QMessageBox::Critical, text, platform::MessagePlacement::Default);
}

std::optional<std::u16string> QtDialogs::chooseFileOrFolder(bool folderMode) {
    const QString chosen =
        folderMode ? QFileDialog::getExistingDirectory(owner_) : QFileDialog::getOpenFileName(owner_);
    if (chosen.isEmpty()) return std::nullopt;
    return chosen.toStdU16String();
}

}  // namespace veltrane::ui
