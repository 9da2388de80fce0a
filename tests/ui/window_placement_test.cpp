// Where a window opens beside other windows of the program: the rule on its own, with places of windows as an
// X server reports them (the window's own top left, inside a 1-pixel border and a 20-pixel title bar).

#include "linux/window/window_placement.h"

#include <QtTest>

using namespace veltrane;

class WindowPlacementTest : public QObject {
    Q_OBJECT
private slots:
    void aNewWindowStepsClearOfTheOthersAndStaysOnTheScreen_data() {
        QTest::addColumn<QList<QPoint>>("others");  // the first opened first
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QPoint>("expected");
        const QRect screen(0, 0, 1024, 768);
        QTest::newRow("one open: a title bar down and right")
            << QList<QPoint>{{227, 148}} << screen << QPoint(247, 168);
        QTest::newRow("two open: one step further")
            << QList<QPoint>{{227, 148}, {247, 168}} << screen << QPoint(267, 188);
        QTest::newRow("the second closed: its place again")
            << QList<QPoint>{{227, 148}, {267, 188}} << screen << QPoint(247, 168);
        QTest::newRow("a window moved a pixel or two still holds its place")
            << QList<QPoint>{{227, 148}, {249, 166}} << screen << QPoint(267, 188);
        QTest::newRow("the first where a step leaves the screen: its top left")
            << QList<QPoint>{{440, 250}} << screen << QPoint(1, 20);
        QTest::newRow("the top left taken too: a step on from it")
            << QList<QPoint>{{440, 250}, {1, 20}} << screen << QPoint(21, 40);
        QTest::newRow("a screen that does not start at 0, 0 (a panel on top)")
            << QList<QPoint>{{440, 270}} << QRect(0, 24, 1024, 744) << QPoint(1, 44);
        QTest::newRow("a screen too small for a step: its top left")
            << QList<QPoint>{{1, 20}} << QRect(0, 0, 580, 520) << QPoint(1, 20);
    }
    void aNewWindowStepsClearOfTheOthersAndStaysOnTheScreen() {
        QFETCH(QList<QPoint>, others);
        QFETCH(QRect, screen);
        QFETCH(QPoint, expected);
        const QSize size(570, 490);
        const QMargins frame(1, 20, 1, 1);
        QCOMPARE(ui::cascadePlace({others.begin(), others.end()}, size, frame, 20, screen), expected);
    }
};

QTEST_MAIN(WindowPlacementTest)
#include "window_placement_test.moc"
