#pragma once
// The printer system, loaded on first use: the CUPS client library and its dependencies cost start-up time,
// and an images request never needs them.

#include <memory>
#include <string>

#include "linux/modules/module_loader.h"
#include "platform/printers.h"

namespace veltrane::platform::modules {

// $VELTRANE_PRINTERS_MODULE, or the printers module shipped with the program.
std::string printersModulePath();

class LazyPrinters final : public Printers {
public:
    LazyPrinters(ModuleLoader& loader, std::string modulePath) : loader_(loader), path_(std::move(modulePath)) {}
    std::vector<std::u16string> printerNames() override;
    std::optional<std::u16string> defaultPrinterName() override;
    PrinterDetails details(const std::u16string& printerName) override;
    void writeDefaultDeviceEntry(const std::u16string& value) override;

private:
    // Throws veltrane::Error naming the module when it cannot be loaded: without it no printer can be used.
    Printers& real();

    ModuleLoader& loader_;
    std::string path_;
    std::unique_ptr<Printers> real_;
};

}  // namespace veltrane::platform::modules

// Exported by the printers module.
extern "C" veltrane::platform::Printers* veltrane_create_printers();
