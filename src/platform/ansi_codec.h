#pragma once
// The workstation's ANSI code page (the Windows code page matching the user's locale, 1252 by default).

#include <string>
#include <string_view>

namespace veltrane::platform {

class AnsiCodec {
public:
    virtual ~AnsiCodec() = default;
    virtual int codePage() const = 0;
    // Characters the code page lacks become '?', or with bestFit their closest letter where one exists (Ł -> L).
    virtual std::string encode(std::u16string_view text, bool bestFit) = 0;
    // Never fails: undefined bytes become U+FFFD.
    virtual std::u16string decode(std::string_view bytes) = 0;
};

}  // namespace veltrane::platform
