// The restore journal: what print requests changed on the workstation, kept until the last of them has put it
// back, so that a process killed in between (or a crash, or a log-out) does not leave the user's default printer
// and page setup switched for good.
//
// Print requests overlap at a front desk (a card, then a receipt, before anyone presses DONE). The journal holds
// every open request ("owners") and one record of what the first of them found: the default printer, the header
// and footer, and the margins as the first dedicated request found them. Only the last request to end puts that
// record back; a request that dies is dropped by the next start, which restores when no request is left.

#include "printing/restore_journal.h"

#include <algorithm>

#include "settings/activity_log.h"

namespace veltrane::printing {

namespace {

const std::u16string kOwners = u"owners";  // tokens of the open requests, separated by blanks
const std::u16string kOwner = u"owner";    // a single open request, as earlier versions wrote it
const std::u16string kPrinter = u"printer";
const std::u16string kPageSetup = u"page_setup";  // "saved" once header and footer are recorded
const std::u16string kMarginsSaved = u"margins";  // "saved" once the margins are recorded
const std::u16string kPrintType = u"print_type";  // earlier versions: "Dedicated" meant the margins are recorded
const std::u16string kSaved = u"saved";
const std::u16string kSavedNames[] = {u"footer",     u"header",      u"margin_bottom",
                                      u"margin_top", u"margin_left", u"margin_right"};

std::optional<settings::OpenSettingsKey> openJournal(platform::Registry& registry, bool create) {
    auto key = registry.openKey(kRestoreJournalKeyPath, create);
    if (!key) return std::nullopt;
    return settings::OpenSettingsKey(std::move(key));
}

std::vector<std::u16string> readOwners(settings::OpenSettingsKey& journal) {
    std::vector<std::u16string> owners;
    const std::u16string text = journal.read(kOwners);
    std::size_t start = 0;
    while (start <= text.size()) {
        const auto end = std::min(text.find(u' ', start), text.size());
        if (end > start) owners.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    const std::u16string legacy = journal.read(kOwner);
    if (!legacy.empty() && std::find(owners.begin(), owners.end(), legacy) == owners.end()) owners.push_back(legacy);
    return owners;
}

void writeOwners(settings::OpenSettingsKey& journal, const std::vector<std::u16string>& owners) {
    std::u16string text;
    for (const auto& owner : owners) text += (text.empty() ? u"" : u" ") + owner;
    journal.write(kOwners, text);
    if (!journal.read(kOwner).empty()) journal.write(kOwner, u"");
}

bool contains(const std::vector<std::u16string>& list, const std::u16string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

bool marginsRecorded(settings::OpenSettingsKey& journal) {
    return journal.read(kMarginsSaved) == kSaved ||
           (journal.read(kPageSetup) == kSaved && journal.read(kPrintType) == u"Dedicated");
}

// Nothing pending: the record is emptied, values are never deleted.
void closeRecord(settings::OpenSettingsKey& journal) {
    writeOwners(journal, {});
    journal.write(kPrinter, u"");
    journal.write(kPageSetup, u"");
    journal.write(kMarginsSaved, u"");
    journal.write(kPrintType, u"");
}

// Joins self to the open requests; the first one opens a new record.
void join(settings::OpenSettingsKey& journal, const std::u16string& self, std::vector<std::u16string>& owners) {
    if (contains(owners, self)) return;
    if (owners.empty()) closeRecord(journal);
    owners.push_back(self);
    writeOwners(journal, owners);
}

SavedPageSetup readSaved(settings::OpenSettingsKey& journal) {
    SavedPageSetup saved;
    std::u16string* values[] = {&saved.footer,    &saved.header,     &saved.marginBottom,
                                &saved.marginTop, &saved.marginLeft, &saved.marginRight};
    for (int i = 0; i < 6; ++i) *values[i] = journal.read(kSavedNames[i]);
    return saved;
}

}  // namespace

void RestoreJournal::recordPrinterSwitch(const std::u16string& previous) {
    const auto lock = instances_.lockShared();
    auto journal = openJournal(registry_, /*create=*/true);
    if (!journal) return;
    const std::u16string self = instances_.selfToken();
    auto owners = readOwners(*journal);
    // The restoring call from DONE finds itself already recorded: the printer to go back to stays.
    if (contains(owners, self)) return;
    const bool first = owners.empty();
    join(*journal, self, owners);
    // A request that opens alongside others keeps the printer the first one found.
    if (first || journal->read(kPrinter).empty()) journal->write(kPrinter, previous);
}

void RestoreJournal::recordPageSetup(const SavedPageSetup& found, bool dedicated) {
    const auto lock = instances_.lockShared();
    auto journal = openJournal(registry_, /*create=*/true);
    if (!journal) return;
    auto owners = readOwners(*journal);
    join(*journal, instances_.selfToken(), owners);
    // Recorded once, by the first request: a later one reads what the first has already cleared.
    if (journal->read(kPageSetup) != kSaved) {
        journal->write(kSavedNames[0], found.footer);
        journal->write(kSavedNames[1], found.header);
        journal->write(kPageSetup, kSaved);
    }
    // Only a dedicated request changes the margins, so the first of those finds them as the user had them.
    if (dedicated && !marginsRecorded(*journal)) {
        const std::u16string* margins[] = {&found.marginBottom, &found.marginTop, &found.marginLeft,
                                           &found.marginRight};
        for (int i = 0; i < 4; ++i) journal->write(kSavedNames[2 + i], *margins[i]);
        journal->write(kMarginsSaved, kSaved);
    }
}

std::optional<std::u16string> RestoreJournal::margin(int index) {
    auto journal = openJournal(registry_, /*create=*/false);
    if (!journal || !marginsRecorded(*journal) || readOwners(*journal).empty()) return std::nullopt;
    return journal->read(kSavedNames[2 + index]);
}

RestorePlan RestoreJournal::restorePlan() {
    RestorePlan plan;
    const auto lock = instances_.lockShared();
    auto journal = openJournal(registry_, /*create=*/false);
    if (!journal) return plan;
    const std::u16string self = instances_.selfToken();
    const auto owners = readOwners(*journal);
    if (!contains(owners, self)) return plan;
    plan.recorded = true;
    for (const auto& owner : owners) {
        if (owner != self && instances_.isRunning(owner)) plan.othersOpen = true;
    }
    plan.printer = journal->read(kPrinter);
    plan.headerFooter = journal->read(kPageSetup) == kSaved;
    plan.margins = marginsRecorded(*journal);
    plan.saved = readSaved(*journal);
    return plan;
}

void RestoreJournal::leave() {
    const auto lock = instances_.lockShared();
    auto journal = openJournal(registry_, /*create=*/false);
    if (!journal) return;
    auto owners = readOwners(*journal);
    const std::u16string self = instances_.selfToken();
    if (!contains(owners, self)) return;
    // Requests that died meanwhile go too; whoever is still open keeps the record.
    std::erase_if(owners, [&](const std::u16string& owner) { return owner == self || !instances_.isRunning(owner); });
    if (owners.empty())
        closeRecord(*journal);
    else
        writeOwners(*journal, owners);
}

std::optional<std::u16string> RestoreJournal::restoreInterrupted(settings::ActivityLog& log, DefaultPrinter& printer) {
    // Read without the lock first: a start with nothing pending (nearly every start) takes no lock.
    {
        auto journal = openJournal(registry_, /*create=*/false);
        if (!journal) return std::nullopt;
        const auto owners = readOwners(*journal);
        if (std::all_of(owners.begin(), owners.end(),
                        [&](const std::u16string& owner) { return instances_.isRunning(owner); }))
            return std::nullopt;
    }
    const auto lock = instances_.lockShared();
    auto journal = openJournal(registry_, /*create=*/false);
    if (!journal) return std::nullopt;
    auto owners = readOwners(*journal);
    const auto before = owners.size();
    std::erase_if(owners, [&](const std::u16string& owner) { return !instances_.isRunning(owner); });
    if (owners.size() == before) return std::nullopt;
    // A request still open restores for itself, and for the dead ones, when its DONE is pressed.
    if (!owners.empty()) {
        writeOwners(*journal, owners);
        return std::nullopt;
    }

    log.writeLog(u"Restore after an interrupted print request");
    std::u16string problem;
    const std::u16string previous = journal->read(kPrinter);
    if (!previous.empty()) {
        log.writeLog(u"Restore default printer " + previous);
        const bool installed = printer.writeDefaultEntryFor(previous);
        // Read back: a printer removed meanwhile, or a write the system ignored, is not a restore.
        if (!printer.isSystemDefault(previous)) {
            problem = u"The default printer could not be put back to " + previous +
                      (installed ? u"" : u", which is not installed on this computer any more") + u". " +
                      printer.systemDefaultForMessages() +
                      u" is still the default printer: choose the default printer in the system's printer settings.";
        }
    }
    const bool headerFooter = journal->read(kPageSetup) == kSaved;
    const bool margins = marginsRecorded(*journal);
    if (headerFooter || margins) {
        log.writeLog(u"Restore page setup");
        const SavedPageSetup saved = readSaved(*journal);
        if (auto key = openPageSetup(registry_, /*create=*/true)) {
            // Every recorded value goes back, an empty one too: an absent margin read as empty, and writing it
            // empty gives the engine's default again instead of leaving the print's zero behind.
            const std::u16string* values[] = {&saved.footer,    &saved.header,     &saved.marginBottom,
                                              &saved.marginTop, &saved.marginLeft, &saved.marginRight};
            for (int i = 0; i < 6; ++i) {
                if (!(i < 2 ? headerFooter : margins)) continue;
                key->write(kSavedNames[i], *values[i]);
                if (key->read(kSavedNames[i]) != *values[i]) {
                    problem += (problem.empty() ? u"" : u" ") + std::u16string(u"The browser's page setup could not be put "
                                                                              u"back (") + kSavedNames[i] + u").";
                    break;
                }
            }
        } else {
            problem += (problem.empty() ? u"" : u" ") + std::u16string(u"The browser's page setup could not be opened.");
        }
    }
    // Closed only when everything is back, so a failure here is tried again at the next start.
    if (!problem.empty()) {
        log.writeLog(u"Restore not complete, tried again at the next start: " + problem);
        return problem;
    }
    closeRecord(*journal);
    log.writeLog(u"Done restore after an interrupted print request");
    return std::nullopt;
}

}  // namespace veltrane::printing
