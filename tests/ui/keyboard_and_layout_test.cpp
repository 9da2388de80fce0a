// Keyboard order and the imaging buttons' layout of the main window, offscreen over the core with fakes.

#include <QApplication>
#include <QDir>
#include <QFontMetrics>
#include <QPushButton>
#include <QtTest>

#include "app/window/window_table.h"
#include "imaging/catalogue.h"
#include "linux/window/page_control.h"
#include "window_harness.h"

using namespace veltrane;

namespace {

struct Harness : testing::WindowHarness {
    // The window on a page, with the imaging buttons a request with these systems makes (scan order).
    void start(int page, int systems = 0) {
        form.FormCreate();
        form.PageControl1.ActivePageIndex = page;
        std::vector<const imaging::ImagingSystem*> scan;
        for (const auto& system : imaging::kCatalogue) scan.push_back(&system);
        std::stable_sort(scan.begin(), scan.end(), [](auto* a, auto* b) { return a->scanPosition < b->scanPosition; });
        for (int i = 0; i < systems; ++i)
            form.FlowPanel1.Buttons.push_back(
                {std::u16string(scan[static_cast<std::size_t>(i)]->displayName), 543, 60, 30, true});
        QVERIFY(showWindow());
    }
};

// The named control that has the focus: a combo box stands for its line edit, a page control for its tabs.
QString focusName() {
    for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget())
        if (!w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1Char('_')) &&
            !w->objectName().startsWith(QLatin1String("qt_")))
            return w->objectName();
    return QStringLiteral("(none)");
}

// Presses Tab (or Shift+Tab) as often as there are names and records where the focus went each time.
QStringList walk(int steps, bool backwards) {
    QStringList seen;
    for (int i = 0; i < steps; ++i) {
        QWidget* from = QApplication::focusWidget();
        if (!from) return seen << QStringLiteral("(none)");
        QTest::keyClick(from, Qt::Key_Tab, backwards ? Qt::ShiftModifier : Qt::NoModifier);
        QWidget* now = QApplication::focusWidget();
        // A focus stop must be something the user sees.
        if (now && !now->isVisible()) return seen << QStringLiteral("invisible ") + now->objectName();
        seen << focusName();
    }
    return seen;
}

}  // namespace

class KeyboardAndLayoutTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qputenv("VELTRANE_BROWSER_MODULE", "/nonexistent/libveltrane-browser.so"); }

    void tabFollowsTheDesignedOrderBothWaysOnEveryPage_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("imagingPage");
        QTest::addColumn<int>("systems");
        QTest::addColumn<QStringList>("order");  // from the page tabs round to them again
        const QString strip1 = QStringLiteral("PageControl1"), strip2 = QStringLiteral("PageControl2"),
                      done = QStringLiteral("ColorButton1");
        // "Print Again" is disabled until a page has loaded, so Tab passes it by here.
        QTest::newRow("Printers")
            << 0 << -1 << 0
            << QStringList{strip1, "Button2", "Button3", "ComboBoxApptType", "ComboBoxReceiptType", "ListBoxPrinters",
                           done,   strip1};
        // Tab leaves Memo1 instead of typing into it.
        QTest::newRow("Config") << 1 << -1 << 0
                                << QStringList{strip1, "Memo1", "CheckBoxLogging", "CheckBoxSSL", done, strip1};
        QTest::newRow("Imaging: Dexis")
            << 2 << 2 << 0
            << QStringList{strip1, strip2, "CheckBox_dexis_enabled", "Edit_dexis_program", "Button6", done, strip1};
        // The radio group is one stop, at its chosen item.
        QTest::newRow("Imaging: Digora")
            << 2 << 5 << 0
            << QStringList{strip1, strip2, "CheckBox_digora_enabled", "RadioGroupDigoraNameFormat_2", done, strip1};
        QTest::newRow("Imaging: Dr Suni, Enabled last")
            << 2 << 17 << 0
            << QStringList{strip1, strip2, "Edit_suni_program", "Button24", "CheckBox_suni_enabled", done, strip1};
        QTest::newRow("Imaging: Cliniview, Browse first") << 2 << 22 << 0 << QStringList{strip1,
                                                                                         strip2,
                                                                                         "CheckBox_cliniview_enabled",
                                                                                         "Button31",
                                                                                         "Edit_cliniview_program",
                                                                                         "Edit_cliniview_config",
                                                                                         "Button32",
                                                                                         done,
                                                                                         strip1};
        // The system buttons come before the check box and DONE, so a slip of Tab opens nothing by accident.
        QTest::newRow("Choose Imaging System")
            << 3 << -1 << 3
            << QStringList{
                   strip1, "ImagingButton0", "ImagingButton1", "ImagingButton2", "CheckBox_imaging_autoload", done,
                   strip1};
    }
    void tabFollowsTheDesignedOrderBothWaysOnEveryPage() {
        QFETCH(int, page);
        QFETCH(int, imagingPage);
        QFETCH(int, systems);
        QFETCH(QStringList, order);
        Harness h;
        h.p.registry.setString(fakes::kVeltraneKey, u"digora_nameformat", u"2");
        if (imagingPage >= 0) h.form.PageControl2.ActivePageIndex = imagingPage;
        h.start(page, systems);
        auto* strip = h.window->pageControl1()->tabStrip();
        strip->setFocus(Qt::TabFocusReason);
        QCOMPARE(focusName(), order.front());

        QCOMPARE(walk(static_cast<int>(order.size()) - 1, false), order.mid(1));
        QStringList reversed(order.rbegin(), order.rend());
        QCOMPARE(walk(static_cast<int>(order.size()) - 1, true), reversed.mid(1));
    }

    void arrowKeysStillChooseWithinTheNameFormatGroup() {
        Harness h;
        h.p.registry.setString(fakes::kVeltraneKey, u"digora_nameformat", u"2");
        h.form.PageControl2.ActivePageIndex = 5;
        h.start(2);
        auto* chosen = h.window->findChild<QWidget*>(QStringLiteral("RadioGroupDigoraNameFormat_2"));
        QVERIFY(chosen);
        chosen->setFocus(Qt::TabFocusReason);
        QTest::keyClick(chosen, Qt::Key_Up);
        QCOMPARE(focusName(), QStringLiteral("RadioGroupDigoraNameFormat_1"));
        QCOMPARE(h.p.registry.getString(fakes::kVeltraneKey, u"digora_nameformat"), std::u16string(u"1"));
    }

    void everyEnabledSystemsButtonIsInSightAndClickable_data() {
        QTest::addColumn<int>("systems");
        for (int n = 1; n <= 25; ++n) QTest::addRow("%d", n) << n;
    }
    void everyEnabledSystemsButtonIsInSightAndClickable() {
        QFETCH(int, systems);
        Harness h;
        h.start(3, systems);
        auto* panel = h.window->findChild<QWidget*>(QStringLiteral("FlowPanel1"));
        QVERIFY(panel);
        const auto& designed = app::findControl(u"FlowPanel1")->bounds;
        QCOMPARE(panel->size(), QSize(designed.width, designed.height));
        std::vector<QPushButton*> buttons;
        for (int i = 0; i < systems; ++i) {
            auto* b = h.window->findChild<QPushButton*>(QStringLiteral("ImagingButton%1").arg(i));
            QVERIFY(b);
            buttons.push_back(b);
        }
        for (int i = 0; i < systems; ++i) {
            QPushButton* b = buttons[static_cast<std::size_t>(i)];
            const QRect g = b->geometry();
            QVERIFY2(b->isVisible(), qPrintable(b->text()));
            QVERIFY2(panel->rect().contains(g), qPrintable(QStringLiteral("%1 at %2,%3 %4x%5")
                                                               .arg(b->text())
                                                               .arg(g.x())
                                                               .arg(g.y())
                                                               .arg(g.width())
                                                               .arg(g.height())));
            // Nothing covers it: a click on its middle reaches it.
            QCOMPARE(panel->childAt(g.center()), b);
            QVERIFY2(QFontMetrics(b->font()).horizontalAdvance(b->text()) <= g.width() - 8, qPrintable(b->text()));
            QVERIFY(b->font().bold());
            // Top to bottom, then the next column to the right.
            if (i > 0) {
                const QRect before = buttons[static_cast<std::size_t>(i - 1)]->geometry();
                QVERIFY(g.top() > before.top() || g.left() > before.right());
            }
        }
        if (systems <= 6) {
            // As many as fit keep the designed size and font.
            for (int i = 0; i < systems; ++i) {
                QCOMPARE(buttons[static_cast<std::size_t>(i)]->geometry(), QRect(0, 60 * i, 543, 60));
                QCOMPARE(buttons[static_cast<std::size_t>(i)]->font().pixelSize(), 40);
            }
        } else {
            // More share the panel, in one font that stays readable.
            QVERIFY(buttons.back()->font().pixelSize() >= 14);
            for (auto* b : buttons) QCOMPARE(b->font().pixelSize(), buttons.front()->font().pixelSize());
        }
        // Pictures to look at: VELTRANE_SCREENSHOT_DIR=/some/folder.
        const QString shots = qEnvironmentVariable("VELTRANE_SCREENSHOT_DIR");
        if (!shots.isEmpty() && QList<int>{1, 6, 7, 12, 25}.contains(systems)) {
            QDir().mkpath(shots);
            QVERIFY(h.window->grab().save(shots + QStringLiteral("/choose-%1.png").arg(systems)));
        }
    }
};

QTEST_MAIN(KeyboardAndLayoutTest)
#include "keyboard_and_layout_test.moc"
