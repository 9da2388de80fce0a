#include "platform/posix/lazy_printers.h"

#include <dlfcn.h>

#include "base/error.h"
#include "platform/posix/module_path.h"

namespace veltrane::platform::posix {

Printers& LazyPrinters::real() {
    if (real_) return *real_;
    const std::string path = shippedFilePath(kPrintersModuleFileName, "VELTRANE_PRINTERS_MODULE");
    // Never closed: the printer library keeps state for the life of the process.
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        throw Error("The printer module could not be loaded: " + std::string(why ? why : path));
    }
    auto factory = reinterpret_cast<decltype(&veltrane_create_printers)>(dlsym(handle, "veltrane_create_printers"));
    if (!factory) throw Error("The printer module " + path + " has no veltrane_create_printers");
    real_.reset(factory());
    return *real_;
}

std::vector<std::u16string> LazyPrinters::printerNames() { return real().printerNames(); }

std::optional<std::u16string> LazyPrinters::defaultPrinterName() { return real().defaultPrinterName(); }

PrinterDetails LazyPrinters::details(const std::u16string& printerName) { return real().details(printerName); }

void LazyPrinters::writeDefaultDeviceEntry(const std::u16string& value) { real().writeDefaultDeviceEntry(value); }

}  // namespace veltrane::platform::posix
