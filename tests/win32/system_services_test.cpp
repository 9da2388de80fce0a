// The small Win32 services: the ANSI code page, the locale's formats, the shared Documents folder and the
// computer name.

#include <gtest/gtest.h>

#include <filesystem>

#include "base/text.h"
#include "windows/services/shell_folders.h"
#include "windows/services/win32_ansi_codec.h"
#include "windows/services/win32_locale.h"
#include "windows/services/win32_system_info.h"

namespace veltrane::platform::win32 {
namespace {

// The tests' Wine prefix runs with the Western code page, as most practices' workstations do.
TEST(Win32AnsiCodec, EncodesInTheCodePageWithAndWithoutBestFit) {
    Win32AnsiCodec codec;
    ASSERT_EQ(codec.codePage(), 1252);
    struct Case {
        std::u16string text;
        std::string exact;
        std::string bestFit;
    };
    const Case cases[] = {
        {u"plain ASCII 123", "plain ASCII 123", "plain ASCII 123"},
        {u"Büro José €", "B\xFCro Jos\xE9 \x80", "B\xFCro Jos\xE9 \x80"},
        {u"Łódź",
         "?\xF3"
         "d?",
         "L\xF3"
         "dz"},
        {u"Dvořák Čech", "Dvo?\xE1k ?ech", "Dvor\xE1k Cech"},
        {u"日本", "??", "??"},
        {u"\U0001F9B7", "??", "??"},  // a pair of surrogates: no letter fits it
        {u"", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(utf16ToUtf8(c.text));
        EXPECT_EQ(codec.encode(c.text, false), c.exact);
        EXPECT_EQ(codec.encode(c.text, true), c.bestFit);
    }
}

TEST(Win32AnsiCodec, DecodesEveryByte) {
    Win32AnsiCodec codec;
    std::string all;
    for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
    const std::u16string text = codec.decode(all);
    EXPECT_EQ(text.size(), all.size());  // one character per byte in a single-byte page
    EXPECT_EQ(codec.decode("B\xFCro \x80"), u"Büro €");
    // The five bytes 1252 leaves undefined come through as the control characters of the same number, as
    // Windows maps them, and go back to the same bytes: nothing in a request file is lost on the way.
    EXPECT_EQ(codec.decode("\x81\x8D\x8F\x90\x9D"), u"\u0081\u008D\u008F\u0090\u009D");
    EXPECT_EQ(codec.encode(u"\u0081\u008D\u008F\u0090\u009D", false), "\x81\x8D\x8F\x90\x9D");
    // Encoding the decoded text gives the same bytes back for every byte the code page defines.
    EXPECT_EQ(codec.encode(codec.decode("Jos\xE9 \x80\x9C\xFF"), false), "Jos\xE9 \x80\x9C\xFF");
}

TEST(Win32Locale, FormatsInTheUsersShortDateAndLongTime) {
    Win32Locale locale;
    const LocalDateTime when{2026, 12, 9, 14, 5, 9, 0};
    const std::string date = utf16ToUtf8(locale.formatShortDate(when));
    const std::string time = utf16ToUtf8(locale.formatLongTime(when));
    // The prefix's locale is US English: month/day/year and a 12-hour clock with seconds.
    EXPECT_EQ(date, "12/9/2026");
    EXPECT_EQ(time, "2:05:09 PM");
    EXPECT_EQ(locale.decimalSeparator(), u'.');
    // A date the platform cannot format still gives the numbers, never an empty stamp.
    EXPECT_EQ(utf16ToUtf8(locale.formatShortDate({2026, 13, 40, 0, 0, 0, 0})), "2026-13-40");
    EXPECT_EQ(utf16ToUtf8(locale.formatLongTime({2026, 1, 1, 25, 61, 0, 0})), "25:61:00");
}

TEST(ShellFolders, CommonDocumentsIsAnExistingFolderWithoutTrailingDelimiter) {
    ShellFolders folders;
    const std::u16string path = folders.folderPath(kCommonDocuments);
    ASSERT_FALSE(path.empty());
    EXPECT_NE(path.back(), u'\\');
    EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::path(std::wstring(path.begin(), path.end()))))
        << utf16ToUtf8(path);
    EXPECT_EQ(folders.folderPath(-1), u"");  // no such folder
}

TEST(Win32SystemInfo, ComputerNameIsTheNetBiosName) {
    const std::u16string name = Win32SystemInfo().computerName();
    ASSERT_FALSE(name.empty());
    EXPECT_LE(name.size(), 15u);
    for (char16_t c : name) EXPECT_FALSE(c >= u'a' && c <= u'z') << utf16ToUtf8(name);  // upper case, as NetBIOS
}

}  // namespace
}  // namespace veltrane::platform::win32
