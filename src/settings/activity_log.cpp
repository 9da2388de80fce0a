#include "settings/activity_log.h"

#include "base/error.h"
#include "base/text.h"
#include "platform/paths.h"

namespace veltrane::settings {

std::u16string formatTimestamp(const platform::LocalDateTime& when, platform::LocaleInfo& locale) {
    std::u16string stamp = locale.formatShortDate(when);
    const bool midnight = when.hour == 0 && when.minute == 0 && when.second == 0 && when.millisecond == 0;
    if (!midnight) {
        stamp += u' ';
        stamp += locale.formatLongTime(when);
    }
    return stamp;
}

std::u16string sharedLogPath(platform::KnownFolders& folders) {
    return folders.folderPath(platform::kCommonDocuments) + platform::kPathDelimiter + u"clienttools.log";
}

std::u16string ActivityLog::getSpecialFolderPath(int folder) { return platform_.folders.folderPath(folder); }

void ActivityLog::writeLog(const std::u16string& message) {
    if (store_.readSetting(u"logging_enabled") != u"True") return;
    const std::u16string path = sharedLogPath(platform_.folders);
    const std::u16string line = formatTimestamp(platform_.clock.now(), platform_.locale) + u": " + message + u"\r\n";
    try {
        platform_.files.appendToFile(path, platform_.ansi.encode(line, /*bestFit=*/false));
    } catch (const Error& e) {
        // The log is shared by every user of the machine, so anyone may have filled, locked or replaced it: a
        // diagnostic file must never be what stops a patient being opened.
        if (reported_) return;
        reported_ = true;
        notes_ << "veltrane-client-tools: the activity log " << utf16ToUtf8(path) << " is not written (" << e.what()
               << "); the request goes on without it.\n";
        notes_.flush();
    }
}

}  // namespace veltrane::settings
