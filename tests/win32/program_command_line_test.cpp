#include "windows/services/program_command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text.h"

namespace veltrane::platform::win32 {
namespace {

TEST(ProgramArguments, SplitByTheProgramsOwnRule) {
    struct Case {
        std::u16string line;
        std::vector<std::u16string> arguments;
    };
    const Case cases[] = {
        {u"", {}},
        {u"   \t ", {}},
        {u"prog.exe", {u"prog.exe"}},
        {u"\"C:\\Program Files\\V\\v.exe\" -x r.ini", {u"C:\\Program Files\\V\\v.exe", u"-x", u"r.ini"}},
        // Backslashes are plain characters, also before a quote.
        {u"p -x \"C:\\Temp dir\\\" -s srv", {u"p", u"-x", u"C:\\Temp dir\\", u"-s", u"srv"}},
        {u"p a\\\"b c\"", {u"p", u"a\\b c"}},
        // A quoted stretch inside an argument joins it with what follows.
        {u"p -x C:\\\"My Files\"\\r.ini", {u"p", u"-x", u"C:\\My Files\\r.ini"}},
        // Any character up to the blank separates: tabs, line ends, other control characters.
        {u"p\ta\r\nb\x01"
         u"c",
         {u"p", u"a", u"b", u"c"}},
        // Two quotes at the start of an argument are skipped, also repeatedly.
        {u"p \"\"x", {u"p", u"x"}},
        {u"p \"\"\"\"y", {u"p", u"y"}},
        {u"p \"\" z", {u"p", u"z"}},
        // A quote left open runs to the end.
        {u"p \"a b", {u"p", u"a b"}},
        // The arguments end at the first empty one.
        {u"p \"", {u"p"}},
        {u"p \"\"\" q", {u"p", u" q"}},
        {u"p Łódź \"日本 \U0001F9B7\"", {u"p", u"Łódź", u"日本 \U0001F9B7"}},
        {u"p -S -s -X /x -xr.ini", {u"p", u"-S", u"-s", u"-X", u"/x", u"-xr.ini"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(utf16ToUtf8(c.line));
        EXPECT_EQ(splitProgramArguments(c.line), c.arguments);
    }
}

TEST(ProgramArguments, PositionZeroIsTheRunningProgramsFullPath) {
    Win32CommandLine commandLine({u"short.exe", u"-x", u"r.ini"});
    const std::u16string self = runningProgramPath();
    EXPECT_TRUE(self.ends_with(u".exe")) << utf16ToUtf8(self);
    EXPECT_NE(self.find(u'\\'), std::u16string::npos);
    EXPECT_EQ(commandLine.paramCount(), 2);
    EXPECT_EQ(commandLine.paramStr(0), self);
    EXPECT_EQ(commandLine.paramStr(1), u"-x");
    EXPECT_EQ(commandLine.paramStr(2), u"r.ini");
    EXPECT_EQ(commandLine.paramStr(3), u"");
    EXPECT_EQ(commandLine.paramStr(-1), u"");
    EXPECT_EQ(Win32CommandLine({}).paramCount(), 0);
}

}  // namespace
}  // namespace veltrane::platform::win32
