#include "linux/posix/ini_file_reader.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>

#include "base/text.h"
#include "linux/posix/iconv_codec.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"
#include "support/utf16le_bytes.h"

namespace veltrane::platform::posix {
namespace {

using namespace std::string_literals;
namespace fs = std::filesystem;
using veltrane::testing::TempDir;
using veltrane::testing::utf16le;
using veltrane::testing::writeFile;

std::string utf16be(std::u16string_view text) {
    std::string out = "\xFE\xFF";
    for (char16_t c : text) {
        out.push_back(static_cast<char>(c >> 8));
        out.push_back(static_cast<char>(c & 0xFF));
    }
    return out;
}

struct ParseCase {
    const char* rule;
    std::string file;
    std::u16string section;
    std::u16string key;
    std::u16string defaultValue;
    std::u16string expected;
};

// Each row is one rule of the reader, the listed ones and those taken over from the platform's reader where
// the listed rules say nothing.
TEST(IniFileReader, FollowsThePrivateProfileRules) {
    const std::string longValue(3000, 'x');
    const std::string quotedFull = "\"" + std::string(2047, 'q') + "\"";
    const ParseCase cases[] = {
        {"plain value", "[settings]\r\naction=print\r\n", u"settings", u"action", u"d", u"print"},
        {"section and key names ignore letter case", "[SETTINGS]\r\nAcTion=print\r\n", u"settings", u"ACTION", u"d",
         u"print"},
        {"an absent key gives the default", "[settings]\r\naction=print\r\n", u"settings", u"type", u"dflt", u"dflt"},
        {"an absent section gives the default", "[other]\r\naction=print\r\n", u"settings", u"action", u"dflt",
         u"dflt"},
        {"a key with nothing after = gives the empty text, not the default", "[s]\r\ndocs_folder=\r\n", u"s",
         u"docs_folder", u"veltrane_docs", u""},
        {"a pair of double quotes is removed", "[s]\r\nk=\"a b\"\r\n", u"s", u"k", u"", u"a b"},
        {"a pair of single quotes is removed", "[s]\r\nk='a b'\r\n", u"s", u"k", u"", u"a b"},
        {"quotes that do not pair up stay", "[s]\r\nk=\"a b'\r\n", u"s", u"k", u"", u"\"a b'"},
        {"a lone quote stays", "[s]\r\nk=\"\r\n", u"s", u"k", u"", u"\""},
        {"an empty quoted value is empty", "[s]\r\nk=\"\"\r\n", u"s", u"k", u"d", u""},
        {"quotes inside a value stay", "[s]\r\nk=a\"b\"\r\n", u"s", u"k", u"", u"a\"b\""},
        {"blanks and tabs around names and values are dropped", "[s]\r\n \t key \t=  \t va lue \t \r\n", u"s", u"key",
         u"", u"va lue"},
        {"blanks inside quotes are kept", "[s]\r\nk=  \"  v  \"  \r\n", u"s", u"k", u"", u"  v  "},
        {"blanks around the section name are dropped", "  [  s  ]  \r\nk=v\r\n", u"s", u"k", u"", u"v"},
        {"a comment line is no key", "[s]\r\n;k=comment\r\nk=v\r\n", u"s", u"k", u"", u"v"},
        {"a semicolon after a value is part of it", "[s]\r\nk=v ; note\r\n", u"s", u"k", u"", u"v ; note"},
        {"the first of repeated keys wins", "[s]\r\nk=1\r\nk=2\r\n", u"s", u"k", u"", u"1"},
        {"only the first of repeated sections is searched", "[s]\r\na=1\r\n[t]\r\n[S]\r\nk=2\r\n", u"s", u"k", u"d",
         u"d"},
        {"keys before the first section belong to none", "k=v\r\n[s]\r\n", u"s", u"k", u"d", u"d"},
        {"a line without = is no key and hides nothing", "[s]\r\nk\r\nk=v\r\n", u"s", u"k", u"d", u"v"},
        {"LF line ends", "[s]\nk=v\n", u"s", u"k", u"", u"v"},
        {"CR line ends", "[s]\rk=v\r", u"s", u"k", u"", u"v"},
        {"blank lines between", "\r\n\r\n[s]\r\n\r\n\r\nk=v", u"s", u"k", u"", u"v"},
        {"no final line break", "[s]\r\nk=v", u"s", u"k", u"", u"v"},
        {"the first = separates key and value", "[s]\r\nurl=a=b\r\n", u"s", u"url", u"", u"a=b"},
        {"text after the closing bracket is ignored", "[s] ; note\r\nk=v\r\n", u"s", u"k", u"", u"v"},
        {"the name ends at the last closing bracket", "[a]b]\r\nk=v\r\n", u"a]b", u"k", u"", u"v"},
        {"a [ without ] opens no section", "[s]\r\n[broken\r\nk=v\r\n", u"s", u"k", u"", u"v"},
        {"a value is cut at 2047 characters", "[s]\r\nk=" + longValue + "\r\n", u"s", u"k", u"",
         std::u16string(2047, u'x')},
        {"quotes are removed before the cut", "[s]\r\nk=" + quotedFull + "\r\n", u"s", u"k", u"",
         std::u16string(2047, u'q')},
        {"a zero character ends a value", "[s]\r\nk=ab\0cd\r\n"s, u"s", u"k", u"", u"ab"},
        {"^Z at the end of a DOS file is a blank", "[s]\r\nk=v\x1A", u"s", u"k", u"", u"v"},
        {"ANSI text is read in the code page", "[s]\r\nk=Jos\xE9 \x80\r\n", u"s", u"k", u"", u"José €"},
        {"an undefined ANSI byte becomes U+FFFD", "[s]\r\nk=a\x81z\r\n", u"s", u"k", u"", u"a\uFFFDz"},
        {"FF FE starts UTF-16LE", utf16le(u"[Ustawienia]\r\nNazwisko=Łódź 日本\r\n"), u"ustawienia", u"nazwisko", u"",
         u"Łódź 日本"},
        {"UTF-16LE names ignore letter case beyond ASCII", utf16le(u"[s]\r\nŻÓŁW=1\r\n"), u"s", u"żółw", u"", u"1"},
        {"FE FF starts UTF-16BE", utf16be(u"[s]\r\nk=Łódź\r\n"), u"s", u"k", u"", u"Łódź"},
        {"EF BB BF starts UTF-8 and the first section is found", "\xEF\xBB\xBF[s]\r\nk=Jos\xC3\xA9\r\n", u"s", u"k",
         u"", u"José"},
        {"an odd last byte of UTF-16 is dropped", utf16le(u"[s]\r\nk=v") + "\x41", u"s", u"k", u"", u"v"},
        {"trailing blanks of the default are dropped", "", u"s", u"k", u"abc  ", u"abc"},
        {"quotes around the default are removed", "", u"s", u"k", u"'abc'", u"abc"},
        {"an empty key name gives the default", "[s]\r\n=v\r\n", u"s", u"", u"d", u"d"},
        {"blanks around the names asked for are dropped", "[s]\r\nk=v\r\n", u" s ", u" k ", u"", u"v"},
        {"an empty file gives the default", "", u"s", u"k", u"d", u"d"},
    };
    IconvAnsiCodec codec(1252);
    for (const ParseCase& c : cases) {
        EXPECT_EQ(parseIniValue(c.file, c.section, c.key, c.defaultValue, codec), c.expected) << c.rule;
    }
}

class IniFileReaderOnDisk : public ::testing::Test {
protected:
    TempDir dir;
    IconvAnsiCodec codec{1252};
    IniFileReader reader{codec};

