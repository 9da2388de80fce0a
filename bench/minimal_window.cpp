// The baseline for the window benchmark: a bare Qt widgets window of the configuration window's size and title,
// with nothing in it, shown as soon as the application exists.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QWidget window(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    window.setWindowTitle(QStringLiteral("Veltrane Client Tools"));
    window.setFixedSize(570, 490);
    window.show();
    return application.exec();
}
