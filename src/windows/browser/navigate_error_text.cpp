#include "windows/browser/navigate_error_text.h"

#include <windows.h>

#include "printing/load_failure.h"

namespace veltrane::platform::win32 {

namespace {

// The download layer's errors (INET_E_*) and the Internet layer's (ERROR_INTERNET_*, as HRESULTs), by what the
// user can do about them.
const char* reasonFor(unsigned long code) {
    switch (code) {
        case 0x800C0004:  // cannot connect
        case 0x80072EFD:  // ERROR_INTERNET_CANNOT_CONNECT
            return "the server did not answer: is the practice server running, and is its address right?";
        case 0x800C0005:  // resource not found: the engine's word for "no such server", name or connection
            return "the server could not be found: check the server address, and that the practice server is running";
        case 0x80072EE7:  // ERROR_INTERNET_NAME_NOT_RESOLVED
            return "the server's name could not be found: check the server address";
        case 0x800C0002:  // invalid URL
        case 0x80072EE4:  // ERROR_INTERNET_INVALID_URL
            return "the address of the page is not valid: check the server address";
        case 0x800C000D:  // unknown protocol
            return "the address of the page does not start with http:// or https://";
        case 0x800C0003:  // no session
            return "this computer is not connected to the network";
        case 0x800C000B:  // connection timeout
        case 0x80072EE2:  // ERROR_INTERNET_TIMEOUT
            return "the server could not be reached in time: check the network and the server address";
        case 0x800C0006:  // object not found
            return "the server has no such document";
        case 0x800C0008:  // download failure: the engine's general word, a refused connection included
            return "the document could not be fetched from the server: is the practice server running, and is its "
                   "address right?";
        case 0x800C0007:  // data not available
        case 0x800C000F:  // cannot load data
        case 0x80072EFE:  // ERROR_INTERNET_CONNECTION_ABORTED
        case 0x80072EFF:  // ERROR_INTERNET_CONNECTION_RESET
            return "the server closed the connection without sending the document";
        case 0x800C0009:  // authentication required
            return "the server asks for a log-in before it sends the document";
        case 0x800C000E:  // security problem
        case 0x800C0019:  // invalid certificate
        case 0x80072F0D:  // ERROR_INTERNET_INVALID_CA
        case 0x80072F06:  // ERROR_INTERNET_SEC_CERT_CN_INVALID
        case 0x80072F05:  // ERROR_INTERNET_SEC_CERT_DATE_INVALID
            return "the server's security certificate was not accepted (it may be self-signed, expired or for "
                   "another name)";
        case 0x80072F7D:  // ERROR_INTERNET_SECURITY_CHANNEL_ERROR
            return "a secure connection to the server could not be made: check the \"Server uses SSL\" setting";
        case 0x800C0010:  // cannot instantiate object
        case 0x800C000A:  // no valid media
            return "the document is of a kind this computer's browser component cannot show";
        case 0x80040154:  // REGDB_E_CLASSNOTREG: the page arrived, but no HTML engine is there to show it
        case 0x80040111:  // CLASS_E_CLASSNOTAVAILABLE
        case 0x800401F9:  // CO_E_ERRORINDLL
            return "this computer's web browser component cannot show web pages: its HTML engine is missing or "
                   "cannot be started";
        case 0x800C0014:  // redirect failed
        case 0x800C0015:  // redirect to a folder
            return "the server sent the browser on to an address that could not be loaded";
        default:
            return nullptr;
    }
}

// The system's own words for a code it knows; the empty text otherwise, so no bare number is shown.
std::string systemWords(unsigned long code) {
    wchar_t* text = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string words;
    if (length > 0) {
        const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
        words.resize(static_cast<std::size_t>(bytes));
        WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), words.data(), bytes, nullptr, nullptr);
    }
    LocalFree(text);
    while (!words.empty() &&
           (words.back() == '\n' || words.back() == '\r' || words.back() == ' ' || words.back() == '.')) {
        words.pop_back();
    }
    if (!words.empty() && words[0] >= 'A' && words[0] <= 'Z') words[0] = static_cast<char>(words[0] - 'A' + 'a');
    return words;
}

}  // namespace

std::string describeNavigateError(const std::string& url, long statusCode) {
    using printing::LoadFailureKind;
    // The control hands HTTP statuses over as they are and everything else as an HRESULT.
    if (statusCode >= 100 && statusCode <= 599) {
        return printing::describeLoadFailure(url, LoadFailureKind::HttpStatus, static_cast<int>(statusCode), "");
    }
    const auto code = static_cast<unsigned long>(statusCode);
    if (const char* reason = reasonFor(code))
        return printing::describeLoadFailure(url, LoadFailureKind::Other, 0, reason);
    // Only failure codes have system words worth showing; anything else gets the general reason.
    const std::string words = statusCode < 0 ? systemWords(code) : std::string();
    return printing::describeLoadFailure(url, LoadFailureKind::Other, 0, words);
}

std::string describeLoadTimeout(const std::string& url, int limitMs) {
    return "The page " + url + " did not load within " + std::to_string((limitMs + 999) / 1000) + " seconds";
}

}  // namespace veltrane::platform::win32
