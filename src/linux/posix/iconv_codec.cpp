#include "linux/posix/iconv_codec.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/text.h"

namespace veltrane::platform::posix {

namespace {

// iconv_open's failure value, (iconv_t)-1.
const iconv_t kNoConverter = reinterpret_cast<iconv_t>(static_cast<std::intptr_t>(-1));
constexpr char16_t kReplacement = 0xFFFD;
// Decoding writes straight into char16_t memory, so it asks for the host's byte order.
constexpr const char* kHostUtf16 = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

iconv_t openConverter(const char* to, const char* from) { return iconv_open(to, from); }

// glibc knows the Windows code pages as CP<n> and most of them as WINDOWS-<n> too; 874 only as WINDOWS-874
// (its CP874 is the IBM page).
iconv_t openForCodePage(int codePage, bool toAnsi) {
    const std::string names[] = {codePage == 874 ? "WINDOWS-874" : "CP" + std::to_string(codePage),
                                 "WINDOWS-" + std::to_string(codePage)};
    for (const std::string& name : names) {
        iconv_t cd = toAnsi ? openConverter(name.c_str(), "UTF-16LE") : openConverter(kHostUtf16, name.c_str());
        if (cd != kNoConverter) return cd;
    }
    return kNoConverter;
}

bool isHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Base letters of U+00C0..U+024F and U+1E00..U+1EFF ('.' = none), from the Unicode decompositions plus the
// letters that have a stroke or ligature instead of a combining mark (Ł, Đ, Ø, Æ, Œ, ı, ...).
constexpr std::string_view kLatinBase =
    "AAAAAAACEEEEIIIIDNOOOOO.OUUUUY..aaaaaaaceeeeiiiidnooooo.ouuuuy.y"
    "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIiIiJjKkkLlLlLlL"
    "lLlNnNnNnnNnOoOoOoOoRrRrRrSsSsSsSsTtTtTtUuUuUuUuUuUuWwYyYZzZzZzs"
    "bB.....CcDD......FfG...IKkl..NnOOo..Pp.....tTtTUu.VYyZz........."
    ".............AaIiOoUuUuUuUuUu.AaAa..GgGgKkOoOo..j...Gg..NnAa...."
    "AaAaEeEeIiIiOoOoRrRrUuUuSsTt..Hh......AaEeOoOoOoOoYylntj..ACcLT."
    "...B..EeJj..RrYy";
constexpr std::string_view kLatinExtendedAdditionalBase =
    "AaBbBbBbCcDdDdDdDdDdEeEeEeEeEeFfGgHhHhHhHhHhIiIiKkKkKkLlLlLlLlMm"
    "MmMmNnNnNnNnOoOoOoOoPpPpRrRrRrRrSsSsSsSsSsTtTtTtTtUuUuUuUuUuVvVv"
    "WwWwWwWwWwXxXxYyZzZzZzhtwy......AaAaAaAaAaAaAaAaAaAaAaAaEeEeEeEe"
    "EeEeEeEeIiIiOoOoOoOoOoOoOoOoOoOoOoOoUuUuUuUuUuUuUuYyYyYyYy......";

struct LocaleCodePage {
    std::string_view language;
    int codePage;
};

// Windows' ANSI code page for each language; languages not listed use 1252.
constexpr LocaleCodePage kLanguageCodePages[] = {
    {"cs", 1250}, {"sk", 1250}, {"hu", 1250}, {"pl", 1250}, {"sl", 1250}, {"hr", 1250}, {"ro", 1250}, {"sq", 1250},
    {"bs", 1250}, {"ru", 1251}, {"uk", 1251}, {"bg", 1251}, {"be", 1251}, {"mk", 1251}, {"kk", 1251}, {"ky", 1251},
    {"mn", 1251}, {"tt", 1251}, {"sr", 1251}, {"el", 1253}, {"tr", 1254}, {"az", 1254}, {"uz", 1254}, {"he", 1255},
    {"iw", 1255}, {"yi", 1255}, {"ar", 1256}, {"fa", 1256}, {"ur", 1256}, {"lt", 1257}, {"lv", 1257}, {"et", 1257},
    {"vi", 1258}, {"th", 874},  {"ja", 932},  {"ko", 949},
};

}  // namespace

char bestFitLetter(char16_t c) {
    char base = '.';
    if (c >= 0xC0 && c < 0xC0 + kLatinBase.size()) {
        base = kLatinBase[c - 0xC0];
    } else if (c >= 0x1E00 && c < 0x1E00 + kLatinExtendedAdditionalBase.size()) {
        base = kLatinExtendedAdditionalBase[c - 0x1E00];
    } else if (c == 0xA0 || c == 0x3000) {
        base = ' ';
    } else if (c >= 0xFF01 && c <= 0xFF5E) {
        // Full-width forms fit their ASCII letters, quotes and backslashes included: what a program that reads
        // the ANSI command line sees, so what the bridges' filters must judge.
        return static_cast<char>(c - 0xFEE0);
    } else if (c >= 0x2010 && c <= 0x2015) {
        base = '-';
    } else if (c >= 0x2018 && c <= 0x201B) {
        base = '\'';
    } else if (c >= 0x201C && c <= 0x201F) {
        base = '"';
    }
    return base == '.' ? 0 : base;
}

int codePageForLocale(std::string_view name) {
    // language[_territory][.codeset][@modifier]
    const std::size_t at = name.find('@');
    const std::string_view modifier = at == std::string_view::npos ? std::string_view{} : name.substr(at + 1);
    name = name.substr(0, std::min(name.find('.'), at));
    const std::size_t underscore = name.find('_');
    const std::string_view language = name.substr(0, underscore);
    const std::string_view territory =
        underscore == std::string_view::npos ? std::string_view{} : name.substr(underscore + 1);

    if (language == "zh") {
        return (territory == "TW" || territory == "HK" || territory == "MO") ? 950 : 936;
    }
    // Serbian and Uzbek are written in two scripts; the modifier names the one that is not the default.
    if (language == "sr") return modifier == "latin" ? 1250 : 1251;
    if (language == "uz") return modifier == "cyrillic" ? 1251 : 1254;
    for (const LocaleCodePage& entry : kLanguageCodePages) {
        if (entry.language == language) return entry.codePage;
    }
    return 1252;
}

std::string userCtypeLocaleName() {
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') return value;
    }
    return "C";
}

