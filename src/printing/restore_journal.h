#pragma once
// What a print request must put back, recorded before it changes the workstation, so that a later start can put
// it back when the request's process died before DONE.

#include <optional>
#include <string>

#include "platform/registry.h"
#include "platform/running_instances.h"
#include "printing/default_printer.h"
#include "printing/page_setup.h"

namespace veltrane::settings {
class ActivityLog;
}

namespace veltrane::printing {

// Its own key beside the settings; an empty "owner" means nothing is pending (values are never deleted).
inline const std::u16string kRestoreJournalKeyPath = u"\\Software\\Veltrane\\PendingRestore";

// What DONE is to put back.
struct RestorePlan {
    bool othersOpen = false;  // another live request switched too: the last one to end restores
    bool recorded = false;    // this request is in the journal, so the fields below hold its record
    std::u16string printer;
    bool headerFooter = false;
    bool margins = false;
    SavedPageSetup saved;
};

// The journal of this process's print request among the open ones. Every call opens the key afresh and reads
// or rewrites it under the running instances' shared lock.
class RestoreJournal {
public:
    RestoreJournal(platform::Registry& registry, platform::RunningInstances& instances)
        : registry_(registry), instances_(instances) {}

    // This request switches the default printer away from previous.
    void recordPrinterSwitch(const std::u16string& previous);
    // This request clears the page setup it found (and its margins when dedicated).
    void recordPageSetup(const SavedPageSetup& found, bool dedicated);
    // The margin (0 bottom, 1 top, 2 left, 3 right) the first dedicated request of the open ones found, when one of
    // them changed the margins.
    std::optional<std::u16string> margin(int index);
    RestorePlan restorePlan();
    // This request has ended; requests that died meanwhile go too, and the last one closes the record.
    void leave();
    // Puts back what requests whose processes have died left switched, once no request is open any more. What
    // could not be put back (read back after writing) is returned in words for the user; the record is then
    // kept, and the next start tries again.
    std::optional<std::u16string> restoreInterrupted(settings::ActivityLog& log, DefaultPrinter& printer);

private:
    platform::Registry& registry_;
    platform::RunningInstances& instances_;
};

}  // namespace veltrane::printing
