#pragma once

#include <string>

namespace veltrane::platform {

class SystemInfo {
public:
    virtual ~SystemInfo() = default;
    // The workstation's name as the network knows it.
    virtual std::u16string computerName() = 0;
};

}  // namespace veltrane::platform
