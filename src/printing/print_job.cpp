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
        platform_.browser.print(printPageSetup(), printDestination_);
    } catch (const Error& e) {
        WebBrowser1PrintFailed(e.what());
    }
}

platform::PageSetupValues TForm1::printPageSetup() {
    platform::PageSetupValues values;
    auto opened = platform_.registry.openKey(printing::kPageSetupKeyPath, /*create=*/false);
    std::optional<settings::OpenSettingsKey> key;
    if (opened) key.emplace(std::move(opened));
    const auto current = [&](const std::u16string& name) { return key ? key->read(name) : std::u16string(); };
    // With a page setup of its own, the request prints with what it set, not with what the shared values hold by
    // now: another request printing alongside may have changed them since. Without one, the values that stand
    // when the print is given, as the engine would read them.
    values.header = pageSetupSet_ ? std::u16string() : current(u"header");
    values.footer = pageSetupSet_ ? std::u16string() : current(u"footer");
    const std::u16string names[] = {u"margin_bottom", u"margin_top", u"margin_left", u"margin_right"};
    std::u16string margins[4];
    for (int i = 0; i < 4; ++i) {
        if (pageSetupSet_ && printType == u"Dedicated")
            margins[i] = u"0";
        else if (const auto found = pageSetupSet_ ? journalMargin(i) : std::nullopt)
            margins[i] = *found;  // a dedicated request has zeroed them meanwhile: the user's own
        else
            margins[i] = current(names[i]);
    }
    values.marginBottom = margins[0];
    values.marginTop = margins[1];
    values.marginLeft = margins[2];
    values.marginRight = margins[3];
    return values;
}

void TForm1::WebBrowser1NavigateComplete2() {
    loading_ = false;
    PrintAgainEnabled = true;
    printBrowserPage();
}

void TForm1::WebBrowser1Loading(int percent) {
    // Progress that trails the end of the load must not hide its outcome.
    if (!loading_) return;
    PrintStatus.Caption = u"Loading " + printUrl_ + u" \u2026 " + utf8ToUtf16(std::to_string(percent)) + u" %";
}

void TForm1::WebBrowser1NavigateFailed(const std::string& message) {
    loading_ = false;
    PrintAgainEnabled = false;
    PrintStatus.Caption = utf8ToUtf16(message);
    writeLog(u"Page not loaded: " + utf8ToUtf16(message));
    throw Error(message);
}

void TForm1::WebBrowser1Printed(const std::u16string& printer) {
    PrintStatus.Caption = u"Printed on " + printer + u" at " + clockText(platform_.clock.now());
}

void TForm1::WebBrowser1PrintFailed(const std::string& message) {
    PrintStatus.Caption = u"Not printed: " + utf8ToUtf16(message);
    writeLog(u"Print failed: " + utf8ToUtf16(message));
    throw Error(message);
}

void TForm1::ColorButton2Click() { printBrowserPage(); }

void TForm1::ColorButton1Click() { resetProgram(); }

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
        RestorePlan plan = switched ? restorePlan() : RestorePlan{};
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
                    oldFooter = plan.saved[0];
                    oldHeader = plan.saved[1];
                }
                if (plan.margins) {
                    oldMarginBottom = plan.saved[2];
                    oldMarginTop = plan.saved[3];
                    oldMarginLeft = plan.saved[4];
                    oldMarginRight = plan.saved[5];
                    restoreMargins_ = true;
                }
            }
            if (!target.empty()) {
                oldPrinter = target;
                writeLog(u"resetProgram oldPrinter " + oldPrinter);
                SetDefaultPrinter(oldPrinter);
                resetIE();
            }
        }
        // Everything is back (or left to the last open request): a later start has nothing to restore.
        if (switched) leaveJournal();
    } catch (const Error& e) {
        failRestore(e.what());
        throw;
    }
    writeLog(u"*** Done resetProgram + close ***");
    platform_.process.exit(0);
}

void TForm1::CloseAnywayClick() {
    writeLog(u"Closed without putting the printer and page setup back: the next start does it");
    // Still recorded in the journal: once this process has ended, the next start puts everything back.
    platform_.process.exit(0);
}

}  // namespace veltrane::app
