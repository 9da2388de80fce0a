// Printing the loaded page, and the shutdown that restores the workstation.

#include "app/tform1.h"

namespace veltrane::app {

void TForm1::printBrowserPage() { platform_.browser.print(); }

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
    writeLog(u"*** Done resetProgram + close ***");
    platform_.process.exit(0);
}

}  // namespace veltrane::app
