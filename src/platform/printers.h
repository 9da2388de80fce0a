#pragma once
// The printer system: installed printers, the default printer and the per-user default-printer entry.

#include <optional>
#include <string>
#include <vector>

namespace veltrane::platform {

struct PrinterDetails {
    std::u16string device;
    std::u16string driver;
    std::u16string port;
};

class Printers {
public:
    virtual ~Printers() = default;
    // Local printers and connections, in the platform's order.
    virtual std::vector<std::u16string> printerNames() = 0;
    // The platform's default printer, or nullopt when there is none.
    virtual std::optional<std::u16string> defaultPrinterName() = 0;
    virtual PrinterDetails details(const std::u16string& printerName) = 0;
    // Section "windows", key "device": "device,driver,port" makes that printer the user's default.
    // Throws veltrane::Error with the platform's text when the default cannot be written, so a print never goes
    // silently to the wrong printer.
    virtual void writeDefaultDeviceEntry(const std::u16string& value) = 0;
};

// The device name in a default-printer entry "device,driver,port". The driver and port never hold commas; a
// device name may, so the device is everything before the last two commas.
inline std::u16string deviceOfEntry(const std::u16string& value) {
    const auto port = value.rfind(u',');
    if (port == std::u16string::npos || port == 0) return value.substr(0, port);
    const auto driver = value.rfind(u',', port - 1);
    return value.substr(0, driver == std::u16string::npos ? port : driver);
}

}  // namespace veltrane::platform
