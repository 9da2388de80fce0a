#pragma once
// Reads one value of an ini file afresh on every call, as the platform's private-profile reader does.

#include <string>

namespace veltrane::platform {

class IniReader {
public:
    virtual ~IniReader() = default;
    // A missing file, section or key gives defaultValue; it never fails.
    virtual std::u16string getString(const std::u16string& file, const std::u16string& section,
                                     const std::u16string& key, const std::u16string& defaultValue) = 0;
    // Why file cannot be read as a request, in the system's words ("No such file or directory"); empty when it
    // can. Its values still read as their defaults: this only lets the caller say why.
    virtual std::string whyUnreadable(const std::u16string& file) = 0;
};

}  // namespace veltrane::platform
