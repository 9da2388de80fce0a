#pragma once
// The registry keys a dry run keeps to itself: page-setup writes are shown; the program's settings (the server
// address a request stores) and the restore journal are kept silently, so a dry run leaves the settings, the
// browser's page setup and the journal as they were.

#include <vector>

#include "platform/common/dry_run/dry_run_printing.h"
#include "printing/page_setup.h"
#include "printing/restore_journal.h"
#include "settings/settings_store.h"

namespace veltrane::app {

inline std::vector<platform::dry_run::OverlaidKey> dryRunOverlaidKeys() {
    return {{printing::kPageSetupKeyPath, "page-setup"},
            {printing::kRestoreJournalKeyPath, ""},
            {settings::kSettingsKeyPath, ""}};
}

}  // namespace veltrane::app
