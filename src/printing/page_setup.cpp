// Saving, clearing and restoring the browser's page setup around a print.

#include "printing/page_setup.h"

#include "app/tform1.h"

namespace veltrane::app {

namespace {
const std::u16string kMargins[] = {u"margin_bottom", u"margin_top", u"margin_left", u"margin_right"};
}

void TForm1::setIE() {
    writeLog(u"Start setIE");
    {
        auto opened = platform_.registry.openKey(printing::kPageSetupKeyPath, /*create=*/true);
        if (opened) {
            settings::OpenSettingsKey key(std::move(opened));
            writeLog(u"OK to setIE");
            oldFooter = key.read(u"footer");
            oldHeader = key.read(u"header");
            if (printType == u"Dedicated") {
                oldMarginBottom = key.read(u"margin_bottom");
                oldMarginTop = key.read(u"margin_top");
                oldMarginLeft = key.read(u"margin_left");
                oldMarginRight = key.read(u"margin_right");
            }
            // Recorded before the first write, so a process that dies before DONE can be undone later.
            journalPageSetup();
            if (printType == u"Dedicated") {
                for (const auto& margin : kMargins) key.write(margin, u"0");
            }
            key.write(u"header", u"");
            key.write(u"footer", u"");
            pageSetupSet_ = true;
        }
    }
    writeLog(u"Done setIE");
}

void TForm1::resetIE() {
    writeLog(u"Start resetIE");
    // Margins also when an earlier open request of the dedicated type changed them and this one restores for it.
    writeBackPageSetup(printType == u"Dedicated" || restoreMargins_);
    writeLog(u"Done resetIE");
}

void TForm1::writeBackPageSetup(bool margins) {
    {
        auto opened = platform_.registry.openKey(printing::kPageSetupKeyPath, /*create=*/true);
        if (opened) {
            settings::OpenSettingsKey key(std::move(opened));
            // An empty saved value is never written back: the value keeps what setIE wrote.
            if (!oldFooter.empty()) key.write(u"footer", oldFooter);
            if (!oldHeader.empty()) key.write(u"header", oldHeader);
            if (margins) {
                const std::u16string* saved[] = {&oldMarginBottom, &oldMarginTop, &oldMarginLeft, &oldMarginRight};
                for (int i = 0; i < 4; ++i) {
                    if (!saved[i]->empty()) key.write(kMargins[i], *saved[i]);
                }
            }
        }
    }
}

}  // namespace veltrane::app
