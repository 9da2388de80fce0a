#pragma once
// Windows-1252 as far as the tests need it, with the best fit of the platform's conversion: full-width forms
// become their ASCII letters (a full-width quote becomes '"'), the ideographic space a blank, Ł and ł plain L and
// l; other characters beyond Latin-1 become '?'. Header-only, so the fuzz targets can use it too.

#include <string>
#include <string_view>

#include "platform/ansi_codec.h"

namespace veltrane::fakes {

class BestFitAnsi final : public platform::AnsiCodec {
public:
    int codePage() const override { return 1252; }
    std::string encode(std::u16string_view text, bool bestFit) override {
        std::string out;
        for (char16_t c : text) {
            if (c <= 0xFF) {
                out.push_back(static_cast<char>(c));
            } else if (bestFit && c >= 0xFF01 && c <= 0xFF5E) {
                out.push_back(static_cast<char>(c - 0xFEE0));
            } else if (bestFit && c == 0x3000) {
                out.push_back(' ');
            } else if (bestFit && (c == u'Ł' || c == u'ł')) {
                out.push_back(c == u'Ł' ? 'L' : 'l');
            } else {
                out.push_back('?');
            }
        }
        return out;
    }
    std::u16string decode(std::string_view bytes) override {
        std::u16string out;
        for (char b : bytes) out.push_back(static_cast<unsigned char>(b));
        return out;
    }
};

}  // namespace veltrane::fakes
