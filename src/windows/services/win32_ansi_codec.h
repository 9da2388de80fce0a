#pragma once
// The ANSI code page of the user's locale (CP_ACP), converted by the platform itself.

#include "platform/ansi_codec.h"

namespace veltrane::platform::win32 {

class Win32AnsiCodec final : public AnsiCodec {
public:
    int codePage() const override;
    // Best fit is WideCharToMultiByte's own table (Ł -> L); without it a missing character becomes '?'.
    std::string encode(std::u16string_view text, bool bestFit) override;
    // MultiByteToWideChar's mapping: the bytes a single-byte page leaves undefined become the control characters
    // of the same number (0x81 -> U+0081), an invalid multi-byte sequence becomes U+FFFD.
    std::u16string decode(std::string_view bytes) override;
};

}  // namespace veltrane::platform::win32
