// The main window rendered offscreen over the core with fake services.

#include "linux/window/main_window.h"

#include <sys/wait.h>
#include <unistd.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "app/tform1.h"
#include "fakes/fake_platform.h"
#include "linux/window/browser_host.h"
#include "linux/window/page_control.h"
#include "window_harness.h"

using namespace veltrane;

namespace {

// A process service that really ends the process, for the DONE test run in a child process.
class ExitingProcess final : public platform::Process {
public:
    [[noreturn]] void exit(int code) override { ::_exit(code); }
};

struct Harness : testing::WindowHarness {
    void start() {
        form.FormCreate();
        QVERIFY(showWindow());
    }
    template <class T>
    T* find(const char* name) {
        return window->findChild<T*>(QString::fromLatin1(name));
    }
};

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qputenv("VELTRANE_BROWSER_MODULE", "/nonexistent/libveltrane-browser.so"); }

    void showsWhatStartUpFilled() {
        Harness h;
        h.p.commandLine.args = {u"/opt/vct/veltrane-client-tools", u"-s", u"pms.example", u"-c", u"10.0.0.7"};
        h.p.printers.names = {u"Reception Laser", u"Card Printer"};
        h.p.registry.setString(fakes::kVeltraneKey, u"apptcard_printer", u"Card Printer");
        h.p.registry.setString(fakes::kVeltraneKey, u"receipt_printer", u"");
        h.p.registry.setString(fakes::kVeltraneKey, u"appt_type", u"Dedicated");
        h.p.registry.setString(fakes::kVeltraneKey, u"receipt_type", u"Normal");
        h.start();

        QCOMPARE(h.find<QPlainTextEdit>("Memo1")->toPlainText(),
                 QStringLiteral("/opt/vct/veltrane-client-tools\n-s\npms.example\n-c\n10.0.0.7"));
        auto* list = h.find<QListWidget>("ListBoxPrinters");
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(1)->text(), QStringLiteral("Card Printer"));
        QCOMPARE(list->currentRow(), -1);
        QCOMPARE(h.find<QLabel>("LabelApptDefault")->text(), QStringLiteral("Card Printer"));
        QCOMPARE(h.find<QLabel>("LabelReceiptDefault")->text(), QString());  // "no default" is replaced
        QCOMPARE(h.find<QComboBox>("ComboBoxApptType")->currentText(), QStringLiteral("Dedicated"));
        QCOMPARE(h.find<QComboBox>("ComboBoxReceiptType")->currentText(), QStringLiteral("Normal"));
        QCOMPARE(h.find<QLabel>("Label3")->text(), QStringLiteral("---"));
        QCOMPARE(h.find<QLabel>("Label3")->textFormat(), Qt::PlainText);
        QCOMPARE(h.find<QLabel>("Label4")->text(), QStringLiteral("---"));
        QCOMPARE(h.find<QPushButton>("ColorButton1")->text(), QStringLiteral("DONE"));

        auto* pages = h.window->pageControl1();
        QCOMPARE(pages->count(), 4);
        const QStringList captions{"Printers", "Config", "Imaging", "Choose Imaging System"};
        for (int i = 0; i < 4; ++i) QCOMPARE(pages->caption(i), captions[i]);
        QCOMPARE(pages->currentIndex(), 0);
        QVERIFY(pages->page(0)->isVisible());
        QVERIFY(!pages->page(1)->isVisible());
        // Showing the window ran no page's show handler: nothing but start-up touched the settings.
        QVERIFY(h.p.dialogs.shown.empty());
    }

    // A printer system that is slow to load or to answer must not keep the window from appearing: the list is
    // asked for once the window is on the screen.
    void thePrinterListIsAskedForOnlyOnceTheWindowIsOnTheScreen() {
        Harness h;
        h.p.printers.names = {u"Reception Laser", u"Card Printer"};
        h.form.FormCreate();
        const int byStartUp = h.p.printers.namesAsked;
        h.window = std::make_unique<ui::MainWindow>(h.form, h.browser);
        QCOMPARE(h.p.printers.namesAsked, byStartUp);
        h.window->show();
        QCOMPARE(h.p.printers.namesAsked, byStartUp);
        QVERIFY(QTest::qWaitForWindowExposed(h.window.get()));
        QVERIFY(QTest::qWaitFor([&] { return h.window->printersListed(); }));
        QCOMPARE(h.p.printers.namesAsked, byStartUp + 1);
        QCOMPARE(h.find<QListWidget>("ListBoxPrinters")->count(), 2);
    }

    void startUpOnTheChoicePageShowsItsButtons() {
        Harness h;
        h.p.registry.setString(fakes::kVeltraneKey, u"imaging_autoload", u"true");
        h.form.FormCreate();
        // What the imaging selection leaves for several systems: the choice page and one button each.
        h.form.PageControl1.ActivePageIndex = 3;
        for (const char16_t* caption : {u"Dexis", u"Scanora"})
            h.form.FlowPanel1.Buttons.push_back({caption, 543, 60, 30, true});
        h.window = std::make_unique<ui::MainWindow>(h.form, h.browser);
        h.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(h.window.get()));
        QVERIFY(QTest::qWaitFor([&] { return h.window->printersListed(); }));
        QCOMPARE(h.window->pageControl1()->currentIndex(), 3);
        auto* dexis = h.find<QPushButton>("ImagingButton0");
        auto* scanora = h.find<QPushButton>("ImagingButton1");
        QVERIFY(dexis && scanora);
        QCOMPARE(dexis->text(), QStringLiteral("Dexis"));
        QCOMPARE(dexis->geometry(), QRect(0, 0, 543, 60));
        QCOMPARE(scanora->geometry(), QRect(0, 60, 543, 60));
        QVERIFY(dexis->font().bold());
        QCOMPARE(dexis->font().pixelSize(), 40);  // 30 points at 96 dots per inch
        // The page became visible, so its show handler loaded the box and stored the flag in its own form.
        QVERIFY(h.find<QCheckBox>("CheckBox_imaging_autoload")->isChecked());
        QCOMPARE(h.p.registry.getString(fakes::kVeltraneKey, u"imaging_autoload"), std::u16string(u"True"));
    }

    void doneEndsTheProcessWithCodeZero() {
        // The process really ends, so the click runs in a child process.
        const pid_t child = fork();
        if (child == 0) {
            fakes::FakePlatform p;
            ExitingProcess process;
            platform::Platform bundle = fakes::makeTestPlatform(p, {.process = &process});
            app::TForm1 form(bundle);
            form.FormCreate();
            ui::BrowserHost browser;
            ui::MainWindow window(form, browser);
            window.show();
            window.findChild<QPushButton*>(QStringLiteral("ColorButton1"))->click();
            ::_exit(42);  // DONE did not end the process
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
    }

    void anImagingButtonOpensItsSystemAndEndsTheProcess() {
        int pipeFds[2];
        QCOMPARE(pipe(pipeFds), 0);
        const pid_t child = fork();
        if (child == 0) {
            ::close(pipeFds[0]);
            fakes::FakePlatform p;
            p.registry.setString(fakes::kVeltraneKey, u"dentaleye_program", u"/opt/dentaleye/");
            // Reports what was launched before the process ends, since nothing else leaves a child process.
            struct ReportingProcess final : platform::Process {
                fakes::FakeLauncher* launcher;
                int fd;
                [[noreturn]] void exit(int code) override {
                    std::string files;
                    for (const auto& request : launcher->launched) files += utf16ToUtf8(request.file) + "\n";
                    (void)!::write(fd, files.data(), files.size());
                    ::_exit(code);
                }
            } process;
            process.launcher = &p.launcher;
            process.fd = pipeFds[1];
            platform::Platform bundle = fakes::makeTestPlatform(p, {.process = &process});
            app::TForm1 form(bundle);
            form.FormCreate();
            // As the imaging selection leaves it for two enabled systems.
            form.PageControl1.ActivePageIndex = 3;
            for (const char16_t* caption : {u"Dexis", u"DentalEye"})
                form.FlowPanel1.Buttons.push_back({caption, 543, 60, 30, true});
            ui::BrowserHost browser;
            ui::MainWindow window(form, browser);
            window.show();
            window.findChild<QPushButton*>(QStringLiteral("ImagingButton1"))->click();
            ::_exit(42);  // the click did not end the process
        }
        ::close(pipeFds[1]);
        std::string launched;
        char buffer[256];
        for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
            launched.append(buffer, static_cast<std::size_t>(n));
        ::close(pipeFds[0]);
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
        // The second button is DentalEye's: its program folder is what was started.
        QVERIFY2(launched.find("/opt/dentaleye/") == 0, launched.c_str());
    }

    void anErrorOfAnEventIsReportedAndTheWindowCarriesOn() {
        Harness h;
        h.start();
        // "Print Again" needs a loaded page: before one has loaded it cannot be pressed.
        auto* again = h.find<QPushButton>("ColorButton2");
        QVERIFY(!again->isEnabled());
        again->click();
        QVERIFY(h.p.dialogs.shown.empty());
        // Once a page has loaded, a print that fails reaches the error report and the status line.
        h.form.PrintAgainEnabled = true;
        h.window->render();
        h.p.browser.printFailure = "The printer is out of paper";
        again->click();
        QCOMPARE(h.p.dialogs.shown.size(), size_t{1});
        QVERIFY(h.p.dialogs.shown[0].error);
        QCOMPARE(h.p.dialogs.shown[0].text, std::u16string(u"The printer is out of paper"));
        auto* status = h.find<QLabel>("PrintStatus");
        QVERIFY(status->isVisible());
        QCOMPARE(status->text(), QStringLiteral("Not printed: The printer is out of paper"));
        QVERIFY(h.window->isVisible());
    }

    void aNavigateBeforeTheWindowIsKeptAndPrintFailsClearlyWithoutTheBrowser() {
        ui::BrowserHost browser;
        browser.navigate(u"http://pms.example/docs/store/1/appt.html", platform::kNavNoReadFromCache);
        QVERIFY(!browser.viewLoaded());
        // The browser module is missing in this test: attaching remembers, and a print says why it cannot.
        QWidget panel;
        browser.attach(&panel, {});
        QVERIFY(!browser.viewLoaded());
        try {
            browser.print(platform::PageSetupValues{}, u"");
            QFAIL("print without a page must fail");
        } catch (const Error& e) {
            QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("No page is loaded"));
        }
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
