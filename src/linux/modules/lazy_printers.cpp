#include "linux/modules/lazy_printers.h"

#include "base/error.h"
#include "linux/modules/module_path.h"

#ifndef VELTRANE_PRINTERS_MODULE_FILE
#error "the build names the printers module (VELTRANE_PRINTERS_MODULE_FILE)"
#endif

namespace veltrane::platform::modules {

std::string printersModulePath() { return shippedFilePath(VELTRANE_PRINTERS_MODULE_FILE, "VELTRANE_PRINTERS_MODULE"); }

Printers& LazyPrinters::real() {
    if (real_) return *real_;
    std::string why;
    const auto module = loader_.load(path_, why);
    if (!module) throw Error("The printer module could not be loaded: " + why);
    auto* factory = loader_.function<decltype(veltrane_create_printers)>(module, "veltrane_create_printers", why);
    if (!factory) throw Error("The printer module " + path_ + " has no veltrane_create_printers");
    real_.reset(factory());
    return *real_;
}

std::vector<std::u16string> LazyPrinters::printerNames() { return real().printerNames(); }

std::optional<std::u16string> LazyPrinters::defaultPrinterName() { return real().defaultPrinterName(); }

PrinterDetails LazyPrinters::details(const std::u16string& printerName) { return real().details(printerName); }

void LazyPrinters::writeDefaultDeviceEntry(const std::u16string& value) { real().writeDefaultDeviceEntry(value); }

}  // namespace veltrane::platform::modules
