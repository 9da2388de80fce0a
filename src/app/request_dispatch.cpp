// The request file: read its action and carry it out.

#include "app/tform1.h"

namespace veltrane::app {

namespace {
const std::u16string kSettings = u"settings";
}

void TForm1::parseIniFile() {
    writeLog(u"Parse ini file");
    // Each value is read from the file when it is needed; a missing file yields the defaults.
    const std::u16string action = platform_.ini.getString(iniFileName, kSettings, u"action", u"");
    Label3.Caption = action;
    writeLog(action);
    if (action == u"print") runPrintBranch();
    if (action == u"images") runImagingSelection();
}

}  // namespace veltrane::app
