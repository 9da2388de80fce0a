#pragma once
// What a print request file asks for, and where the document it names is served.

#include <string>

#include "platform/ini_reader.h"

namespace veltrane::printing {

struct PrintRequest {
    std::u16string type;  // "apptcard" or "receipt"; any other text switches nothing
    std::u16string patientId;
    std::u16string docsFolder;  // "veltrane_docs" unless the request names another
};

PrintRequest readPrintRequest(platform::IniReader& ini, const std::u16string& iniFileName);

// The document's page on the practice server. The parts are joined as they are: the server builds its links the
// same way.
std::u16string documentUrl(bool ssl, const std::u16string& server, const PrintRequest& request);

}  // namespace veltrane::printing
