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

#include "app/window/window_table.h"
#include "linux/window/page_control.h"
#include "window_harness.h"

using namespace veltrane;

namespace {

struct Harness : testing::WindowHarness {
    Harness() { p.printers.names = {u"Reception", u"Card Printer"}; }
    // Without start-up the window shows the designed captions.
    void start(bool formCreate = true) {
        if (formCreate) form.FormCreate();
        QVERIFY(showWindow());
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
        // The designed client area, fixed.
        const QSize designed(app::mainWindowDesign().clientWidth, app::mainWindowDesign().clientHeight);
        QCOMPARE(h.window->size(), designed);
        QCOMPARE(h.window->minimumSize(), designed);
        QCOMPARE(h.window->maximumSize(), designed);
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

    void everyControlIsBuiltAsTheWindowTableSays() {
        Harness h;
        h.start(false);
        using K = app::ControlKind;
        for (const auto& row : app::windowControls()) {
            const QString name = QString::fromStdU16String(row.name);
            // The browser module fills its panel only once loaded; these tests run without it.
            if (row.kind == K::Browser) continue;
            QWidget* w = h.find(name);
            QVERIFY2(w, qPrintable(name));
            QCOMPARE(w->parentWidget()->objectName(), QString::fromStdU16String(row.parent));
            const bool rightKind = [&] {
                switch (row.kind) {
                    case K::Label:
                        return qobject_cast<QLabel*>(w) != nullptr;
                    case K::Button:
                        return qobject_cast<QPushButton*>(w) != nullptr;
                    case K::CheckBox:
                        return qobject_cast<QCheckBox*>(w) != nullptr;
                    case K::Edit:
                        return qobject_cast<QLineEdit*>(w) != nullptr;
                    case K::Memo:
                        return qobject_cast<QPlainTextEdit*>(w) != nullptr;
                    case K::ListBox:
                        return qobject_cast<QListWidget*>(w) != nullptr;
                    case K::ComboBox:
                        return qobject_cast<QComboBox*>(w) != nullptr;
                    case K::PageControl:
                        return qobject_cast<ui::PageControl*>(w) != nullptr;
                    case K::GroupBox:
                    case K::RadioGroup:
                        return qobject_cast<QGroupBox*>(w) != nullptr;
                    case K::RadioButton:
                        return qobject_cast<QRadioButton*>(w) != nullptr;
                    case K::TabSheet:
                    case K::Panel:
                    case K::FlowPanel:
                    case K::Browser:
                        return true;
                }
                return false;
            }();
            QVERIFY2(rightKind, qPrintable(name));
            const QString caption = QString::fromStdU16String(row.caption);
            if (row.kind == K::TabSheet) {
                auto* pages = qobject_cast<ui::PageControl*>(w->parentWidget());
                QVERIFY(pages);
                QCOMPARE(pages->page(row.tab), w);
                QCOMPARE(pages->caption(row.tab), caption);
                continue;
            }
            if (!caption.isEmpty()) QCOMPARE(text(w), caption);
            const QRect designed(row.bounds.left, row.bounds.top, row.bounds.width, row.bounds.height);
            const QRect g = w->geometry();
            if (row.kind == K::Label) {
                // Labels size themselves to their caption.
                QCOMPARE(g.topLeft(), designed.topLeft());
                QCOMPARE(g.height(), designed.height());
            } else if (row.kind == K::CheckBox && g.width() > designed.width()) {
                // A check box grows to its caption, leftwards only where the page's edge would cut it.
                QCOMPARE(g.top(), designed.top());
                QCOMPARE(g.height(), designed.height());
                QVERIFY2(g.left() == designed.left() || g.right() == w->parentWidget()->width() - 1, qPrintable(name));
                QVERIFY(g.right() < w->parentWidget()->width());
            } else {
                QCOMPARE(g, designed);
            }
            QCOMPARE(w->font().pixelSize(), row.font.pixelSize);
            QCOMPARE(w->font().bold(), row.font.bold);
            if (row.background) {
                QCOMPARE(w->palette().color(QPalette::Window),
                         QColor(row.background->red, row.background->green, row.background->blue));
                QVERIFY(w->autoFillBackground());
            }
            QCOMPARE(w->isHidden(), !row.visible);
            // Enabled ones may still be disabled by the model ("Print Again" until a page has loaded).
            if (!row.enabled) QVERIFY2(!w->isEnabled(), qPrintable(name));
            if (auto* memo = qobject_cast<QPlainTextEdit*>(w)) {
                QStringList lines;
                for (const auto& line : row.items) lines << QString::fromStdU16String(line);
                QCOMPARE(memo->toPlainText(), lines.join(QLatin1Char('\n')));
                QCOMPARE(memo->isReadOnly(), row.readOnly);
                QCOMPARE(memo->frameShape() != QFrame::NoFrame, row.border);
            }
            if (auto* combo = qobject_cast<QComboBox*>(w)) {
                QCOMPARE(combo->count(), static_cast<int>(row.items.size()));
                for (int i = 0; i < combo->count(); ++i)
                    QCOMPARE(combo->itemText(i), QString::fromStdU16String(row.items[static_cast<std::size_t>(i)]));
            }
        }
    }

    // A few designed values written out here, after start-up, so a wrong row of the table is caught too. Places
    // are not: every control's is compared with the table above, and the table's own are checked in its unit test.
    void spotChecksOfTheDesignedLayout() {
        Harness h;
        h.start();
        struct Row {
            const char* name;
            const char* parent;
            const char* caption;  // nullptr: not checked
        };
        const Row rows[] = {
            {"Label1", "Form1", "Veltrane Client Tools"},
            {"ColorButton1", "Form1", "DONE"},
            {"Button2", "TabSheet1", "Set Appointment Default"},
            {"ComboBoxApptType", "TabSheet1", nullptr},
            {"Panel1", "TabSheet1", nullptr},
            {"Memo1", "TabSheet2", nullptr},
            {"PageControl2", "TabSheet3", nullptr},
            {"Button6", "TabSheet6", "Browse..."},
            {"GroupBox_Memo4", "TabSheet4", "Notes"},
            {"Memo4", "GroupBox_Memo4", nullptr},
            {"Edit_cliniview_program", "TabSheet27", nullptr},
            {"Button27", "TabSheet24", "Browse..."},
            {"Edit_dtxstudio_pad", "TabSheet25", nullptr},
        };
        for (const auto& row : rows) {
            QWidget* w = h.find(QString::fromLatin1(row.name));
            QVERIFY2(w, row.name);
            QCOMPARE(w->parentWidget()->objectName(), QString::fromLatin1(row.parent));
            if (row.caption) QCOMPARE(text(w), QString::fromLatin1(row.caption));
        }
        auto* flow = h.find<QWidget>("FlowPanel1");
        QCOMPARE(flow->palette().color(QPalette::Window), QColor(255, 255, 0));
        QCOMPARE(h.find<QComboBox>("ComboBoxApptType")->itemText(1), QStringLiteral("Dedicated"));
        QCOMPARE(h.find<QPlainTextEdit>("Memo7")->toPlainText(),
                 QStringLiteral("Program Location usually: C:\\Program Files\\Cliniview\n"
                                "Patimport Location usually: C:\\ProgramData\\Cliniview"));
        QVERIFY(!h.find<QPlainTextEdit>("Memo7")->isEnabled());
        QCOMPARE(h.find<QPushButton>("ColorButton2")->font().pixelSize(), 19);
        QVERIFY(h.find<QPushButton>("ColorButton2")->font().bold());
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
        QCOMPARE(edit->text(), QStringLiteral("/opt/dexis/"));  // the edit shows what is stored
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