    std::u16string read(const std::string& path, const std::u16string& key, const std::u16string& def = u"d") {
        return reader.getString(utf8ToUtf16(path), u"settings", key, def);
    }
};

TEST_F(IniFileReaderOnDisk, ReadsRequestFilesAfreshOnEveryCall) {
    const std::string path = dir.file("request.ini");
    writeFile(path, "[settings]\r\naction=print\r\ntype=apptcard\r\n");
    EXPECT_EQ(read(path, u"action"), u"print");
    EXPECT_EQ(read(path, u"type"), u"apptcard");
    writeFile(path, "[settings]\r\naction=images\r\n");
    EXPECT_EQ(read(path, u"action"), u"images");
    EXPECT_EQ(read(path, u"type"), u"d");
}

// The bytes read last are used again only while the file is exactly as it was: every kind of change between two
// reads is seen by the second.
TEST_F(IniFileReaderOnDisk, EveryChangeBetweenTwoReadsIsSeen) {
    const std::string path = dir.file("request.ini");
    const std::string before = "[settings]\r\naction=print\r\n";
    struct Case {
        const char* change;
        std::function<void()> apply;
        std::u16string expected;
    };
    // A later modification time, as a rewrite a moment later leaves (two rewrites within one tick of the
    // file system's clock look alike to anything that reads it).
    const auto later = [&] {
        const timespec times[2] = {{0, UTIME_OMIT}, {std::time(nullptr) + 5, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    };
    const Case cases[] = {
        {"the next request written over it",
         [&] { writeFile(path, "[settings]\r\naction=images\r\n"); },
         u"images"},
        {"rewritten in place with the same length",
         [&] {
             {
                 std::ofstream out(path, std::ios::binary | std::ios::in | std::ios::out);
                 out.seekp(static_cast<std::streamoff>(before.find("print")));
                 out << "paint";
             }
             later();
         },
         u"paint"},
        {"replaced by a file of the same length",
         [&] {
             writeFile(path + ".new", "[settings]\r\naction=image\r\n");
             fs::rename(path + ".new", path);
         },
         u"image"},
        {"removed", [&] { fs::remove(path); }, u"d"},
        {"replaced by a folder",
         [&] {
             fs::remove(path);
             fs::create_directory(path);
         },
         u"d"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.change);
        fs::remove_all(path);
        writeFile(path, before);
        ASSERT_EQ(read(path, u"action"), u"print");
        c.apply();
        EXPECT_EQ(read(path, u"action"), c.expected);
    }
}

TEST_F(IniFileReaderOnDisk, UnreadableFilesGiveTheDefault) {
    const std::string fifo = dir.file("fifo.ini");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(read(dir.file("missing.ini"), u"action"), u"d");
    EXPECT_EQ(read(dir.path().string(), u"action"), u"d") << "a folder";
    EXPECT_EQ(read(fifo, u"action"), u"d") << "a FIFO must neither block nor be read";
    EXPECT_EQ(reader.getString(u"", u"settings", u"action", u"d"), u"d");
    EXPECT_EQ(reader.getString(utf8ToUtf16(dir.file("request.ini")) + u'\0' + u"x", u"settings", u"action", u"d"),
              u"d");
}

TEST_F(IniFileReaderOnDisk, SaysWhyARequestFileCannotBeRead) {
    const std::string fifo = dir.file("fifo.ini");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    writeFile(dir.file("request.ini"), "[settings]\r\naction=images\r\n");
    writeFile(dir.file("empty.ini"), "");
    const struct {
        std::u16string file;
        std::string why;
    } cases[] = {
        {utf8ToUtf16(dir.file("request.ini")), ""},
        {utf8ToUtf16(dir.file("empty.ini")), ""},  // readable, and holds no action: the dispatcher says so
        {utf8ToUtf16(dir.file("missing.ini")), "No such file or directory"},
        {utf8ToUtf16(dir.file("missing/request.ini")), "No such file or directory"},
        {utf8ToUtf16(dir.path().string()), "it is a folder"},
        {utf8ToUtf16(fifo), "it is not a regular file"},
        {u"", "it has no name"},
        {utf8ToUtf16(dir.file("request.ini")) + u'\0' + u"x", "it has no name"},
    };
    for (const auto& c : cases) EXPECT_EQ(reader.whyUnreadable(c.file), c.why) << utf16ToUtf8(c.file);
}

TEST_F(IniFileReaderOnDisk, FileWithoutFolderIsLookedUpInTheCurrentFolder) {
    writeFile(dir.file("bare-name.ini"), "[settings]\r\naction=images\r\n");
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    const std::u16string value = reader.getString(u"bare-name.ini", u"settings", u"action", u"d");
    std::filesystem::current_path(previous);
    EXPECT_EQ(value, u"images");
}

TEST_F(IniFileReaderOnDisk, Utf16AndAnsiFiles) {
    const std::string wide = dir.file("wide.ini");
    writeFile(wide, utf16le(u"[settings]\r\nsurname=Wałęsa\r\nforenames=\"Lech\"\r\n"));
    EXPECT_EQ(read(wide, u"surname"), u"Wałęsa");
    EXPECT_EQ(read(wide, u"forenames"), u"Lech");

    const std::string ansi = dir.file("ansi.ini");
    writeFile(ansi, "[settings]\r\nsurname=M\xFCller\r\n");
    EXPECT_EQ(read(ansi, u"surname"), u"Müller");
}

TEST_F(IniFileReaderOnDisk, HugeFilesAreReadUpToTheCap) {
    const std::string path = dir.file("huge.ini");
    std::string content = "[settings]\r\naction=print\r\n";
    const std::string filler = "filler=" + std::string(1000, 'f') + "\r\n";
    while (content.size() < kIniFileMaxBytes + 4096) content += filler;
    content += "late=beyond the cap\r\n";
    writeFile(path, content);
    EXPECT_EQ(read(path, u"action"), u"print");
    EXPECT_EQ(read(path, u"late"), u"d") << "lines past the first 16 MiB are not read";
}

TEST_F(IniFileReaderOnDisk, BinaryJunkIsSurvived) {
    std::mt19937 random(20261209);
    std::string junk(256 * 1024, '\0');
    for (char& c : junk) c = static_cast<char>(random() & 0xFF);
    const std::string path = dir.file("junk.ini");
    writeFile(path, junk + "\n[settings]\naction=print\n" + junk);
    // Junk lines may contain "[" or "=" at random; what matters is that the file is read to its end safely
    // and a section after the junk is still found, unless junk happened to open a same-named section first.
    EXPECT_EQ(read(path, u"action"), u"print");
}

}  // namespace
}  // namespace veltrane::platform::posix
