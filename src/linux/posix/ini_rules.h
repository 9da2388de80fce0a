#pragma once
// The rules of the Windows private-profile reader for one value of an ini file's text, apart from reading the
// file, so they can be compared with the platform's own reader wherever it runs.

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/ansi_codec.h"

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

}  // namespace veltrane::platform::posix
