#pragma once
// The activity log "clienttools.log" in the folder shared by all users: one time-stamped line per call.

#include <iostream>
#include <string>

#include "platform/platform.h"
#include "settings/settings_store.h"

namespace veltrane::settings {

// The local date in the short date format, one blank, the time in the long time format; at exactly
// midnight the date alone.
std::u16string formatTimestamp(const platform::LocalDateTime& when, platform::LocaleInfo& locale);

// Where the shared log is: clienttools.log in the shared documents folder.
std::u16string sharedLogPath(platform::KnownFolders& folders);

class ActivityLog {
public:
    // notes is where the one line about a log that cannot be written goes (standard error).
    ActivityLog(SettingsStore& store, platform::Platform& platform, std::ostream& notes = std::cerr)
        : store_(store), platform_(platform), notes_(notes) {}

    // Writes the line only when "logging_enabled" is exactly "True"; looks everything up afresh each call.
    // A log file that cannot be written (full, read-only, a folder, refused) stops nothing: the line is lost,
    // and the first such failure of the process is said once on notes. A settings read error still throws.
    void writeLog(const std::u16string& message);

    std::u16string getSpecialFolderPath(int folder);

private:
    SettingsStore& store_;
    platform::Platform& platform_;
    std::ostream& notes_;
    bool reported_ = false;
};

}  // namespace veltrane::settings
