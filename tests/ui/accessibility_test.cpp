// What a screen reader learns of the main window (names, labels, page tabs, page changes) and the keys that work
// anywhere in it, offscreen over the core with fakes.

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include "app/window/accessible_names.h"
#include "app/window/imaging_pages.h"
#include "linux/window/page_control.h"
#include "window_harness.h"

using namespace veltrane;

namespace {

struct Harness : testing::WindowHarness {
    void start() {
        form.FormCreate();
        QVERIFY(showWindow());
    }
    template <class T = QWidget>
    T* find(std::u16string_view name) {
        return window->findChild<T*>(QString::fromStdU16String(std::u16string(name)));
    }
    std::optional<std::u16string> stored(const char16_t* name) {
        return p.registry.getString(fakes::kVeltraneKey, name);
    }
    void clickTab(ui::PageControl* pc, int index) {
        QTest::mouseClick(pc->tabStrip(), Qt::LeftButton, {}, pc->tabRect(index).center());
    }
    void focus(QWidget* w) {
        w->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(w->hasFocus() || (w->focusProxy() && w->focusProxy()->hasFocus()));
    }
};

// Accessibility events as the platform bridge would get them.
struct Heard {
    QAccessible::Event type;
    QObject* object;
    int child;
};
std::vector<Heard> heard;
void recordEvent(QAccessibleEvent* event) { heard.push_back({event->type(), event->object(), event->child()}); }

QString nameOf(QObject* object) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(object);
    return iface ? iface->text(QAccessible::Name) : QStringLiteral("(no interface)");
}

}  // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        qputenv("VELTRANE_BROWSER_MODULE", "/nonexistent/libveltrane-browser.so");
        QAccessible::setActive(true);
    }

    void everyControlSaysItsNameAndItsLabelPointsToIt() {
        Harness h;
        h.start();
        int checked = 0;
        for (const auto& row : app::windowControls()) {
            if (!app::isInteractive(row) || row.kind == app::ControlKind::TabSheet) continue;
            const QString control = QString::fromStdU16String(row.name);
            QWidget* widget = h.find(row.name);
            QVERIFY2(widget, qPrintable(control));
            const QString expected = QString::fromStdU16String(app::accessibleName(row));
            QVERIFY2(!expected.isEmpty(), qPrintable(control));
            QCOMPARE(nameOf(widget), expected);
            // The focus is in an editable combo box's own edit: it must say the same.
            if (auto* combo = qobject_cast<QComboBox*>(widget)) QCOMPARE(nameOf(combo->lineEdit()), expected);
            if (const app::ControlRow* label = app::namingLabel(row)) {
                QWidget* labelWidget = h.find(label->name);
                // Asked of the label: a list's own interface (a table) answers no relations.
                const auto labelled =
                    QAccessible::queryAccessibleInterface(labelWidget)->relations(QAccessible::Labelled);
                QVERIFY2(labelled.size() == 1, qPrintable(control));
                QCOMPARE(labelled.front().first->object(), widget);
                // The label still shows its caption as it did, without a mnemonic mark.
                QCOMPARE(static_cast<QLabel*>(labelWidget)->text(), QString::fromStdU16String(label->caption));
            }
            ++checked;
        }
        QVERIFY(checked > 70);
    }

    void theTwoPageControlsListTheirTwentyEightTabsAndTheSelectedOne() {
        Harness h;
        h.form.PageControl2.ActivePageIndex = 2;
        h.start();
        int tabs = 0;
        for (ui::PageControl* pc : {h.window->pageControl1(), h.window->pageControl2()}) {
            QAccessibleInterface* list = QAccessible::queryAccessibleInterface(pc->tabStrip());
            QVERIFY(list);
            QCOMPARE(list->role(), QAccessible::PageTabList);
            QCOMPARE(list->childCount(), pc->count());
            for (int i = 0; i < pc->count(); ++i) {
                QAccessibleInterface* tab = list->child(i);
                QVERIFY(tab && tab->isValid());
                QCOMPARE(tab->role(), QAccessible::PageTab);
                QCOMPARE(tab->text(QAccessible::Name), pc->caption(i));
                QCOMPARE(tab->state().selected, i == pc->currentIndex());
                QCOMPARE(list->indexOfChild(tab), i);
                QCOMPARE(tab->parent(), list);
                ++tabs;
            }
        }
        QCOMPARE(tabs, 4 + app::kImagingPageCount);
        // The inner tabs are where the Imaging page shows them, and pressing one picks its page.
        h.clickTab(h.window->pageControl1(), 2);
        QAccessibleInterface* inner = QAccessible::queryAccessibleInterface(h.window->pageControl2()->tabStrip());
        QAccessibleInterface* dexis = inner->child(2);
        QCOMPARE(dexis->text(QAccessible::Name), QStringLiteral("Dexis"));
        QVERIFY(dexis->rect().contains(inner->rect().topLeft() + h.window->pageControl2()->tabRect(2).center()));
        QAccessibleInterface* trophy = inner->child(10);
        trophy->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(h.form.PageControl2.ActivePageIndex, 10);
        QVERIFY(trophy->state().selected);
        QVERIFY(!dexis->state().selected);
    }

    void aPageChangeIsAnnouncedOnTheTabThatBecameCurrent() {
        // The offscreen platform has no bridge to tell events to; ctest runs this on X11 (on_xvfb.sh).
        QTRY_VERIFY2_WITH_TIMEOUT(QAccessible::isActive(), "no accessibility bridge on this platform", 10000);
        Harness h;
        h.start();
        heard.clear();
        QAccessible::installUpdateHandler(&recordEvent);
        QWidget* strip = h.window->pageControl1()->tabStrip();
        h.clickTab(h.window->pageControl1(), 1);
        // A click gives the tabs the focus: the new tab is both focused and selected.
        auto saw = [&](QAccessible::Event type, int child) {
            return std::any_of(heard.begin(), heard.end(),
                               [&](const Heard& e) { return e.type == type && e.object == strip && e.child == child; });
        };
        const bool selected = saw(QAccessible::Selection, 1), focused = saw(QAccessible::Focus, 1);
        heard.clear();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown, Qt::ControlModifier);
        const bool selectedByKey = saw(QAccessible::Selection, 2), focusedByKey = saw(QAccessible::Focus, 2);
        QAccessible::installUpdateHandler(nullptr);
        QVERIFY(selected);
        QVERIFY(focused);
        QVERIFY(selectedByKey);
        QVERIFY(focusedByKey);
    }

    // Ctrl+Tab and its kin change the pages of the page control that holds the focus, round the ends, and leave
    // the focus on its tabs.
    void ctrlTabAndCtrlPageKeysChangePages_data() {
        QTest::addColumn<QString>("from");  // the control with the focus
        QTest::addColumn<int>("outer");     // PageControl1's page first
        QTest::addColumn<int>("inner");     // PageControl2's page first
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("outerAfter");
        QTest::addColumn<int>("innerAfter");
        const int ctrl = Qt::ControlModifier, ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
        QTest::newRow("Ctrl+Tab on the Printers page")
            << "ComboBoxApptType" << 0 << 2 << int(Qt::Key_Tab) << ctrl << 1 << 2;
        QTest::newRow("Ctrl+Shift+Tab round to the last page")
            << "Button2" << 0 << 2 << int(Qt::Key_Backtab) << ctrlShift << 3 << 2;
        QTest::newRow("Ctrl+PgDn from the Config memo") << "Memo1" << 1 << 2 << int(Qt::Key_PageDown) << ctrl << 2 << 2;
        QTest::newRow("Ctrl+PgUp on the outer tabs")
            << "PageControl1" << 1 << 2 << int(Qt::Key_PageUp) << ctrl << 0 << 2;
        QTest::newRow("Ctrl+Tab in an imaging page turns the imaging pages")
            << "Edit_dexis_program" << 2 << 2 << int(Qt::Key_Tab) << ctrl << 2 << 3;
        QTest::newRow("Ctrl+PgUp on the imaging tabs")
            << "PageControl2" << 2 << 2 << int(Qt::Key_PageUp) << ctrl << 2 << 1;
        QTest::newRow("Ctrl+Tab round from the last imaging page")
            << "Edit_ezdenti_program" << 2 << app::kImagingPageCount - 1 << int(Qt::Key_Tab) << ctrl << 2 << 0;
        QTest::newRow("Ctrl+PgDn on DONE turns the outer pages")
            << "ColorButton1" << 2 << 5 << int(Qt::Key_PageDown) << ctrl << 3 << 5;
    }
    void ctrlTabAndCtrlPageKeysChangePages() {
        QFETCH(QString, from);
        QFETCH(int, outer);
        QFETCH(int, inner);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, outerAfter);
        QFETCH(int, innerAfter);
        Harness h;
        h.form.PageControl2.ActivePageIndex = inner;
        h.start();
        h.clickTab(h.window->pageControl1(), outer);
        QCOMPARE(h.window->pageControl1()->currentIndex(), outer);
        QWidget* start = from == "PageControl1"   ? h.window->pageControl1()->tabStrip()
                         : from == "PageControl2" ? h.window->pageControl2()->tabStrip()
                                                  : h.window->findChild<QWidget*>(from);
        QVERIFY(start);
        h.focus(start);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(h.form.PageControl1.ActivePageIndex, outerAfter);
        QCOMPARE(h.window->pageControl1()->currentIndex(), outerAfter);
        QCOMPARE(h.form.PageControl2.ActivePageIndex, innerAfter);
        QCOMPARE(h.window->pageControl2()->currentIndex(), innerAfter);
        ui::PageControl* turned = innerAfter != inner ? h.window->pageControl2() : h.window->pageControl1();
        QCOMPARE(QApplication::focusWidget(), turned->tabStrip());
    }

    // Leaving an edit by Ctrl+Tab is leaving it: what was typed is stored, as when a tab is clicked.
    void ctrlTabStoresTheEditItLeaves() {
        Harness h;
        h.form.PageControl2.ActivePageIndex = 2;  // Dexis
        h.start();
        h.clickTab(h.window->pageControl1(), 2);
        auto* edit = h.find<QLineEdit>(u"Edit_dexis_program");
        h.focus(edit);
        QTest::keyClicks(edit, "/opt/dexis");
        QVERIFY(!h.stored(u"dexis_program"));
        QTest::keyClick(edit, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(h.stored(u"dexis_program"), std::u16string(u"/opt/dexis/"));
        QCOMPARE(h.form.PageControl2.ActivePageIndex, 3);
    }

    // Alt with a letter is a command key: it never types into a combo box (whose text is stored as typed) or an
    // edit, while plain letters still do.
    void altLettersAreNeverTyped() {
        Harness h;
        h.p.registry.setString(fakes::kVeltraneKey, u"receipt_type", u"Normal");
        h.start();
        auto* combo = h.find<QComboBox>(u"ComboBoxReceiptType");
        h.focus(combo);
        QWidget* typing = QApplication::focusWidget();
        for (char letter : QByteArray("asrtdpcihebw"))
            QTest::keyClick(typing, Qt::Key(Qt::Key_A + (letter - 'a')), Qt::AltModifier);
        QCOMPARE(combo->currentText(), QStringLiteral("Normal"));
        QCOMPARE(h.stored(u"receipt_type"), std::u16string(u"Normal"));
        QTest::keyClick(typing, Qt::Key_End);
        QTest::keyClick(typing, Qt::Key_X);
        QCOMPARE(h.stored(u"receipt_type"), std::u16string(u"Normalx"));

        h.form.PageControl2.ActivePageIndex = 2;
        h.clickTab(h.window->pageControl1(), 2);
        h.clickTab(h.window->pageControl2(), 2);
        auto* edit = h.find<QLineEdit>(u"Edit_dexis_program");
        h.focus(edit);
        QTest::keyClick(edit, Qt::Key_Q, Qt::AltModifier);
        QTest::keyClick(edit, Qt::Key_Z);
        QCOMPARE(edit->text(), QStringLiteral("z"));
    }
};

QTEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
