#pragma once
// What a print request file asks for, where the document it names is served, and which pages the print view may
// load: only those of the practice server.

#include <optional>
#include <string>
#include <string_view>

#include "platform/ini_reader.h"

namespace veltrane::printing {

struct PrintRequest {
    std::u16string type;  // "apptcard" or "receipt"; any other text switches nothing
    std::u16string patientId;
    std::u16string docsFolder;  // "veltrane_docs" unless the request names another
};

PrintRequest readPrintRequest(platform::IniReader& ini, const std::u16string& iniFileName);

// One request value as one segment of a URL path: every byte of its UTF-8 other than a letter, a digit and
// "-._~" is percent-encoded, so no value can end the path, add a query or reach another folder. Names the
// practice server uses ("veltrane_docs", "apptcard", "1042") come out unchanged.
std::u16string pathSegment(std::u16string_view value);

// The document's path on the server ("/veltrane_docs/store/1042/apptcard.html"), each value one segment. Throws
// when a value is "." or "..": browsers resolve such a segment even encoded, so it would name another folder.
std::u16string documentPath(const PrintRequest& request);

// Throws, saying why, when server is not a host name or address with an optional port: nothing else may stand
// before the document's path. Called before a print request changes anything.
void checkPracticeServer(const std::u16string& server);

// The document's page on the practice server: the scheme, the server and documentPath.
std::u16string documentUrl(bool ssl, const std::u16string& server, const PrintRequest& request);

// What makes two pages the same server's: the scheme and the host in lower case, and the port (the scheme's
// default when none is given).
struct Origin {
    std::u16string scheme;
    std::u16string host;
    int port = 0;
    bool operator==(const Origin&) const = default;
};

// The origin of an absolute http or https URL; nullopt for any other URL, one with credentials, or one whose
// host or port cannot be read.
std::optional<Origin> originOf(std::u16string_view url);

// Whether url may be loaded in the print view, which was asked for documentUrl: only a page of the same origin.
bool sameOrigin(std::u16string_view url, std::u16string_view documentUrl);

// The window's and the log's words for a page the print view refused to load.
std::string describeRefusedPage(std::u16string_view url, std::u16string_view documentUrl);

}  // namespace veltrane::printing
