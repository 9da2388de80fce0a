#pragma once
// The embedded browser of the Printers page.

#include <string>

namespace veltrane::platform {

inline constexpr int kNavNoReadFromCache = 4;

class Browser {
public:
    virtual ~Browser() = default;
    // Accepted at once; the page loads in the background and its completion is reported as an event.
    virtual void navigate(const std::u16string& url, int flags) = 0;
    // Prints the loaded page on the default printer without a dialog. Throws with the platform's text.
    virtual void print() = 0;
};

}  // namespace veltrane::platform
