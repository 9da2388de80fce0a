#pragma once
// The request file through GetPrivateProfileStringW itself, so the platform's own rules apply (a file named
// without a folder is looked up in the Windows folder).

#include "platform/ini_reader.h"

namespace veltrane::platform::win32 {

class ProfileIniReader final : public IniReader {
public:
    std::u16string getString(const std::u16string& file, const std::u16string& section, const std::u16string& key,
                             const std::u16string& defaultValue) override;
    // The system's text for why the file cannot be opened for reading (a bare name is looked for in the Windows
    // folder, as the reader looks for it), or that it is a folder.
    std::string whyUnreadable(const std::u16string& file) override;
};

}  // namespace veltrane::platform::win32
