#pragma once

#include <string>

namespace veltrane::printing {

// The device name in a default-printer entry "device,driver,port". The driver and port never hold commas; a
// device name may, so the device is everything before the last two commas.
inline std::u16string deviceOfEntry(const std::u16string& value) {
    const auto port = value.rfind(u',');
    if (port == std::u16string::npos || port == 0) return value.substr(0, port);
    const auto driver = value.rfind(u',', port - 1);
    return value.substr(0, driver == std::u16string::npos ? port : driver);
}

}  // namespace veltrane::printing
