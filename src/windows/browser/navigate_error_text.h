#pragma once
// A failed navigation of the WebBrowser control in words a receptionist can act on: the status code the
// control reports (an HTTP status, or an error of the engine's download layer) never reaches the user raw.

#include <string>

namespace veltrane::platform::win32 {

// "The page URL could not be loaded: REASON".
std::string describeNavigateError(const std::string& url, long statusCode);

// "The page URL did not load within N seconds".
std::string describeLoadTimeout(const std::string& url, int limitMs);

}  // namespace veltrane::platform::win32
