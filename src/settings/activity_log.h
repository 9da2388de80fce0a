#pragma once
// The activity log "clienttools.log" in the folder shared by all users: one time-stamped line per call.

#include <string>

#include "platform/platform.h"
#include "settings/settings_store.h"

namespace veltrane::settings {

// The local date in the short date format, one blank, the time in the long time format; at exactly
// midnight the date alone.
std::u16string formatTimestamp(const platform::LocalDateTime& when, platform::LocaleInfo& locale);

class ActivityLog {
public:
    ActivityLog(SettingsStore& store, platform::Platform& platform) : store_(store), platform_(platform) {}

    // Writes the line only when "logging_enabled" is exactly "True"; looks everything up afresh each call.
    // File failures throw the file error texts.
    void writeLog(const std::u16string& message);

    std::u16string getSpecialFolderPath(int folder);

private:
    SettingsStore& store_;
    platform::Platform& platform_;
};

}  // namespace veltrane::settings
