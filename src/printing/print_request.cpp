// The print branch of a request: switch the printer, adjust the page setup, and request the document's page.

#include <algorithm>

#include "app/tform1.h"
#include "base/error.h"
#include "base/text.h"

namespace veltrane::app {

namespace {
const std::u16string kSettings = u"settings";
}

void TForm1::runPrintBranch() {
    auto& ini = platform_.ini;
    const std::u16string type = ini.getString(iniFileName, kSettings, u"type", u"");
    const std::u16string patientId = ini.getString(iniFileName, kSettings, u"patient_id", u"");
    const std::u16string docsFolder = ini.getString(iniFileName, kSettings, u"docs_folder", u"veltrane_docs");

    // Nothing is switched for a window that cannot be shown: the user could never press DONE to put it back.
    try {
        platform_.browser.ensureViewable();
    } catch (const Error& e) {
        writeLog(u"Print request not carried out: " + utf8ToUtf16(e.what()));
        throw;
    }

    const auto switchTo = [this](const std::u16string& printer, const std::u16string& newPrintType) {
        writeLog(u"Initial set new printer to " + printer);
        SetDefaultPrinter(printer);
        // The job names its printer, so a request printed while another one has switched the default since
        // still goes to the printer of its own type.
        const auto& list = printerList();
        if (std::find(list.begin(), list.end(), printer) != list.end()) printDestination_ = printer;
        printType = newPrintType;
        writeLog(u"Initial setup IE " + printer);
        setIE();
    };
    if (type == u"apptcard" && !apptPrinter.empty()) switchTo(apptPrinter, apptType);
    if (type == u"receipt" && !receiptPrinter.empty()) switchTo(receiptPrinter, receiptType);

    const bool ssl = settingToBool(readSetting(u"server_ssl"));
    // The parts are joined as they are: the server builds its links the same way.
    const std::u16string url = std::u16string(ssl ? u"https" : u"http") + u"://" + serverIP + u"/" + docsFolder +
                               u"/store/" + patientId + u"/" + type + u".html";
    printUrl_ = url;
    loading_ = true;
    PrintStatus.Caption = u"Loading " + url + u" \u2026";
    platform_.browser.navigate(url, platform::kNavNoReadFromCache);
}

}  // namespace veltrane::app
