#pragma once
// The workstation's default printer as a print request sees it: the installed printers, taken once, the printer
// taken as the default, and the entry that makes another one the default.

#include <optional>
#include <string>
#include <vector>

#include "platform/printers.h"

namespace veltrane::printing {

class DefaultPrinter {
public:
    explicit DefaultPrinter(platform::Printers& printers) : printers_(printers) {}

    // The installed printers, taken when first needed (an images request never starts the printer system) and
    // then kept.
    const std::vector<std::u16string>& printerList();
    bool isListed(const std::u16string& name);
    // The printer taken as the default: the system default as found at the first call or at the last
    // followSystemDefault(). Throws "There is no default printer currently selected" when the system has none
    // that is listed.
    std::u16string current();
    // Takes the system default again; a switch does it just before it writes a new one.
    void followSystemDefault();
    // Writes the default-printer entry for every printer-list entry equal to name; false when none is.
    bool writeDefaultEntryFor(const std::u16string& name);
    // Whether the system's default printer is name now, asked afresh (letter case ignored, as the list matches).
    bool isSystemDefault(const std::u16string& name);
    // The system's default printer as it is now, or "no printer" when it has none; for messages.
    std::u16string systemDefaultForMessages();

private:
    int systemDefaultPosition();

    platform::Printers& printers_;
    std::optional<std::vector<std::u16string>> list_;
    std::optional<int> selection_;
};

}  // namespace veltrane::printing
