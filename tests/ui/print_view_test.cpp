// The print view: the browser module is loaded only for a page, fills Panel1, and its completed loads print.

#include <dlfcn.h>

#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include "app/tform1.h"
#include "app/window/window_table.h"
#include "fakes/fake_platform.h"
#include "linux/window/browser_host.h"
#include "linux/window/main_window.h"

using namespace veltrane;

namespace {

// The window's browser is the real host here, over the stand-in browser module.
struct Harness {
    fakes::FakePlatform p;
    ui::BrowserHost host;
    platform::Platform bundle = fakes::makeTestPlatform(p, {.browser = &host});
    app::TForm1 form{bundle};
    std::unique_ptr<ui::MainWindow> window;
    void open() {
        window = std::make_unique<ui::MainWindow>(form, host);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
};

void* loadedModule() { return dlopen(VELTRANE_TEST_BROWSER_MODULE, RTLD_NOW | RTLD_NOLOAD); }

template <class F>
F symbol(const char* name) {
    void* module = loadedModule();
    return module ? reinterpret_cast<F>(dlsym(module, name)) : nullptr;
}

}  // namespace

class PrintViewTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qputenv("VELTRANE_BROWSER_MODULE", VELTRANE_TEST_BROWSER_MODULE); }

    // Runs first: a window without a page request never loads the browser module.
    void theConfigurationWindowNeverLoadsTheBrowser() {
        Harness h;
        h.form.FormCreate();
        h.open();
        h.form.PageControl1.ActivePageIndex = 3;
        h.window->render();
        QVERIFY(!loadedModule());
        QVERIFY(!h.host.viewLoaded());
        // Print Again with nothing loaded cannot be pressed, and asks nothing of the browser.
        auto* again = h.window->findChild<QPushButton*>(QStringLiteral("ColorButton2"));
        QVERIFY(!again->isEnabled());
        again->click();
        QVERIFY(h.p.dialogs.shown.empty());
        QVERIFY(!loadedModule());
    }

    void aPageRequestedAtStartUpLoadsWhenTheWindowIsBuiltAndPrintsOnEachLoad() {
        Harness h;
        h.form.FormCreate();
        // What a print request does during start-up, before any window exists.
        h.host.navigate(u"https://pms.example/docs/store/1042/appt.html", platform::kNavNoReadFromCache);
        QVERIFY(!loadedModule());
        h.open();
        QVERIFY(loadedModule());
        QVERIFY(h.host.viewLoaded());
        QCOMPARE(symbol<int (*)()>("test_browser_navigations")(), 1);
        QCOMPARE(std::u16string(symbol<const char16_t* (*)()>("test_browser_last_url")()),
                 std::u16string(u"https://pms.example/docs/store/1042/appt.html"));
        QCOMPARE(symbol<int (*)()>("test_browser_last_flags")(), platform::kNavNoReadFromCache);

        auto* page = h.window->findChild<QWidget*>(QStringLiteral("WebBrowser1"));
        QVERIFY(page);
        QCOMPARE(page->parentWidget()->objectName(), QStringLiteral("Panel1"));
        const app::Bounds& designed = app::findControl(u"WebBrowser1")->bounds;
        QCOMPARE(page->geometry(), QRect(designed.left, designed.top, designed.width, designed.height));

        auto prints = symbol<int (*)()>("test_browser_prints");
        auto* again = h.window->findChild<QPushButton*>(QStringLiteral("ColorButton2"));
        auto* status = h.window->findChild<QLabel*>(QStringLiteral("PrintStatus"));
        QVERIFY(!again->isEnabled());
        symbol<void (*)()>("test_browser_complete")();
        QCOMPARE(prints(), 1);
        QVERIFY(again->isEnabled());
        // The status line over the page says where the print went once CUPS has taken it, why it waits if CUPS
        // says so, and that it is printed only once CUPS has finished the job.
        symbol<void (*)(const char*, const char*)>("test_browser_finish_print")("vtZebra", "");
        QVERIFY(status->isVisible());
        QVERIFY2(status->text().startsWith(QStringLiteral("Sent to vtZebra at ")), qPrintable(status->text()));
        symbol<void (*)(const char*, const char*)>("test_browser_job_waits")("vtZebra",
                                                                             "the printer vtZebra is paused");
        QCOMPARE(status->text(), QStringLiteral("Sent to vtZebra, not printed yet: the printer vtZebra is paused"));
        symbol<void (*)(const char*)>("test_browser_job_done")("vtZebra");
        QVERIFY2(status->text().startsWith(QStringLiteral("Printed on vtZebra at ")), qPrintable(status->text()));
        QVERIFY(status->geometry().bottom() <= page->parentWidget()->height());
        again->click();
        QCOMPARE(prints(), 2);
        // A job CUPS refuses later is reported like any failed event.
        symbol<void (*)(const char*, const char*)>("test_browser_finish_print")("", "Cannot print on 'vtZebra': gone");
        QCOMPARE(h.p.dialogs.shown.size(), size_t{1});
        QCOMPARE(h.p.dialogs.shown[0].text, std::u16string(u"Cannot print on 'vtZebra': gone"));
        QCOMPARE(status->text(), QStringLiteral("Not printed: Cannot print on 'vtZebra': gone"));
        h.p.dialogs.shown.clear();

        // A print that fails is reported, and the window carries on.
        symbol<void (*)(bool)>("test_browser_fail_print")(true);
        symbol<void (*)()>("test_browser_complete")();
        QCOMPARE(prints(), 2);
        QCOMPARE(h.p.dialogs.shown.size(), size_t{1});
        QCOMPARE(h.p.dialogs.shown[0].text, std::u16string(u"The printer is out of paper"));
        QVERIFY(h.p.dialogs.shown[0].error);
        symbol<void (*)(bool)>("test_browser_fail_print")(false);

        // A page that fails to load is reported with the view's reason; Print Again then loads it again.
        symbol<void (*)(const char*)>("test_browser_fail_load")(
            "https://pms.example/x.html: the server did not answer");
        QCOMPARE(h.p.dialogs.shown.size(), size_t{2});
        QCOMPARE(h.p.dialogs.shown[1].text, std::u16string(u"https://pms.example/x.html: the server did not answer"));
        QCOMPARE(status->text(), QStringLiteral("https://pms.example/x.html: the server did not answer. Press Print "
                                                "Again to load it again."));
        QVERIFY(again->isEnabled());

        // A later navigate goes straight to the existing view.
        h.host.navigate(u"https://pms.example/docs/store/1042/receipt.html", platform::kNavNoReadFromCache);
        QCOMPARE(symbol<int (*)()>("test_browser_navigations")(), 2);
    }
};

QTEST_MAIN(PrintViewTest)
#include "print_view_test.moc"
