#pragma once
// The request file reader: one value of an ini file, as the file stands at every call, with the rules of the
// Windows private-profile reader.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "linux/posix/file_identity.h"
#include "platform/ansi_codec.h"
#include "platform/ini_reader.h"

namespace veltrane::platform::posix {

// The longest value returned, in UTF-16 units; longer values are cut.
inline constexpr std::size_t kIniValueMaxLength = 2047;
// Only the first 16 MiB of a file are read: a request file is a few hundred bytes, and a huge or endless file
// must not exhaust memory.
inline constexpr std::size_t kIniFileMaxBytes = 16u << 20;

// The value of key in section of an ini file whose whole content is bytes; defaultValue when the section or key
// is absent. Text starting with FF FE is UTF-16LE, with FE FF UTF-16BE, with EF BB BF UTF-8; any other text is
// in the codec's code page. Never fails.
std::u16string parseIniValue(std::string_view bytes, std::u16string_view section, std::u16string_view key,
                             std::u16string_view defaultValue, AnsiCodec& codec);

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
