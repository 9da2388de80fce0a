#include "platform/common/windows_command_line.h"

#include <gtest/gtest.h>

#include "base/text.h"

namespace veltrane {
namespace {

std::vector<std::string> split(std::string_view line) {
    std::vector<std::string> out;
    for (const auto& arg : platform::splitWindowsCommandLine(utf8ToUtf16(line))) out.push_back(utf16ToUtf8(arg));
    return out;
}

TEST(WindowsCommandLine, SplitsAsTheCRuntimeDoes) {
    using V = std::vector<std::string>;
    struct Case {
        std::string line;
        V args;
    };
    const Case cases[] = {
        {"", V{}},
        {"   \t ", V{}},
        {"a b\tc", V{"a", "b", "c"}},
        {"  lead  trail  ", V{"lead", "trail"}},
        {R"("hello there.txt")", V{"hello there.txt"}},
        {R"("C:\Hello there.txt")", V{R"(C:\Hello there.txt)"}},
        {R"("hello\"there")", V{R"(hello"there)"}},
        {R"("hello\\")", V{R"(hello\)"}},
        {R"(a\\\"b)", V{R"(a\"b)"}},
        {R"(a\\\\"b c")", V{R"(a\\b c)"}},
        {R"(C:\VixWin\Images\)", V{R"(C:\VixWin\Images\)"}},  // trailing backslashes without a quote stay
        {R"(/FC:\MD\Images\\1042)", V{R"(/FC:\MD\Images\\1042)"}},
        {R"("" x)", V{"", "x"}},         // an empty quoted argument counts
        {R"("a""b c")", V{R"(a"b c)"}},  // "" inside quotes is a quote, quoting goes on
        {R"("a"" b")", V{R"(a" b)"}},
        {R"(a""b)", V{"ab"}},  // outside quotes "" opens and closes
        {R"("unterminated arg)", V{"unterminated arg"}},
        {R"(x"y z"w v)", V{"xy zw", "v"}},
        {"é ü\xE2\x82\xAC", V{"é", "ü€"}},
        // Worked command lines of the imaging products.
        {R"(/p"Berg, Anna::::1042::01-02-80::F")", V{"/pBerg, Anna::::1042::01-02-80::F"}},
        {R"(-c "UPDATE_CREATE" -r "001042" -f "Anna" -l "Berg" -b "1980-01-02" -g "FEMALE")",
         V{"-c", "UPDATE_CREATE", "-r", "001042", "-f", "Anna", "-l", "Berg", "-b", "1980-01-02", "-g", "FEMALE"}},
        {R"(1042 "Berg" "Anna Maria" "02/01/1980")", V{"1042", "Berg", "Anna Maria", "02/01/1980"}},
        {R"(/LastName Berg /FirstName Anna /IDNumber 001042 )",
         V{"/LastName", "Berg", "/FirstName", "Anna", "/IDNumber", "001042"}},
    };
    for (const auto& c : cases) EXPECT_EQ(split(c.line), c.args) << c.line;
}

}  // namespace
}  // namespace veltrane
