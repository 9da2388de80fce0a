// Keyboard order and the imaging buttons' layout of the main window, offscreen over the core with fakes.

#include <QApplication>
#include <QDir>
#include <QFontMetrics>
#include <QKeyEvent>
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

    void theFirstControlHasTheFocusAndShowsItWhenTheWindowOpens_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("systems");
        QTest::newRow("configuration window") << 0 << 0;
        QTest::newRow("Config page") << 1 << 0;
        QTest::newRow("Choose Imaging System") << 3 << 3;
    }
    void theFirstControlHasTheFocusAndShowsItWhenTheWindowOpens() {
        QFETCH(int, page);
        QFETCH(int, systems);
        Harness h;
        h.start(page, systems);
        // As in the designed order: the page tabs first.
        QCOMPARE(focusName(), QStringLiteral("PageControl1"));
        QWidget* strip = h.window->pageControl1()->tabStrip();
        QVERIFY(strip->hasFocus());
        const QImage focused = strip->grab().toImage();
        // The same tabs without the focus look different: the focus is drawn, not only held.
        h.window->findChild<QWidget*>(QStringLiteral("ColorButton1"))->setFocus(Qt::MouseFocusReason);
        QVERIFY(!strip->hasFocus());
        QVERIFY(strip->grab().toImage() != focused);
    }

    void focusIsDrawnOnEveryKindOfControlHoweverItCame_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("reason");
        QTest::addColumn<int>("printers");
        QTest::newRow("button, clicked") << 0 << "Button2" << int(Qt::MouseFocusReason) << 0;
        QTest::newRow("empty list box, clicked") << 0 << "ListBoxPrinters" << int(Qt::MouseFocusReason) << 0;
        QTest::newRow("list box, none chosen, clicked") << 0 << "ListBoxPrinters" << int(Qt::MouseFocusReason) << 2;
        QTest::newRow("list box, tabbed to") << 0 << "ListBoxPrinters" << int(Qt::TabFocusReason) << 2;
        QTest::newRow("check box, clicked") << 1 << "CheckBoxLogging" << int(Qt::MouseFocusReason) << 0;
        QTest::newRow("check box, tabbed to") << 1 << "CheckBoxSSL" << int(Qt::TabFocusReason) << 0;
        QTest::newRow("DONE, tabbed to") << 1 << "ColorButton1" << int(Qt::TabFocusReason) << 0;
    }
    void focusIsDrawnOnEveryKindOfControlHoweverItCame() {
        QFETCH(int, page);
        QFETCH(QString, control);
        QFETCH(int, reason);
        QFETCH(int, printers);
        Harness h;
        for (int i = 0; i < printers; ++i)
            h.p.printers.names.push_back(u"Printer " + std::u16string(1, static_cast<char16_t>(u'A' + i)));
        h.start(page);
        auto* widget = h.window->findChild<QWidget*>(control);
        QVERIFY(widget);
        QVERIFY(!widget->hasFocus());
        const QImage before = widget->grab().toImage();
        widget->setFocus(static_cast<Qt::FocusReason>(reason));
        QVERIFY(widget->hasFocus());
        QVERIFY2(widget->grab().toImage() != before, "the focused control looks as it did without the focus");
    }

    // Enter presses the focused button, as Space does; elsewhere it presses nothing. A button's press shows here as
    // a message box (Set Appointment Default with no printer chosen) or a file dialog (Browse...).
    void enterPressesTheFocusedButtonAndNothingElse_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("imagingPage");
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("held");  // an automatic repeat of a key held down
        QTest::addColumn<int>("presses");
        QTest::newRow("Return on a button") << 0 << -1 << "Button2" << int(Qt::Key_Return) << false << 1;
        QTest::newRow("keypad Enter on a button") << 0 << -1 << "Button3" << int(Qt::Key_Enter) << false << 1;
        QTest::newRow("Return held on a button") << 0 << -1 << "Button2" << int(Qt::Key_Return) << true << 0;
        QTest::newRow("Return on Browse...") << 2 << 2 << "Button6" << int(Qt::Key_Return) << false << 1;
        QTest::newRow("Return in a combo box") << 0 << -1 << "ComboBoxApptType" << int(Qt::Key_Return) << false << 0;
        QTest::newRow("Return in an edit") << 2 << 2 << "Edit_dexis_program" << int(Qt::Key_Return) << false << 0;
        QTest::newRow("Return on the page tabs") << 0 << -1 << "PageControl1" << int(Qt::Key_Return) << false << 0;
        QTest::newRow("Return on a check box") << 1 << -1 << "CheckBoxLogging" << int(Qt::Key_Return) << false << 0;
    }
    void enterPressesTheFocusedButtonAndNothingElse() {
        QFETCH(int, page);
        QFETCH(int, imagingPage);
        QFETCH(QString, control);
        QFETCH(int, key);
        QFETCH(bool, held);
        QFETCH(int, presses);
        Harness h;
        h.p.dialogs.answers = {std::nullopt};  // a file dialog is cancelled
        h.p.registry.setString(fakes::kVeltraneKey, u"appt_type", u"Normal");
        if (imagingPage >= 0) h.form.PageControl2.ActivePageIndex = imagingPage;
        h.start(page);
        QWidget* target = control == QLatin1String("PageControl1") ? h.window->pageControl1()->tabStrip()
                                                                   : h.window->findChild<QWidget*>(control);
        QVERIFY(target);
        target->setFocus(Qt::TabFocusReason);
        QCOMPARE(focusName(), control);
        const auto settingsBefore = h.p.registry.getString(fakes::kVeltraneKey, u"logging_enabled");
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QStringLiteral("\r"), held);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QStringLiteral("\r"), held);
        QApplication::sendEvent(QApplication::focusWidget(), &press);
        QApplication::sendEvent(QApplication::focusWidget(), &release);
        QCOMPARE(static_cast<int>(h.p.dialogs.shown.size() + h.p.dialogs.dialogModes.size()), presses);
        // Nothing else moved: the focus, the page, a combo box's text, a check box.
        QCOMPARE(focusName(), control);
        QCOMPARE(h.window->pageControl1()->currentIndex(), page);
        QCOMPARE(h.p.registry.getString(fakes::kVeltraneKey, u"appt_type"), std::optional<std::u16string>(u"Normal"));
        QCOMPARE(h.p.registry.getString(fakes::kVeltraneKey, u"logging_enabled"), settingsBefore);
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
