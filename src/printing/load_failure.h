#pragma once
// A failed page load in words a receptionist can act on: never the engine's own error page markup or a bare
// error code.

#include <string>

namespace veltrane::printing {

enum class LoadFailureKind {
    HttpStatus,   // the server answered with an error status; code is the HTTP status
    Network,      // the engine's network error number (negative), e.g. -102 for a refused connection
    Certificate,  // the server's TLS certificate was not accepted; code is the engine's number
    Other,        // anything else: only the engine's text is known
};

// "The page URL could not be loaded: REASON".
std::string describeLoadFailure(const std::string& url, LoadFailureKind kind, int code, const std::string& engineText);

}  // namespace veltrane::printing
