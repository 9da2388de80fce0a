// The window module: the toolkit's application object, dialogs, the browser host and the main window.

#include "linux/modules/window_module.h"

#include <QApplication>
#include <memory>
#include <string>
#include <vector>

#include "linux/window/browser_host.h"
#include "linux/window/main_window.h"
#include "linux/window/qt_dialogs.h"
#include "linux/window/window_style.h"

namespace veltrane::ui {

namespace {

class QtWindowModule final : public platform::WindowModule {
public:
    bool openGui(const std::vector<std::string>& args, bool withBrowser, std::string& reason) override {
        // The application object keeps argc and argv for its whole life, so they are this module's own.
        args_ = args;
        argv_.clear();
        for (auto& arg : args_) argv_.push_back(arg.data());
        argv_.push_back(nullptr);
        argc_ = static_cast<int>(args_.size());
        // The browser engine needs shared GL contexts, and the flag must be set before the application exists.
        // It makes the application create a GL context at once (about 200 ms and 55 MiB on a software renderer),
        // so the configuration window goes without it.
        if (withBrowser) QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        app_ = std::make_unique<QApplication>(argc_, argv_.data());
        if (!QGuiApplication::primaryScreen()) {
            reason = "the display has no screen";
            return false;
        }
        QApplication::setApplicationName(kWindowTitle);
        QApplication::setFont(windowFont());
        return true;
    }

    void showMessage(const std::u16string& text, platform::MessagePlacement placement) override {
        dialogs_.showMessage(text, placement);
    }
    void showError(const std::u16string& text) override { dialogs_.showError(text); }
    std::optional<std::u16string> chooseFileOrFolder(bool folderMode) override {
        return dialogs_.chooseFileOrFolder(folderMode);
    }
    platform::Browser& browser() override { return browser_; }

    int runMainWindow(app::TForm1& form) override {
        MainWindow window(form, browser_);
        dialogs_.setOwner(&window);
        window.show();
        return QApplication::exec();
    }

private:
    std::vector<std::string> args_;
    std::vector<char*> argv_;
    int argc_ = 0;
    std::unique_ptr<QApplication> app_;
    QtDialogs dialogs_;
    BrowserHost browser_;
};

}  // namespace

}  // namespace veltrane::ui

extern "C" __attribute__((visibility("default"))) veltrane::platform::WindowModule* veltrane_create_window_module() {
    return new veltrane::ui::QtWindowModule();
}
