// The window's message boxes, shown for real (offscreen) and read while they are open.

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include "linux/window/qt_dialogs.h"
#include "linux/window/window_style.h"

using namespace veltrane;

namespace {

struct SeenBox {
    QString title;
    QString text;
    QRect geometry;
    bool focusShown = false;
};

// Runs show (which opens a modal box), and reads and closes the box once it is on screen.
template <class Show>
SeenBox whileOpen(Show show) {
    SeenBox seen;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (!box || !box->isVisible()) continue;
            seen.title = box->windowTitle();
            seen.text = box->text();
            seen.geometry = box->geometry();
            seen.focusShown = box->testAttribute(Qt::WA_KeyboardFocusChange);
            poll.stop();
            box->accept();
            return;
        }
    });
    poll.start();
    show();
    return seen;
}

}  // namespace

class MessageBoxTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setFont(ui::windowFont()); }

    // Window managers cut a title their title bar has no room for ("Ve...ols"), and a short message makes a
    // narrow box. The box leaves room for the title in a bold title-bar font (9 points) beside a window menu and
    // three buttons, as openbox draws them (19 pixels each), with a margin at each end.
    void theTitleAlwaysHasRoomInTheTitleBar_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("error");
        QTest::addColumn<bool>("centred");
        QTest::newRow("one word") << "Done" << false << false;
        QTest::newRow("a short error") << "I/O error 5" << true << false;
        QTest::newRow("a confirmation, centred on the screen") << "Set" << false << true;
        QTest::newRow("a long line, wrapped as before")
            << QString(300, QLatin1Char('x')).replace(QRegularExpression("(x{20})"), "\\1 ") << true << false;
    }
    void theTitleAlwaysHasRoomInTheTitleBar() {
        QFETCH(QString, text);
        QFETCH(bool, error);
        QFETCH(bool, centred);
        ui::QtDialogs dialogs;
        const SeenBox box = whileOpen([&] {
            if (error)
                dialogs.showError(text.toStdU16String());
            else
                dialogs.showMessage(text.toStdU16String(), centred ? platform::MessagePlacement::ScreenCentered
                                                                   : platform::MessagePlacement::Default);
        });
        QCOMPARE(box.title, QStringLiteral("Veltrane Client Tools"));
        QCOMPARE(box.text, text);
        QFont titleFont = QApplication::font();
        titleFont.setPointSizeF(9);
        titleFont.setBold(true);
        const int needed = QFontMetrics(titleFont).horizontalAdvance(box.title) + 4 * 19 + 2 * 4;
        QVERIFY2(box.geometry.width() >= needed,
                 qPrintable(QStringLiteral("%1 wide, the title bar needs %2").arg(box.geometry.width()).arg(needed)));
        // Still on the screen, and a long message still wraps rather than running off it.
        QVERIFY(QApplication::primaryScreen()->availableGeometry().contains(box.geometry));
        if (centred) {
            const QPoint offCentre = box.geometry.center() - QApplication::primaryScreen()->geometry().center();
            // Within a pixel or two: halves of odd sizes round.
            QVERIFY2(std::abs(offCentre.x()) <= 2 && std::abs(offCentre.y()) <= 2,
                     qPrintable(QStringLiteral("%1,%2 off the screen's centre").arg(offCentre.x()).arg(offCentre.y())));
        }
        // The focused button shows its focus from the start, as in the window.
        QVERIFY(box.focusShown);
    }
};

QTEST_MAIN(MessageBoxTest)
#include "message_box_test.moc"
