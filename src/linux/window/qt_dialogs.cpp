#include "linux/window/qt_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QShowEvent>
#include <QSpacerItem>

#include "linux/window/window_style.h"

namespace veltrane::ui {

namespace {

// What a window manager's title bar needs to show a title in full: the title in a bold title font, and room for
// a window menu and three buttons, each a square as high as the bar, with a margin at each end. Window managers
// cut a title that does not fit, and a short message makes a narrow box.
int titleBarWidth(const QString& title) {
    // The desktop's title font where it says one, never smaller than the window's own.
    QFont desktop = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    QFont own = QApplication::font();
    desktop.setBold(true);
    own.setBold(true);
    const QFontMetrics metrics(QFontMetrics(desktop).height() >= QFontMetrics(own).height() ? desktop : own);
    const int bar = metrics.height() + 8;
    return metrics.horizontalAdvance(title) + 4 * bar + 2 * 8;
}

// Keeps the box at least as wide as its title bar needs: a row of that width below the box's own rows.
void fitTitle(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid) return;
    const QMargins margins = grid->contentsMargins();
    const int width = titleBarWidth(box.windowTitle()) - margins.left() - margins.right();
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Fixed, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

// A message box that shows its focus from the start, as the window does, and that is centred on the screen, when
// asked, at the size it is finally shown with.
class MessageBox final : public QMessageBox {
public:
    MessageBox(QWidget* owner, bool centred) : QMessageBox(owner), centred_(centred) {}

protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event);
        showFocusFrames(this);
        if (!centred_) return;
        const QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
        if (screen) move(screen->geometry().center() - rect().center());
    }

private:
    bool centred_;
};

void runBox(QWidget* owner, QMessageBox::Icon icon, const std::u16string& text, platform::MessagePlacement placement) {
    MessageBox box(owner, placement == platform::MessagePlacement::ScreenCentered);
    box.setWindowTitle(kWindowTitle);
    box.setIcon(icon);
    box.setTextFormat(Qt::PlainText);  // texts carry names from settings and request files, never markup
    box.setText(QString::fromStdU16String(text));
    box.setStandardButtons(QMessageBox::Ok);
    fitTitle(box);
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
