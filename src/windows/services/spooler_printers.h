#pragma once
// The printers through the print spooler: EnumPrintersW, GetDefaultPrinterW, GetPrinterW, and the per-user
// "windows"/"device" profile entry that selects the default printer.

#include "platform/printers.h"

namespace veltrane::platform::win32 {

class SpoolerPrinters final : public Printers {
public:
    // Local printers, then connections, as the spooler lists them.
    std::vector<std::u16string> printerNames() override;
    std::optional<std::u16string> defaultPrinterName() override;
    // The spooler's names; a printer it cannot open gives its name with an empty driver and port.
    PrinterDetails details(const std::u16string& printerName) override;
    // Throws "Cannot make '<device>' the default printer: <reason>" when the entry cannot be written.
    void writeDefaultDeviceEntry(const std::u16string& value) override;
};

}  // namespace veltrane::platform::win32
