#include "imaging/value_rules.h"

#include "base/error.h"
#include "base/text.h"
#include "platform/common/windows_command_line.h"

namespace veltrane::imaging {

namespace {

bool isSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// Blanks and tabs part arguments by the command-line rules; programs that split their line themselves often take
// any control character for a blank as well.
bool separatesArguments(char16_t c) { return c <= u' '; }

bool startsSwitch(char16_t c) { return c == u'/' || c == u'-'; }

std::u16string readAll(std::u16string_view text, platform::AnsiCodec& ansi) {
    std::u16string out;
    out.reserve(text.size());
    for (char16_t c : text) out.push_back(readAs(c, ansi));
    return out;
}

}  // namespace

char16_t readAs(char16_t c, platform::AnsiCodec& ansi) {
    // Every Windows code page holds ASCII, so only other characters can read as something else.
    if (c < 0x80 || isSurrogate(c)) return c;
    const std::string bytes = ansi.encode(std::u16string_view(&c, 1), /*bestFit=*/true);
    if (bytes.size() == 1 && static_cast<unsigned char>(bytes[0]) < 0x80) return static_cast<char16_t>(bytes[0]);
    return c;
}

CommandLineText& CommandLineText::literal(std::u16string_view text) {
    text_ += text;
    return *this;
}

CommandLineText& CommandLineText::value(std::u16string_view text) {
    // What came before counts as it is read too: a full-width blank is a blank to an ANSI program.
    char16_t previous = text_.empty() ? u' ' : readAs(text_.back(), ansi_);
    for (char16_t c : text) {
        const char16_t read = readAs(c, ansi_);
        if (read == u'"' || (startsSwitch(read) && separatesArguments(previous))) continue;
        text_.push_back(c);
        previous = read;
    }
    return *this;
}

CommandLineText& CommandLineText::quotedValue(std::u16string_view text) {
    const std::size_t start = text_.size();
    for (char16_t c : text) {
        if (readAs(c, ansi_) != u'"') text_.push_back(c);
    }
    while (text_.size() > start && readAs(text_.back(), ansi_) == u'\\') text_.pop_back();
    return *this;
}

void requirePathFreeId(std::u16string_view id, platform::AnsiCodec& ansi) {
    const std::u16string read = readAll(id, ansi);
    if (read.find_first_of(u"/\\") != std::u16string::npos || read.find(u"..") != std::u16string::npos) {
        throw Error("The patient id \"" + utf16ToUtf8(id) +
                    "\" contains a path separator or \"..\", which could lead the imaging program out of its "
                    "patient folders; nothing was sent");
    }
    // The command lines would drop these, and the id that is left could be another patient's.
    for (std::size_t i = 0; i < read.size(); ++i) {
        if (read[i] == u'"' || (read[i] == u'-' && (i == 0 || separatesArguments(read[i - 1])))) {
            throw Error("The patient id \"" + utf16ToUtf8(id) +
                        "\" contains a quote, or a dash that would start a switch, which the imaging program's "
                        "command line cannot carry; nothing was sent");
        }
    }
}

void requireSingleArgumentId(std::u16string_view id, platform::AnsiCodec& ansi) {
    for (char16_t c : id) {
        if (separatesArguments(readAs(c, ansi))) {
            throw Error("The patient id \"" + utf16ToUtf8(id) +
                        "\" contains a blank, which the imaging program would read as more than one argument; "
                        "nothing was sent");
        }
    }
}

void requireBatchSafeLaunch(const platform::LaunchRequest& request, platform::AnsiCodec& ansi) {
    platform::requireBatchSafe(request.file, readAll(request.parameters, ansi));
}

}  // namespace veltrane::imaging
