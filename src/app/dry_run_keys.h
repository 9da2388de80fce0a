#pragma once
// The registry keys a dry run keeps to itself: page-setup writes are shown, the restore journal is kept silently,
// so a dry run of a print request leaves the browser's settings and the journal as they were.

#include <vector>

#include "platform/common/dry_run/dry_run_printing.h"
#include "printing/page_setup.h"
#include "printing/restore_journal.h"

namespace veltrane::app {

inline std::vector<platform::dry_run::OverlaidKey> dryRunOverlaidKeys() {
    return {{printing::kPageSetupKeyPath, "page-setup"}, {printing::kRestoreJournalKeyPath, ""}};
}

}  // namespace veltrane::app
