#include "linux/cups/cups_printers.h"

#include <cups/cups.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "base/error.h"
#include "base/text.h"
#include "platform/printers.h"

namespace veltrane::platform::cups {

namespace {

// The destinations of cupsGetDests2, freed on every path.
class Dests {
public:
    Dests() { count_ = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests_); }
    ~Dests() { cupsFreeDests(count_, dests_); }
    Dests(const Dests&) = delete;
    Dests& operator=(const Dests&) = delete;
    cups_dest_t* begin() { return dests_; }
    cups_dest_t* end() { return dests_ + count_; }
    int count() const { return count_; }
    cups_dest_t* data() { return dests_; }

private:
    cups_dest_t* dests_ = nullptr;
    int count_ = 0;
};

}  // namespace

std::vector<std::u16string> CupsPrinters::printerNames() {
    std::vector<std::u16string> names;
    Dests dests;
    // Instances (printer/instance) are option sets of a printer, not printers of their own.
    for (const auto& dest : dests) {
        if (!dest.instance) names.push_back(utf8ToUtf16(dest.name));
    }
    return names;
}

std::optional<std::u16string> CupsPrinters::defaultPrinterName() {
    // No name asks for the default as the user sees it: lpoptions, then the server's default. Another program
    // (another print request starting at the same moment) may be rewriting lpoptions just then, and the file
    // read half written names no default: asked again for a moment before "none" counts.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
    while (!dest && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
    }
    if (!dest) return std::nullopt;
    std::u16string name = utf8ToUtf16(dest->name);
    cupsFreeDests(1, dest);
    return name;
}

PrinterDetails CupsPrinters::details(const std::u16string& printerName) { return {printerName, u"", u""}; }

void CupsPrinters::writeDefaultDeviceEntry(const std::u16string& value) {
    const std::string device = utf16ToUtf8(platform::deviceOfEntry(value));
    Dests dests;
    cups_dest_t* chosen = nullptr;
    for (auto& dest : dests) {
        if (!dest.instance && device == dest.name) chosen = &dest;
    }
    if (!chosen) throw Error("Cannot make '" + device + "' the default printer: it is no longer installed");
    for (auto& dest : dests) dest.is_default = &dest == chosen ? 1 : 0;
    // Writes the user's lpoptions (the system's when run by root), which later jobs and Qt read.
    errno = 0;
    if (cupsSetDests2(CUPS_HTTP_DEFAULT, dests.count(), dests.data()) != 0) {
        const std::string reason = errno ? std::strerror(errno) : cupsLastErrorString();
        throw Error("Cannot make '" + device + "' the default printer: " + reason);
    }
}

}  // namespace veltrane::platform::cups
