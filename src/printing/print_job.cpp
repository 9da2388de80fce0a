// Printing the loaded page, and the shutdown that restores the workstation.

#include "app/tform1.h"
#include "printing/page_setup.h"

namespace veltrane::app {

void TForm1::printBrowserPage() {
    // The page-setup values that stand when the print is given, read afresh each time as the engine would.
    platform::PageSetupValues values;
    if (auto opened = platform_.registry.openKey(printing::kPageSetupKeyPath, /*create=*/false)) {
        settings::OpenSettingsKey key(std::move(opened));
        values.header = key.read(u"header");
        values.footer = key.read(u"footer");
        values.marginTop = key.read(u"margin_top");
        values.marginBottom = key.read(u"margin_bottom");
        values.marginLeft = key.read(u"margin_left");
        values.marginRight = key.read(u"margin_right");
    }
    platform_.browser.print(values);
}

void TForm1::WebBrowser1NavigateComplete2() { printBrowserPage(); }

void TForm1::ColorButton2Click() { printBrowserPage(); }

void TForm1::ColorButton1Click() { resetProgram(); }

void TForm1::resetProgram() {
    writeLog(u"resetProgram");
    if (!oldPrinter.empty()) {
        writeLog(u"resetProgram oldPrinter " + oldPrinter);
        SetDefaultPrinter(oldPrinter);
        resetIE();
    }
    // Everything is back: a later start has nothing to restore.
    clearJournal();
    writeLog(u"*** Done resetProgram + close ***");
    platform_.process.exit(0);
}

}  // namespace veltrane::app
