#include "windows/services/win32_ansi_codec.h"

#include <algorithm>

#include "windows/common/wide_text.h"

namespace veltrane::platform::win32 {

namespace {

// The conversion calls count in int: longer texts go in pieces. A piece never ends between the two halves of
// a surrogate pair (encode) or inside a multi-byte character (decode, cut at a single-byte character).
constexpr std::size_t kPiece = 1u << 24;

}  // namespace

int Win32AnsiCodec::codePage() const { return static_cast<int>(GetACP()); }

std::string Win32AnsiCodec::encode(std::u16string_view text, bool bestFit) {
    std::string out;
    const DWORD flags = bestFit ? 0 : WC_NO_BEST_FIT_CHARS;
    while (!text.empty()) {
        std::size_t units = std::min(text.size(), kPiece);
        if (units < text.size() && text[units - 1] >= 0xD800 && text[units - 1] <= 0xDBFF) --units;
        const auto* in = reinterpret_cast<const wchar_t*>(text.data());
        const int needed =
            WideCharToMultiByte(CP_ACP, flags, in, static_cast<int>(units), nullptr, 0, nullptr, nullptr);
        const std::size_t start = out.size();
        out.resize(start + static_cast<std::size_t>(needed));
        WideCharToMultiByte(CP_ACP, flags, in, static_cast<int>(units), out.data() + start, needed, nullptr, nullptr);
        text.remove_prefix(units);
    }
    return out;
}

std::u16string Win32AnsiCodec::decode(std::string_view bytes) {
    std::u16string out;
    while (!bytes.empty()) {
        std::size_t length = std::min(bytes.size(), kPiece);
        if (length < bytes.size()) {
            while (length > 1 && static_cast<unsigned char>(bytes[length - 1]) >= 0x80) --length;
        }
        const int needed = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(length), nullptr, 0);
        const std::size_t start = out.size();
        out.resize(start + static_cast<std::size_t>(needed));
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(length),
                            reinterpret_cast<wchar_t*>(out.data() + start), needed);
        bytes.remove_prefix(length);
    }
    return out;
}

}  // namespace veltrane::platform::win32
