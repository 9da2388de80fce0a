#pragma once
// The printer system on CUPS: the destinations the user sees, and the user's own default (lpoptions), which CUPS,
// Qt and every later job follow.

#include "platform/printers.h"

namespace veltrane::platform::cups {

class CupsPrinters final : public Printers {
public:
    std::vector<std::u16string> printerNames() override;
    std::optional<std::u16string> defaultPrinterName() override;
    // CUPS has no driver or port names a caller could use: both are empty.
    PrinterDetails details(const std::u16string& printerName) override;
    void writeDefaultDeviceEntry(const std::u16string& value) override;
};

}  // namespace veltrane::platform::cups
