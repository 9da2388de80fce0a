// The configuration window offscreen: its layout, and that its widgets forward events to the core.

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "app/tform1.h"
#include "fakes/fake_platform.h"
#include "ui/browser_host.h"
#include "ui/main_window.h"
#include "ui/page_control.h"

using namespace veltrane;

namespace {

struct Harness {
    fakes::FakePlatform p;
    app::TForm1 form{p.bundle};
    ui::BrowserHost browser;
    std::unique_ptr<ui::MainWindow> window;

    Harness() { p.printers.names = {u"Reception", u"Card Printer"}; }
    void start() {
        form.FormCreate();
        window = std::make_unique<ui::MainWindow>(form, browser);
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }
    QWidget* find(const QString& name) { return window->findChild<QWidget*>(name); }
    template <class T>
    T* find(const char* name) {
        return window->findChild<T*>(QString::fromLatin1(name));
    }
    void store(const char16_t* name, const char16_t* value) { p.registry.setString(fakes::kVeltraneKey, name, value); }
    std::optional<std::u16string> stored(const char16_t* name) {
        return p.registry.getString(fakes::kVeltraneKey, name);
    }
    void clickTab(ui::PageControl* pc, int index) {
        QTest::mouseClick(pc->tabStrip(), Qt::LeftButton, {}, pc->tabRect(index).center());
    }
    void openImagingPage(int index) {
        clickTab(window->pageControl1(), 2);
        clickTab(window->pageControl2(), index);
    }
};

QString text(QWidget* w) {
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
    return {};
}

// The widgets of a page that take the keyboard focus, in the order Tab visits them.
QStringList tabChain(QWidget* page) {
    QStringList names;
    QWidget* window = page->window();
    for (QWidget* w = window->nextInFocusChain(); w && w != window; w = w->nextInFocusChain()) {
        if (page->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && w->isEnabled() &&
            !w->objectName().isEmpty() && !names.contains(w->objectName()))
            names << w->objectName();
    }
    return names;
}

}  // namespace

class ConfigurationWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qputenv("VELTRANE_BROWSER_MODULE", "/nonexistent/libveltrane-browser.so"); }

    void titleSizeAndTitleBar() {
        Harness h;
        h.start();
        QCOMPARE(h.window->windowTitle(), QStringLiteral("Veltrane Client Tools"));
        QCOMPARE(h.window->size(), QSize(570, 490));
        QCOMPARE(h.window->minimumSize(), QSize(570, 490));
        QCOMPARE(h.window->maximumSize(), QSize(570, 490));
        const Qt::WindowFlags flags = h.window->windowFlags();
        QVERIFY(flags & Qt::CustomizeWindowHint);
        QVERIFY(flags & Qt::WindowTitleHint);
        for (Qt::WindowType button : {Qt::WindowCloseButtonHint, Qt::WindowMinimizeButtonHint,
                                      Qt::WindowMaximizeButtonHint, Qt::WindowSystemMenuHint})
            QVERIFY(!(flags & button));
        // A close from the window manager is refused: only DONE ends the program.
        QVERIFY(!h.window->close());
        QVERIFY(!h.window->windowHandle()->close());
        QVERIFY(h.window->isVisible());
    }

    void namedControlsWithCaptionsAndGeometry() {
        Harness h;
        h.start();
        struct Row {
            const char* name;
            const char* caption;  // nullptr: not checked
            QRect geometry;       // for labels only left, top and height (they size to their caption)
        };
        const Row rows[] = {
            {"Label1", "Veltrane Client Tools", {8, 8, 0, 26}},
            {"Label2", "v4.26", {272, 19, 0, 13}},
            {"PageControl1", nullptr, {8, 46, 556, 435}},
            {"ColorButton1", "DONE", {456, 8, 106, 49}},
            {"Label5", "Default printer", {3, 3, 0, 13}},
            {"ListBoxPrinters", nullptr, {3, 22, 396, 97}},
            {"Button2", "Set Appointment Default", {405, 22, 140, 25}},
            {"Button3", "Set Receipt Default", {405, 94, 140, 25}},
            {"Label6", "Appointment default:", {3, 125, 0, 13}},
            {"Label8", "Receipt default:", {3, 144, 0, 13}},
            {"ColorButton2", "Print Again", {405, 144, 140, 40}},
            {"Label10", "Appt type:", {3, 166, 0, 13}},
            {"ComboBoxApptType", nullptr, {61, 163, 101, 21}},
            {"Label11", "Receipt type:", {200, 166, 0, 13}},
            {"ComboBoxReceiptType", nullptr, {271, 163, 101, 21}},
            {"Panel1", nullptr, {3, 190, 542, 216}},
            {"CheckBoxLogging", "Write actions to log file", {3, 3, 142, 17}},
            {"Memo1", nullptr, {3, 26, 542, 378}},
            {"PageControl2", nullptr, {0, 0, 548, 407}},
            {"CheckBox_dexis_enabled", "Enabled", {3, 3, 97, 17}},
            {"Edit_dexis_program", nullptr, {106, 28, 255, 21}},
            {"Button6", "Browse...", {367, 26, 75, 25}},
            {"CheckBox_dbswin_noid", "Don't send Patient ID", {3, 89, 134, 17}},
            {"GroupBox_Memo4", "Notes", {11, 112, 526, 57}},
            {"Memo4", nullptr, {2, 15, 522, 40}},
            {"Edit_dicom_pad", nullptr, {106, 53, 71, 21}},
            {"RadioGroupDigoraNameFormat", "Name Format", {3, 26, 182, 95}},
            {"Edit_cliniview_program", nullptr, {106, 30, 255, 21}},
            {"Button32", "Browse...", {367, 57, 75, 25}},
            {"Button28", "Browse...", {367, 24, 75, 25}},
            {"Button27", "Browse...", {367, 53, 75, 25}},
            {"GroupBox_Memo5", "Notes", {3, 87, 526, 66}},
            {"Edit_dtxstudio_pad", nullptr, {106, 53, 71, 21}},
            {"CheckBox_imaging_autoload", "Automatically load all imaging systems", {0, 0, 548, 17}},
        };
        for (const auto& row : rows) {
            QWidget* w = h.find(QString::fromLatin1(row.name));
            QVERIFY2(w, row.name);
            if (row.caption) QCOMPARE(text(w), QString::fromLatin1(row.caption));
            if (row.geometry.width() == 0) {
                QCOMPARE(w->pos(), row.geometry.topLeft());
                QCOMPARE(w->height(), row.geometry.height());
            } else {
                QCOMPARE(w->geometry(), row.geometry);
            }
        }
        // The yellow panel of the choice page.
        auto* flow = h.find<QWidget>("FlowPanel1");
        QCOMPARE(flow->size(), QSize(548, 390));
        QCOMPARE(flow->palette().color(QPalette::Window), QColor(255, 255, 0));
        QCOMPARE(h.find<QComboBox>("ComboBoxApptType")->itemText(1), QStringLiteral("Dedicated"));
        QCOMPARE(h.find<QPlainTextEdit>("Memo7")->toPlainText(),
                 QStringLiteral("Program Location usually: C:\\Program Files\\Cliniview\n"
                                "Patimport Location usually: C:\\ProgramData\\Cliniview"));
        QVERIFY(!h.find<QPlainTextEdit>("Memo7")->isEnabled());
    }

    void everyControlOfTheImagingPagesIsOnItsPage() {
        Harness h;
        h.start();
        for (int i = 0; i < app::kImagingPageCount; ++i) {
            const auto& page = app::kImagingPages[static_cast<std::size_t>(i)];
            QWidget* sheet = h.window->pageControl2()->page(i);
            QCOMPARE(sheet->objectName(), QString::fromStdU16String(std::u16string(page.sheet)));
            QCOMPARE(h.window->pageControl2()->caption(i), QString::fromStdU16String(std::u16string(page.caption)));
            auto on = [&](std::u16string_view name) {
                return sheet->findChild<QWidget*>(QString::fromStdU16String(std::u16string(name)));
            };
            QVERIFY(qobject_cast<QCheckBox*>(on(page.enabledBox)));
            for (int e = 0; e < page.editCount; ++e)
                QVERIFY(qobject_cast<QLineEdit*>(on(page.edits[static_cast<std::size_t>(e)].name)));
            for (int b = 0; b < page.browseCount; ++b)
                QCOMPARE(text(on(page.browses[static_cast<std::size_t>(b)].name)), QStringLiteral("Browse..."));
        }
    }

    void tabOrderOfPagesThatDepart() {
        Harness h;
        h.start();
        struct Case {
            const char* sheet;
            QStringList order;
        };
        const Case cases[] = {
            {"TabSheet22", {"Edit_suni_program", "Button24", "CheckBox_suni_enabled"}},
            {"TabSheet27",
             {"CheckBox_cliniview_enabled", "Button31", "Edit_cliniview_program", "Edit_cliniview_config", "Button32"}},
            {"TabSheet15",
             {"CheckBox_vixwin_enabled", "Edit_vixwin_images", "Edit_vixwin_program", "Button16", "Button17"}},
            {"TabSheet4",
             {"CheckBox_dbswin_enabled", "Edit_dbswin_program", "Button1", "Edit_dbswin_images", "Button4",
              "CheckBox_dbswin_noid"}},
            {"TabSheet25", {"CheckBox_dtxstudio_enabled", "Edit_dtxstudio_program", "Button29", "Edit_dtxstudio_pad"}},
        };
        for (const auto& c : cases) {
            QWidget* sheet = h.find(QString::fromLatin1(c.sheet));
            QVERIFY(sheet);
            QCOMPARE(tabChain(sheet), c.order);
        }
        // "Print Again" is disabled until a page has loaded, and then takes its place last.
        QCOMPARE(tabChain(h.window->pageControl1()->page(0)),
                 QStringList({"Button2", "Button3", "ComboBoxApptType", "ComboBoxReceiptType", "ListBoxPrinters"}));
        h.form.PrintAgainEnabled = true;
        h.window->render();
        QCOMPARE(tabChain(h.window->pageControl1()->page(0)),
                 QStringList({"Button2", "Button3", "ComboBoxApptType", "ComboBoxReceiptType", "ListBoxPrinters",
                              "ColorButton2"}));
    }

    void allTwentyFourTabsAreVisibleAndEachOpensItsPage() {
        Harness h;
        h.store(u"dexis_program", u"/opt/dexis/");
        h.start();
        h.clickTab(h.window->pageControl1(), 2);
        auto* pc = h.window->pageControl2();
        QCOMPARE(pc->count(), 24);
        QVERIFY(pc->rowCount() > 1);
        for (int i = 0; i < pc->count(); ++i) {
            const QRect r = pc->tabRect(i);
            QVERIFY(pc->tabStrip()->rect().contains(r));
            QVERIFY(QFontMetrics(pc->font()).horizontalAdvance(pc->caption(i)) < r.width());
            for (int j = 0; j < i; ++j) QVERIFY(!r.intersects(pc->tabRect(j)));
        }
        for (int i = 0; i < pc->count(); ++i) {
            h.clickTab(pc, i);
            QCOMPARE(pc->currentIndex(), i);
            QCOMPARE(h.form.PageControl2.ActivePageIndex, i);
            QVERIFY(pc->page(i)->isVisible());
        }
        QCOMPARE(h.find<QLineEdit>("Edit_dexis_program")->text(), QStringLiteral("/opt/dexis/"));
    }

    void openingImagingShowsCliniviewAndLoadsIt() {
        Harness h;
        h.store(u"cliniview_enabled", u"true");
        h.store(u"cliniview_program", u"/opt/cliniview");
        h.store(u"cliniview_images", u"/srv/cv/");
        h.start();
        QCOMPARE(h.find<QLineEdit>("Edit_cliniview_program")->text(), QString());  // not shown yet
        h.clickTab(h.window->pageControl1(), 2);
        QCOMPARE(h.window->pageControl2()->currentIndex(), app::kCliniviewPage);
        QCOMPARE(h.find<QLineEdit>("Edit_cliniview_program")->text(), QStringLiteral("/opt/cliniview"));
        QCOMPARE(h.find<QLineEdit>("Edit_cliniview_config")->text(), QStringLiteral("/srv/cv/"));
        QVERIFY(h.find<QCheckBox>("CheckBox_cliniview_enabled")->isChecked());
        QCOMPARE(h.stored(u"cliniview_enabled"), std::u16string(u"True"));
    }

    void leavingAnEditStoresItsFolderForm() {
        Harness h;
        h.start();
        h.openImagingPage(2);  // Dexis
        auto* edit = h.find<QLineEdit>("Edit_dexis_program");
        edit->setFocus();
        QTRY_VERIFY(edit->hasFocus());
        QTest::keyClicks(edit, "/opt/dexis");
        QVERIFY(!h.stored(u"dexis_program"));  // typing alone stores nothing
        h.find<QCheckBox>("CheckBox_dexis_enabled")->setFocus();
        QTRY_COMPARE(h.stored(u"dexis_program"), std::u16string(u"/opt/dexis/"));
        QCOMPARE(edit->text(), QStringLiteral("/opt/dexis"));
    }

    void leavingTheImagingPagesStoresRomexisOnlyOnceShown() {
        Harness h;
        h.store(u"romexis_program", u"/opt/romexis/romexis.exe");
        h.start();
        h.openImagingPage(0);
        h.find<QCheckBox>("CheckBox_dbswin_enabled")->setFocus();
        QTRY_VERIFY(h.find<QCheckBox>("CheckBox_dbswin_enabled")->hasFocus());
        h.find<QPushButton>("ColorButton2")->setFocus();  // outside the imaging pages
        QTRY_VERIFY(h.find<QPushButton>("ColorButton2")->hasFocus() ||
                    !h.find<QPushButton>("ColorButton2")->isVisible());
        QCOMPARE(h.stored(u"romexis_program"), std::u16string(u"/opt/romexis/romexis.exe"));

        h.openImagingPage(16);  // Romexis
        auto* edit = h.find<QLineEdit>("Edit_romexis_program");
        QCOMPARE(edit->text(), QStringLiteral("/opt/romexis/romexis.exe"));
        edit->setFocus();
        QTRY_VERIFY(edit->hasFocus());
        edit->selectAll();
        QTest::keyClicks(edit, "/opt/r.exe");
        h.window->pageControl1()->tabStrip()->setFocus();
        QTRY_COMPARE(h.stored(u"romexis_program"), std::u16string(u"/opt/r.exe"));
    }

    void browseAndConfirmationsGoThroughTheDialogs() {
        Harness h;
        h.start();
        h.openImagingPage(19);  // Sidexis
        h.p.dialogs.answers = {u"/srv/pdata", std::nullopt};
        h.find<QPushButton>("Button27")->click();
        QCOMPARE(h.find<QLineEdit>("Edit_sirona_config")->text(), QStringLiteral("/srv/pdata/"));
        QCOMPARE(h.stored(u"sirona_images"), std::u16string(u"/srv/pdata/"));
        h.find<QPushButton>("Button28")->click();  // cancelled
        QCOMPARE(h.p.dialogs.dialogModes, (std::vector<bool>{true, false}));
        QVERIFY(!h.stored(u"sirona_program"));

        h.clickTab(h.window->pageControl1(), 0);
        h.find<QPushButton>("Button2")->click();  // no printer selected
        QCOMPARE(h.p.dialogs.shown.size(), size_t{1});
        QVERIFY(h.p.dialogs.shown[0].error);
        QCOMPARE(h.p.dialogs.shown[0].text, std::u16string(u"List index out of bounds (-1)"));
        h.find<QListWidget>("ListBoxPrinters")->setCurrentRow(1);
        h.find<QPushButton>("Button3")->click();
        QCOMPARE(h.find<QLabel>("LabelReceiptDefault")->text(), QStringLiteral("Card Printer"));
        QCOMPARE(h.p.dialogs.shown.back().text, std::u16string(u"Default Receipt Printer set to Card Printer"));
        QCOMPARE(h.stored(u"receipt_printer"), std::u16string(u"Card Printer"));
    }

    void typingAPrintTypeStoresEveryCharacter() {
        Harness h;
        h.start();
        auto* combo = h.find<QComboBox>("ComboBoxApptType");
        combo->setFocus();
        QTest::keyClicks(combo->lineEdit(), "Ded");
        QCOMPARE(h.stored(u"appt_type"), std::u16string(u"Ded"));
        QCOMPARE(h.form.ComboBoxApptType.Text, std::u16string(u"Ded"));
        std::vector<std::u16string> values;
        for (const auto& w : h.p.registry.writeLog)
            if (w.find(u"appt_type=") != std::u16string::npos) values.push_back(w.substr(w.find(u'=') + 1));
        QCOMPARE(values, (std::vector<std::u16string>{u"D", u"De", u"Ded"}));
    }

    void configPageShowsAndStoresItsOptions() {
        Harness h;
        h.store(u"logging_enabled", u"1");
        h.store(u"server_ssl", u"bogus");
        h.start();
        h.clickTab(h.window->pageControl1(), 1);
        QVERIFY(h.find<QCheckBox>("CheckBoxLogging")->isChecked());
        QCOMPARE(h.stored(u"logging_enabled"), std::u16string(u"True"));
        QCOMPARE(h.p.dialogs.shown.size(), size_t{1});
        QCOMPARE(h.p.dialogs.shown[0].text, std::u16string(u"'bogus' is not a valid boolean value"));
        h.find<QCheckBox>("CheckBoxSSL")->click();
        QCOMPARE(h.stored(u"server_ssl"), std::u16string(u"True"));
    }
};

QTEST_MAIN(ConfigurationWindowTest)
#include "configuration_window_test.moc"
