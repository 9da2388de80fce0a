#pragma once
// The request file reader: one value of an ini file, as the file stands at every call, with the rules of the
// Windows private-profile reader.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "linux/posix/file_identity.h"
#include "linux/posix/ini_rules.h"
#include "platform/ansi_codec.h"
#include "platform/ini_reader.h"

namespace veltrane::platform::posix {

class IniFileReader final : public IniReader {
public:
    explicit IniFileReader(AnsiCodec& codec) : codec_(codec) {}

    // A file named without a folder is looked up in the current folder. A missing or unreadable file, or one
    // that is not a regular file, gives defaultValue.
    std::u16string getString(const std::u16string& file, const std::u16string& section, const std::u16string& key,
                             const std::u16string& defaultValue) override;
    // The system's reason the file cannot be opened, or that it is a folder or not a regular file.
    std::string whyUnreadable(const std::u16string& file) override;

private:
    struct LastRead {
        std::string path;
        FileIdentity identity;
        std::string bytes;
    };

    AnsiCodec& codec_;
    std::optional<LastRead> last_;
};

}  // namespace veltrane::platform::posix
