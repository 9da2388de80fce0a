#pragma once
// The embedded browser of the Printers page.

#include <string>

namespace veltrane::platform {

inline constexpr int kNavNoReadFromCache = 4;

// The page-setup values that stand when a print is given, as stored texts (margins in inches, e.g. "0.750000").
// An absent value is the empty text; an empty margin means the engine's default.
struct PageSetupValues {
    std::u16string header;
    std::u16string footer;
    std::u16string marginTop;
    std::u16string marginBottom;
    std::u16string marginLeft;
    std::u16string marginRight;
};

class Browser {
public:
    virtual ~Browser() = default;
    // Accepted at once; the page loads in the background and its completion is reported as an event.
    virtual void navigate(const std::u16string& url, int flags) = 0;
    // Starts printing the loaded page on printer (empty: the default printer of that moment) without a dialog,
    // laid out with the page setup. Throws with the platform's text when nothing can be printed; a print that
    // has started reports its outcome later, as an event of the print view.
    virtual void print(const PageSetupValues& pageSetup, const std::u16string& printer) = 0;
    // Throws, saying why, when the print view cannot be shown: a print request asks before it changes anything.
    virtual void ensureViewable() {}
};

}  // namespace veltrane::platform
