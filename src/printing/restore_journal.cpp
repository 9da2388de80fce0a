// The restore journal: what a print request changed on the workstation, kept until DONE has put it back, so that
// a process killed in between (or a crash, or a log-out) does not leave the user's default printer and page setup
// switched for good.

#include "printing/restore_journal.h"

#include "app/tform1.h"
#include "printing/page_setup.h"

namespace veltrane::app {

namespace {

const std::u16string kOwner = u"owner";
const std::u16string kPrinter = u"printer";
const std::u16string kPageSetup = u"page_setup";  // "saved" once setIE has recorded the values below
const std::u16string kPrintType = u"print_type";
const std::u16string kSavedNames[] = {u"footer",     u"header",      u"margin_bottom",
                                      u"margin_top", u"margin_left", u"margin_right"};

std::optional<settings::OpenSettingsKey> openJournal(platform::Registry& registry, bool create) {
    auto key = registry.openKey(printing::kRestoreJournalKeyPath, create);
    if (!key) return std::nullopt;
    return settings::OpenSettingsKey(std::move(key));
}

}  // namespace

void TForm1::journalPrinterSwitch(const std::u16string& previous) {
    auto journal = openJournal(platform_.registry, /*create=*/true);
    if (!journal) return;
    // Only the first switch of a request is recorded: the restoring call from DONE must not replace the printer
    // to go back to, and a request running in another process keeps its own record.
    if (!journal->read(kOwner).empty()) return;
    journal->write(kPrinter, previous);
    journal->write(kPageSetup, u"");
    journal->write(kOwner, platform_.instances.selfToken());
}

void TForm1::journalPageSetup() {
    auto journal = openJournal(platform_.registry, /*create=*/true);
    if (!journal) return;
    const std::u16string self = platform_.instances.selfToken();
    const std::u16string owner = journal->read(kOwner);
    if (!owner.empty() && owner != self) return;
    if (journal->read(kPageSetup) == u"saved") return;
    const std::u16string* saved[] = {&oldFooter,    &oldHeader,     &oldMarginBottom,
                                     &oldMarginTop, &oldMarginLeft, &oldMarginRight};
    for (int i = 0; i < 6; ++i) journal->write(kSavedNames[i], *saved[i]);
    journal->write(kPrintType, printType);
    journal->write(kPageSetup, u"saved");
    if (owner.empty()) {
        journal->write(kPrinter, u"");
        journal->write(kOwner, self);
    }
}

void TForm1::clearJournal() {
    auto journal = openJournal(platform_.registry, /*create=*/false);
    if (!journal) return;
    if (journal->read(kOwner) != platform_.instances.selfToken()) return;
    journal->write(kOwner, u"");
}

void TForm1::restoreInterruptedPrint() {
    auto journal = openJournal(platform_.registry, /*create=*/false);
    if (!journal) return;
    const std::u16string owner = journal->read(kOwner);
    // A request still running will restore for itself when its DONE is pressed.
    if (owner.empty() || platform_.instances.isRunning(owner)) return;

    writeLog(u"Restore after an interrupted print request");
    const std::u16string printer = journal->read(kPrinter);
    if (!printer.empty()) {
        writeLog(u"Restore default printer " + printer);
        writeDefaultEntryFor(printer);
    }
    if (journal->read(kPageSetup) == u"saved") {
        writeLog(u"Restore page setup");
        std::u16string saved[6];
        for (int i = 0; i < 6; ++i) saved[i] = journal->read(kSavedNames[i]);
        const bool dedicated = journal->read(kPrintType) == u"Dedicated";
        auto opened = platform_.registry.openKey(printing::kPageSetupKeyPath, /*create=*/true);
        if (opened) {
            settings::OpenSettingsKey key(std::move(opened));
            // The same rules as DONE: empty saved values are not written back, margins only for a dedicated print.
            const int count = dedicated ? 6 : 2;
            for (int i = 0; i < count; ++i) {
                if (!saved[i].empty()) key.write(kSavedNames[i], saved[i]);
            }
        }
    }
    // Cleared only when everything is back, so a failure here is tried again at the next start.
    journal->write(kOwner, u"");
    writeLog(u"Done restore after an interrupted print request");
}

}  // namespace veltrane::app
