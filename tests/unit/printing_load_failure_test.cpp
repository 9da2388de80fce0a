#include <gtest/gtest.h>

#include "printing/load_failure.h"

namespace veltrane {
namespace {

using printing::describeLoadFailure;
using printing::LoadFailureKind;

TEST(LoadFailure, SaysInPlainWordsWhatFailedForWhichAddress) {
    const std::string url = "http://srv/veltrane_docs/store/1/apptcard.html";
    struct Case {
        LoadFailureKind kind;
        int code;
        std::string engineText;
        std::string reason;
    };
    const Case cases[] = {
        {LoadFailureKind::HttpStatus, 404, "Not Found", "the server has no such document (HTTP 404)"},
        {LoadFailureKind::HttpStatus, 403, "", "the server refused access to the document (HTTP 403)"},
        {LoadFailureKind::HttpStatus, 502, "", "the server reported an error (HTTP 502)"},
        {LoadFailureKind::HttpStatus, 418, "", "the server answered with an error (HTTP 418)"},
        {LoadFailureKind::Network, -102, "ERR_CONNECTION_REFUSED",
         "the server refused the connection: is the practice server running, and is its address right?"},
        {LoadFailureKind::Network, -105, "net::ERR_NAME_NOT_RESOLVED",
         "the server's name could not be found: check the server address"},
        {LoadFailureKind::Certificate, -202, "ERR_CERT_AUTHORITY_INVALID",
         "the server's security certificate was not accepted (it may be self-signed, expired or for another name)"},
        // Unknown numbers: never the bare engine code, never its markup.
        {LoadFailureKind::Network, -999, "ERR_SOMETHING_NEW",
         "the document could not be fetched from the server (network error -999)"},
        {LoadFailureKind::Other, 0, "<strong jscontent=\"x\">Too   many</strong>\n redirects", "Too many redirects"},
        {LoadFailureKind::Other, 0, "", "the document could not be fetched from the server"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(describeLoadFailure(url, c.kind, c.code, c.engineText),
                  "The page " + url + " could not be loaded: " + c.reason);
    }
}

}  // namespace
}  // namespace veltrane
