#include "printing/print_request.h"

namespace veltrane::printing {

namespace {
const std::u16string kSettings = u"settings";
}

PrintRequest readPrintRequest(platform::IniReader& ini, const std::u16string& iniFileName) {
    PrintRequest request;
    request.type = ini.getString(iniFileName, kSettings, u"type", u"");
    request.patientId = ini.getString(iniFileName, kSettings, u"patient_id", u"");
    request.docsFolder = ini.getString(iniFileName, kSettings, u"docs_folder", u"veltrane_docs");
    return request;
}

std::u16string documentUrl(bool ssl, const std::u16string& server, const PrintRequest& request) {
    return std::u16string(ssl ? u"https" : u"http") + u"://" + server + u"/" + request.docsFolder + u"/store/" +
           request.patientId + u"/" + request.type + u".html";
}

}  // namespace veltrane::printing
