// Printing the loaded page, the print view's feedback, and the shutdown that restores the workstation.

#include <cstdio>

#include "app/tform1.h"
#include "base/error.h"
#include "base/text.h"
#include "printing/page_setup.h"

namespace veltrane::app {

namespace {

std::u16string clockText(const platform::LocalDateTime& t) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    return utf8ToUtf16(text);
}

}  // namespace

void TForm1::printBrowserPage() {
    PrintStatus.Caption = u"Printing on " +
                          (printDestination_.empty() ? std::u16string(u"the default printer") : printDestination_) +
                          u" \u2026";
    try {
        platform_.browser.print(
            printing::pageSetupForPrint(platform_.registry, journal_, pageSetupSet_, printType == u"Dedicated"),
            printDestination_);
    } catch (const Error& e) {
        WebBrowser1PrintFailed(e.what());
    }
}

void TForm1::WebBrowser1NavigateComplete2() {
    loading_ = false;
    pageLoaded_ = true;
    PrintAgainEnabled = true;
    if (!missingPrinter_.empty()) {
        std::u16string fallback = u"the default printer";
        try {
            fallback = getCurrentPrinter();
        } catch (const Error&) {
            // No default printer either: the words above say as much as can be said.
        }
        PrintStatus.Caption = u"Not printed: the printer \"" + missingPrinter_ +
                              u"\" set for this document is not installed on this computer. Choose an installed "
                              u"printer on the Printers page, or press Print Again to print on " +
                              fallback + u".";
        return;
    }
    printBrowserPage();
}

void TForm1::WebBrowser1Loading(int percent) {
    // Progress that trails the end of the load must not hide its outcome.
    if (!loading_) return;
    PrintStatus.Caption = u"Loading " + printUrl_ + u" \u2026 " + utf8ToUtf16(std::to_string(percent)) + u" %";
}

void TForm1::WebBrowser1NavigateFailed(const std::string& message) {
    loading_ = false;
    pageLoaded_ = false;
    // A server that was down for a moment needs no new request: Print Again loads the page again.
    PrintAgainEnabled = true;
    const bool ended = !message.empty() && (message.back() == '.' || message.back() == '?');
    PrintStatus.Caption = utf8ToUtf16(message) + (ended ? u" " : u". ") + u"Press Print Again to load it again.";
    writeLog(u"Page not loaded: " + utf8ToUtf16(message));
    throw Error(message);
}

// Taken by the printer system is not yet on paper: "Printed on" only once the printer system says the job is done.
void TForm1::WebBrowser1Printed(const std::u16string& printer) {
    PrintStatus.Caption = u"Sent to " + printer + u" at " + clockText(platform_.clock.now());
}

void TForm1::WebBrowser1PrintCompleted(const std::u16string& printer) {
    PrintStatus.Caption = u"Printed on " + printer + u" at " + clockText(platform_.clock.now());
}

void TForm1::WebBrowser1PrintDelayed(const std::u16string& printer, const std::u16string& reason) {
    PrintStatus.Caption = u"Sent to " + printer + u", not printed yet: " + reason;
    writeLog(u"Print waits on " + printer + u": " + reason);
}

void TForm1::WebBrowser1PrintFailed(const std::string& message) {
    PrintStatus.Caption = u"Not printed: " + utf8ToUtf16(message);
    writeLog(u"Print failed: " + utf8ToUtf16(message));
    throw Error(message);
}

void TForm1::ColorButton2Click() {
    if (!pageLoaded_ && !printUrl_.empty()) {
        writeLog(u"Print Again: load the page again");
        loading_ = true;
        PrintAgainEnabled = false;
        PrintStatus.Caption = u"Loading " + printUrl_ + u" \u2026";
        platform_.browser.navigate(printUrl_, platform::kNavNoReadFromCache);
        return;
    }
    // The user chose the default printer for a document whose own printer is not installed.
    if (!missingPrinter_.empty()) {
        writeLog(u"Print Again on the default printer instead of " + missingPrinter_);
        missingPrinter_.clear();
    }
    printBrowserPage();
}

void TForm1::ColorButton1Click() { resetProgram(); }

void TForm1::finishDryRunPrint() {
    if (printUrl_.empty()) return;
    WebBrowser1NavigateComplete2();
    resetProgram();
}

void TForm1::failRestore(const std::string& reason) {
    writeLog(u"resetProgram failed: " + utf8ToUtf16(reason));
    CloseAnywayVisible = true;
    const std::u16string left = printDestination_.empty() ? std::u16string(u"the print's") : printDestination_;
    PrintStatus.Caption = u"DONE could not put everything back: " + utf8ToUtf16(reason) +
                          u". Press DONE to try again, or \"Close Anyway\" to leave " + left +
                          u" as the default printer, with this print's page setup, until the program next starts.";
}

void TForm1::resetProgram() {
    writeLog(u"resetProgram");
    // Only a request that switched something reads the journal; other runs end without touching it.
    const bool switched = !printerToRestore_.empty() || pageSetupSet_;
    try {
        const printing::RestorePlan plan = switched ? journal_.restorePlan() : printing::RestorePlan{};
        if (plan.othersOpen) {
            // The default printer and page setup are shared: putting them back now would pull them from under
            // a request still printing. The last one to end restores what the first one found.
            writeLog(u"Another print request is still open: it puts the printer and page setup back");
        } else {
            std::u16string target = printerToRestore_;
            if (plan.recorded) {
                if (!plan.printer.empty()) target = plan.printer;
                // The record holds what the first request found; this one may have started later.
                if (plan.headerFooter) {
                    oldFooter = plan.saved.footer;
                    oldHeader = plan.saved.header;
                }
                if (plan.margins) {
                    oldMarginBottom = plan.saved.marginBottom;
                    oldMarginTop = plan.saved.marginTop;
                    oldMarginLeft = plan.saved.marginLeft;
                    oldMarginRight = plan.saved.marginRight;
                    restoreMargins_ = true;
                }
            }
            if (!target.empty()) {
                oldPrinter = target;
                writeLog(u"resetProgram oldPrinter " + oldPrinter);
                SetDefaultPrinter(oldPrinter);
                // Read back: a printer removed while the window was open is not put back by writing its name.
                if (!defaultPrinter_.isSystemDefault(target)) {
                    throw Error(utf16ToUtf8(u"the default printer could not be put back to " + target + u" (" +
                                            defaultPrinter_.systemDefaultForMessages() + u" is still the default)"));
                }
                resetIE();
            }
        }
        // Everything is back (or left to the last open request): a later start has nothing to restore.
        if (switched) journal_.leave();
    } catch (const Error& e) {
        failRestore(e.what());
        throw;
    }
    writeLog(u"*** Done resetProgram + close ***");
    platform_.process.exit(requestFailed_ ? 1 : 0);
}

void TForm1::CloseAnywayClick() {
    writeLog(u"Closed without putting the printer and page setup back: the next start does it");
    // Still recorded in the journal: once this process has ended, the next start puts everything back.
    platform_.process.exit(0);
}

}  // namespace veltrane::app
