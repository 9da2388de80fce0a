// Renders pages of the main window to PNG files, for the README's pictures. The window runs over the core with
// in-memory services holding a plausible practice's settings.
// Usage: window-screenshots OUTPUT_FOLDER

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTimer>
#include <cstdio>

#include "app/tform1.h"
#include "fakes/fake_platform.h"
#include "linux/window/browser_host.h"
#include "linux/window/main_window.h"
#include "linux/window/page_control.h"
#include "linux/window/window_style.h"

using namespace veltrane;

namespace {

void settle() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

bool save(QWidget& window, const QString& folder, const QString& name) {
    settle();
    const QString path = QDir(folder).filePath(name + QStringLiteral(".png"));
    if (!window.grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setFont(ui::windowFont());
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 1;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);

    fakes::FakePlatform p;
    p.commandLine.args = {u"/opt/veltrane/veltrane-client-tools", u"-s", u"pms.practice.example"};
    p.printers.names = {u"Reception LaserJet", u"Surgery 2 Inkjet", u"Zebra Card Printer", u"PDF"};
    const auto key = fakes::kVeltraneKey;
    for (auto [name, value] : std::initializer_list<std::pair<const char16_t*, const char16_t*>>{
             {u"apptcard_printer", u"Zebra Card Printer"},
             {u"receipt_printer", u"Reception LaserJet"},
             {u"appt_type", u"Dedicated"},
             {u"receipt_type", u"Normal"},
             {u"logging_enabled", u"True"},
             {u"server_ssl", u"False"},
             {u"imaging_autoload", u"False"},
             {u"cliniview_enabled", u"True"},
             {u"cliniview_program", u"/opt/cliniview/"},
             {u"cliniview_images", u"/srv/imaging/cliniview/"},
             {u"digora_enabled", u"True"},
             {u"digora_nameformat", u"2"},
             {u"sirona_enabled", u"True"},
             {u"sirona_program", u"/opt/sidexis/sidexis.exe"},
             {u"sirona_images", u"/srv/pdata/sidexis.sdx"},
             {u"dbswin_program", u"/opt/dbswin/bin/dbswin.exe"},
             {u"dbswin_images", u"/srv/dbswin/temp/"}}) {
        p.registry.setString(key, name, value);
    }
    app::TForm1 form(p.bundle);
    form.FormCreate();
    ui::BrowserHost browser;
    ui::MainWindow window(form, browser);
    window.show();
    // The printer list fills in after the first frame.
    QElapsedTimer waited;
    waited.start();
    while (!window.printersListed() && waited.elapsed() < 10000) QApplication::processEvents(QEventLoop::AllEvents, 50);

    bool ok = true;
    auto* pages = window.pageControl1();
    const char* names[] = {"printers", "config", "imaging", "choose-imaging-system"};
    for (int i = 0; i < pages->count(); ++i) {
        if (i == 3)
            for (const char16_t* caption : {u"Dexis", u"Scanora", u"Sidexis"})
                form.FlowPanel1.Buttons.push_back({caption, 543, 60, 30, true});
        pages->onTabChosen(i);
        ok = save(window, folder, QString::fromLatin1(names[i])) && ok;
    }
    pages->onTabChosen(2);
    auto* imaging = window.pageControl2();
    for (int i : {0, 4, 5, 19, 20}) {
        imaging->onTabChosen(i);
        ok = save(window, folder, QStringLiteral("imaging-") + imaging->page(i)->objectName().toLower()) && ok;
    }
    return ok ? 0 : 1;
}