int userAnsiCodePage() {
    if (const char* forced = std::getenv("VELTRANE_CODEPAGE"); forced != nullptr && *forced != '\0') {
        char* end = nullptr;
        const long value = std::strtol(forced, &end, 10);
        if (*end == '\0' && value > 0 && value < 65536) {
            iconv_t probe = openForCodePage(static_cast<int>(value), true);
            if (probe != kNoConverter) {
                iconv_close(probe);
                return static_cast<int>(value);
            }
        }
        // A support setting that does not work must not go unnoticed, but must not stop the program either.
        std::fprintf(stderr, "VELTRANE_CODEPAGE=%s is not a code page this system can convert; using the locale's\n",
                     forced);
    }
    return codePageForLocale(userCtypeLocaleName());
}

// The converters load charset modules of their own, which most starts never use: they are opened when text is
// first converted.
IconvAnsiCodec::IconvAnsiCodec() : codePage_(userAnsiCodePage()), toAnsi_(kNoConverter), fromAnsi_(kNoConverter) {}

IconvAnsiCodec::IconvAnsiCodec(int codePage) : codePage_(codePage), toAnsi_(kNoConverter), fromAnsi_(kNoConverter) {
    if (!open()) {
        throw std::invalid_argument("code page " + std::to_string(codePage) + " is not available through iconv");
    }
}

IconvAnsiCodec::~IconvAnsiCodec() {
    if (toAnsi_ != kNoConverter) iconv_close(toAnsi_);
    if (fromAnsi_ != kNoConverter) iconv_close(fromAnsi_);
}

bool IconvAnsiCodec::open() {
    if (toAnsi_ != kNoConverter && fromAnsi_ != kNoConverter) return true;
    iconv_t to = openForCodePage(codePage_, true);
    iconv_t from = openForCodePage(codePage_, false);
    if (to == kNoConverter || from == kNoConverter) {
        if (to != kNoConverter) iconv_close(to);
        if (from != kNoConverter) iconv_close(from);
        return false;
    }
    toAnsi_ = to;
    fromAnsi_ = from;
    return true;
}

void IconvAnsiCodec::requireOpen() {
    if (!open()) {
        throw Error("Code page " + std::to_string(codePage_) +
                    " cannot be converted on this computer: its character set is not installed");
    }
}

