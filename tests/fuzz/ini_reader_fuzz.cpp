// Any bytes as a request file: the reader must neither crash nor break its own rules.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "linux/posix/iconv_codec.h"
#include "linux/posix/ini_file_reader.h"

using veltrane::platform::posix::IconvAnsiCodec;
using veltrane::platform::posix::kIniValueMaxLength;
using veltrane::platform::posix::parseIniValue;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static IconvAnsiCodec cp1252(1252);
    static IconvAnsiCodec cp932(932);
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The first byte picks the code page, so double-byte decoding is fuzzed as well.
    IconvAnsiCodec& codec = (size > 0 && (data[0] & 1)) ? cp932 : cp1252;

    for (const char16_t* key : {u"action", u"patient_id", u"dob"}) {
        const std::u16string value = parseIniValue(bytes, u"settings", key, u"\u0001default", codec);
        if (value.size() > kIniValueMaxLength) std::abort();
        // A zero character ends a value, so none is ever returned.
        if (value.find(u'\0') != std::u16string::npos) std::abort();
    }
    parseIniValue(bytes, u"imaging", u"sirona", u"", codec);
    return 0;
}
