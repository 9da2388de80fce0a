#include "settings/activity_log.h"

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

std::u16string ActivityLog::getSpecialFolderPath(int folder) { return platform_.folders.folderPath(folder); }

void ActivityLog::writeLog(const std::u16string& message) {
    if (store_.readSetting(u"logging_enabled") != u"True") return;
    std::u16string path = getSpecialFolderPath(platform::kCommonDocuments);
    path += platform::kPathDelimiter;
    path += u"clienttools.log";
    const std::u16string line = formatTimestamp(platform_.clock.now(), platform_.locale) + u": " + message + u"\r\n";
    platform_.files.appendToFile(path, platform_.ansi.encode(line, /*bestFit=*/false));
}

}  // namespace veltrane::settings