std::string IconvAnsiCodec::encode(std::u16string_view text, bool bestFit) {
    // Every Windows ANSI code page holds ASCII as it is; most requests are nothing else.
    if (std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; })) {
        return std::string(text.begin(), text.end());
    }
    requireOpen();
    const std::vector<std::uint8_t> utf16le = utf16leBytes(text);
    std::string input(utf16le.begin(), utf16le.end());
    std::string out;
    out.reserve(text.size() + 8);
    char buffer[1024];

    iconv(toAnsi_, nullptr, nullptr, nullptr, nullptr);
    char* in = input.data();
    std::size_t inLeft = input.size();
    while (true) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t result = inLeft == 0 ? iconv(toAnsi_, nullptr, nullptr, &outPtr, &outLeft)
                                               : iconv(toAnsi_, &in, &inLeft, &outPtr, &outLeft);
        const int error = errno;
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        if (result != static_cast<std::size_t>(-1)) {
            if (inLeft == 0) break;
            continue;
        }
        if (error == E2BIG) continue;
        // EILSEQ (the code page lacks the character, or a lone surrogate) or EINVAL (a high surrogate at the
        // end): replace one character, which is two units for a surrogate pair.
        const std::size_t unit = static_cast<std::size_t>(in - input.data()) / 2;
        const char16_t c = text[unit];
        const std::size_t units =
            (isHighSurrogate(c) && unit + 1 < text.size() && isLowSurrogate(text[unit + 1])) ? 2 : 1;
        // Every Windows ANSI code page holds ASCII, so a best-fit letter can always be written as it is.
        const char fit = (bestFit && units == 1) ? bestFitLetter(c) : 0;
        out.push_back(fit != 0 ? fit : '?');
        in += units * 2;
        inLeft -= units * 2;
    }
    return out;
}

std::u16string IconvAnsiCodec::decode(std::string_view bytes) {
    if (std::all_of(bytes.begin(), bytes.end(), [](char b) { return static_cast<unsigned char>(b) < 0x80; })) {
        return std::u16string(bytes.begin(), bytes.end());
    }
    requireOpen();
    std::string input(bytes);
    // iconv writes UTF-16 in the host's byte order straight into the result: no code page gives more than one
    // unit per byte, so the first size rarely needs to grow.
    std::u16string out(bytes.size() + 16, u'\0');
    std::size_t produced = 0;
    auto ensureRoom = [&out, &produced](std::size_t units) {
        if (out.size() - produced < units) out.resize(out.size() * 2 + units);
    };

    iconv(fromAnsi_, nullptr, nullptr, nullptr, nullptr);
    char* in = input.data();
    std::size_t inLeft = input.size();
    while (true) {
        char* const start = reinterpret_cast<char*>(out.data() + produced);
        char* outPtr = start;
        std::size_t outLeft = (out.size() - produced) * sizeof(char16_t);
        // With no input left, the call flushes a character that a composing code page (1255, 1258) holds back.
        const std::size_t result = inLeft == 0 ? iconv(fromAnsi_, nullptr, nullptr, &outPtr, &outLeft)
                                               : iconv(fromAnsi_, &in, &inLeft, &outPtr, &outLeft);
        const int error = errno;
        produced += static_cast<std::size_t>(outPtr - start) / sizeof(char16_t);
        if (result != static_cast<std::size_t>(-1)) {
            if (inLeft == 0 && outPtr == start) break;
            continue;
        }
        if (error == E2BIG) {
            ensureRoom(out.size());
            continue;
        }
        if (inLeft == 0) break;
        // An undefined byte, or an incomplete lead byte at the end: one replacement character per byte, after
        // whatever the converter holds back.
        ensureRoom(8);
        char* flushPtr = reinterpret_cast<char*>(out.data() + produced);
        std::size_t flushLeft = (out.size() - produced) * sizeof(char16_t);
        iconv(fromAnsi_, nullptr, nullptr, &flushPtr, &flushLeft);
        produced = static_cast<std::size_t>(flushPtr - reinterpret_cast<char*>(out.data())) / sizeof(char16_t);
        ensureRoom(1);
        out[produced++] = kReplacement;
        ++in;
        --inLeft;
    }
    out.resize(produced);
    return out;
}

}  // namespace veltrane::platform::posix
