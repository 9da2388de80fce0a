#pragma once
// Patient values come from a request file any local user or an online form can fill. These rules keep them
// data: they can never add a switch, an argument, a command or a path step to what an imaging program receives.

#include <string>
#include <string_view>

#include "platform/ansi_codec.h"
#include "platform/launcher.h"

namespace veltrane::imaging {

// What c is to the program that reads it: c itself, or the one ASCII character the code page's best fit turns it
// into (a full-width quote becomes '"'), because a program that reads the ANSI command line sees that instead.
char16_t readAs(char16_t c, platform::AnsiCodec& ansi);

// A command line made of the format's literals and patient values.
class CommandLineText {
public:
    explicit CommandLineText(platform::AnsiCodec& ansi) : ansi_(ansi) {}

    // Format text and settings values, as they are.
    CommandLineText& literal(std::u16string_view text);
    // A value outside quotes: quotes are dropped, and so is a '/' or '-' where it would start a switch (at the start
    // of the line or after a blank). Blanks stay: the programs read their switches from the whole line.
    CommandLineText& value(std::u16string_view text);
    // A value between the format's quotes: quotes are dropped, which would end it early, and so are backslashes at
    // its end, which by the command-line rules would turn the closing quote into a literal one.
    CommandLineText& quotedValue(std::u16string_view text);

    const std::u16string& text() const { return text_; }

private:
    platform::AnsiCodec& ansi_;
    std::u16string text_;
};

// Imaging programs make folder names from the id: one with a path separator or ".." fails the bridge. So does an
// id that the command lines would change (a quote, a dash at its start or after a blank): what is left of it could
// be another patient's id.
void requirePathFreeId(std::u16string_view id, platform::AnsiCodec& ansi);

// Where the id is a positional argument outside quotes, a blank in it would make it two: that fails the bridge.
void requireSingleArgumentId(std::u16string_view id, platform::AnsiCodec& ansi);

// A batch file's command processor interprets some characters even inside quotes: a launch of one whose command
// line, as read, holds such a character fails (platform::requireBatchSafe).
void requireBatchSafeLaunch(const platform::LaunchRequest& request, platform::AnsiCodec& ansi);

}  // namespace veltrane::imaging
