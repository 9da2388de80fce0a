#include "imaging/bridges/exchange_file_bridges.h"

namespace veltrane::imaging {

ExchangeText& ExchangeText::literal(std::string_view ascii) {
    bytes_ += ascii;
    return *this;
}

ExchangeText& ExchangeText::value(std::u16string_view text, std::string_view separators) {
    for (char byte : ansi_.encode(text, /*bestFit=*/true)) {
        const bool breaksStructure = byte == '\r' || byte == '\n' || separators.find(byte) != std::string_view::npos;
        bytes_.push_back(breaksStructure ? ' ' : byte);
    }
    return *this;
}

ExchangeText& ExchangeText::xmlValue(std::u16string_view text) {
    for (char byte : ansi_.encode(text, /*bestFit=*/true)) {
        switch (byte) {
            case '&':
                bytes_ += "&amp;";
                break;
            case '<':
                bytes_ += "&lt;";
                break;
            case '>':
                bytes_ += "&gt;";
                break;
            case '"':
                bytes_ += "&quot;";
                break;
            default:
                // XML 1.0 allows no control character but tab, and CR or LF would break the one-line file.
                bytes_.push_back(static_cast<unsigned char>(byte) < 0x20 && byte != '\t' ? ' ' : byte);
        }
    }
    return *this;
}

}  // namespace veltrane::imaging
