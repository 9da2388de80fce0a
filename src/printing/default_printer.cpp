#include "printing/default_printer.h"

#include <algorithm>

#include "base/error.h"
#include "base/text.h"

namespace veltrane::printing {

const std::vector<std::u16string>& DefaultPrinter::printerList() {
    if (!list_) list_ = printers_.printerNames();
    return *list_;
}

bool DefaultPrinter::isListed(const std::u16string& name) {
    const auto& list = printerList();
    return std::find(list.begin(), list.end(), name) != list.end();
}

// The platform's default printer as a position in the printer list (first entry equal without regard to case).
int DefaultPrinter::systemDefaultPosition() {
    const auto name = printers_.defaultPrinterName();
    if (name) {
        const auto& list = printerList();
        for (std::size_t i = 0; i < list.size(); ++i) {
            if (equalsIgnoreCase(list[i], *name)) return static_cast<int>(i);
        }
    }
    throw Error(std::string(messages::kNoDefaultPrinter));
}

std::u16string DefaultPrinter::current() {
    if (!selection_) selection_ = systemDefaultPosition();
    return printerList()[static_cast<std::size_t>(*selection_)];
}

void DefaultPrinter::followSystemDefault() {
    selection_.reset();
    selection_ = systemDefaultPosition();
}

bool DefaultPrinter::isSystemDefault(const std::u16string& name) {
    const auto now = printers_.defaultPrinterName();
    return now && equalsIgnoreCase(*now, name);
}

std::u16string DefaultPrinter::systemDefaultForMessages() {
    const auto now = printers_.defaultPrinterName();
    return now && !now->empty() ? *now : u"no printer";
}

bool DefaultPrinter::writeDefaultEntryFor(const std::u16string& name) {
    const auto& list = printerList();
    const std::size_t count = list.size();
    bool matched = false;
    // Every equal entry is written, so the last match stays in force. The texts have no fixed size: a printer
    // name of any length is written whole.
    for (std::size_t i = 0; i < count; ++i) {
        if (list[i] != name) continue;
        const auto details = printers_.details(list[i]);
        printers_.writeDefaultDeviceEntry(details.device + u"," + details.driver + u"," + details.port);
        matched = true;
    }
    return matched;
}

}  // namespace veltrane::printing
