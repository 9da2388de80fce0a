// The request file: read its action and carry it out.

#include "app/tform1.h"
#include "base/error.h"
#include "base/text.h"

namespace veltrane::app {

namespace {
const std::u16string kSettings = u"settings";
}

// A request that cannot be carried out is said, in the log and to whoever clicked in the practice application;
// otherwise the configuration window would open with no word of what went wrong.
[[noreturn]] void TForm1::refuseRequest(const std::u16string& why) {
    const std::u16string message = u"The request file " + iniFileName + why;
    writeLog(message);
    requestFailed_ = true;
    throw Error(utf16ToUtf8(message));
}

void TForm1::parseIniFile() {
    writeLog(u"Parse ini file");
    if (const std::string why = platform_.ini.whyUnreadable(iniFileName); !why.empty()) {
        refuseRequest(u" cannot be read: " + utf8ToUtf16(why));
    }
    // Each value is read from the file when it is needed.
    const std::u16string action = platform_.ini.getString(iniFileName, kSettings, u"action", u"");
    Label3.Caption = action;
    writeLog(action);
    if (action.empty()) refuseRequest(u" holds no action");
    if (action == u"print") runPrintBranch();
    if (action == u"images") runImagingSelection();
}

}  // namespace veltrane::app
