// The print branch of a request: switch the printer, adjust the page setup, and request the document's page;
// and the start-up that puts back what an interrupted request left switched.

#include "app/tform1.h"
#include "base/error.h"
#include "base/text.h"
#include "printing/print_request.h"

namespace veltrane::app {

void TForm1::runPrintBranch() {
    const printing::PrintRequest request = printing::readPrintRequest(platform_.ini, iniFileName);

    // Nothing is switched for a page that could not be loaded from the practice server, nor for a window that
    // cannot be shown: the user could never press DONE to put it back.
    try {
        printing::checkPracticeServer(serverIP);
        printing::documentPath(request);
        platform_.browser.ensureViewable();
    } catch (const Error& e) {
        PrintStatus.Caption = utf8ToUtf16(e.what());
        writeLog(u"Print request not carried out: " + utf8ToUtf16(e.what()));
        throw;
    }

    const auto switchTo = [this](const std::u16string& printer, const std::u16string& newPrintType) {
        writeLog(u"Initial set new printer to " + printer);
        SetDefaultPrinter(printer);
        // The job names its printer, so a request printed while another one has switched the default since
        // still goes to the printer of its own type.
        if (defaultPrinter_.isListed(printer)) {
            printDestination_ = printer;
        } else {
            // Printing the card on the office laser, on plain paper, is not what was asked: nothing prints until
            // the user says where.
            missingPrinter_ = printer;
            writeLog(u"Printer " + printer + u" is not installed: nothing is printed until Print Again");
        }
        printType = newPrintType;
        writeLog(u"Initial setup IE " + printer);
        setIE();
    };
    if (request.type == u"apptcard" && !apptPrinter.empty()) switchTo(apptPrinter, apptType);
    if (request.type == u"receipt" && !receiptPrinter.empty()) switchTo(receiptPrinter, receiptType);

    const bool ssl = settingToBool(readSetting(u"server_ssl"));
    const std::u16string url = printing::documentUrl(ssl, serverIP, request);
    printUrl_ = url;
    loading_ = true;
    PrintStatus.Caption = u"Loading " + url + u" \u2026";
    platform_.browser.navigate(url, platform::kNavNoReadFromCache);
}

void TForm1::loadPrinterListBox() { ListBoxPrinters.Items = defaultPrinter_.printerList(); }

std::u16string TForm1::getCurrentPrinter() { return defaultPrinter_.current(); }

void TForm1::SetDefaultPrinter(std::u16string name) {
    writeLog(u"SetDefaultPrinter " + name);
    oldPrinter = getCurrentPrinter();
    // Kept apart from oldPrinter, which every call overwrites: a DONE that fails and is pressed again must still
    // go back to the printer found before the print.
    if (printerToRestore_.empty()) printerToRestore_ = oldPrinter;
    writeLog(u"oldPrinter " + oldPrinter);
    Memo1.Lines.push_back(u"Default printer: " + oldPrinter);
    // The selection follows the system default only here, just before a new default is written.
    defaultPrinter_.followSystemDefault();
    // Recorded before anything changes, so a process that dies before DONE does not leave the switch behind.
    journal_.recordPrinterSwitch(oldPrinter);
    defaultPrinter_.writeDefaultEntryFor(name);
    writeLog(u"Done SetDefaultPrinter");
}

void TForm1::setIE() {
    writeLog(u"Start setIE");
    if (auto key = printing::openPageSetup(platform_.registry, /*create=*/true)) {
        writeLog(u"OK to setIE");
        // Where nothing was ever stored (a fresh account on Linux), what is saved below must still be a value
        // DONE can put back: else the margins would stay zero for every later print.
        printing::fillEngineDefaults(*key);
        const bool dedicated = printType == u"Dedicated";
        oldFooter = key->read(u"footer");
        oldHeader = key->read(u"header");
        if (dedicated) {
            oldMarginBottom = key->read(u"margin_bottom");
            oldMarginTop = key->read(u"margin_top");
            oldMarginLeft = key->read(u"margin_left");
            oldMarginRight = key->read(u"margin_right");
        }
        // Recorded before the first write, so a process that dies before DONE can be undone later.
        journal_.recordPageSetup(savedPageSetup(), dedicated);
        printing::clearPageSetup(*key, dedicated);
        pageSetupSet_ = true;
    }
    writeLog(u"Done setIE");
}

void TForm1::resetIE() {
    writeLog(u"Start resetIE");
    // Margins also when an earlier open request of the dedicated type changed them and this one restores for it.
    printing::putBackPageSetup(platform_.registry, savedPageSetup(), printType == u"Dedicated" || restoreMargins_);
    writeLog(u"Done resetIE");
}

printing::SavedPageSetup TForm1::savedPageSetup() const {
    return {oldFooter, oldHeader, oldMarginBottom, oldMarginTop, oldMarginLeft, oldMarginRight};
}

void TForm1::restoreInterruptedPrint() {
    if (const auto problem = journal_.restoreInterrupted(log_, defaultPrinter_)) {
        platform_.dialogs.showMessage(*problem, platform::MessagePlacement::Default);
    }
}

}  // namespace veltrane::app
