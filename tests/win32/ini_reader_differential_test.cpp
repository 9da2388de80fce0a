// The request file read two ways on the same bytes: by the platform's GetPrivateProfileStringW and by the reader
// the Linux build uses in its place. Both must give the same value for every name asked.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "base/text.h"
#include "linux/posix/ini_rules.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"
#include "support/utf16le_bytes.h"
#include "win32_test_support.h"
#include "windows/services/profile_ini_reader.h"
#include "windows/services/win32_ansi_codec.h"

namespace veltrane::platform {
namespace {

using namespace std::string_literals;
using veltrane::testing::TempDir;
using veltrane::testing::u16path;
using veltrane::testing::utf16le;
using veltrane::testing::writeFile;

// Files that probe the reader's rules: letter case, quotes, blanks, repeats, broken lines, line ends, lengths,
// byte-order marks, control characters.
const std::vector<std::string>& trickyFiles() {
    static const std::vector<std::string> files = {
        "[settings]\r\naction=print\r\ntype=apptcard\r\n",
        "[SETTINGS]\r\nAcTion=Print\r\n",
        "[s]\r\ndocs_folder=\r\nk=\"a b\"\r\nq='a b'\r\nmixed=\"a b'\r\nlone=\"\r\nempty=\"\"\r\ninner=a\"b\"\r\n",
        "[s]\r\n \t key \t=  \t va lue \t \r\nquoted=  \"  v  \"  \r\n",
        "  [  s  ]  \r\nk=v\r\n",
        "[s]\r\n;k=comment\r\nk=v ; note\r\n#hash=1\r\n",
        "[s]\r\nk=1\r\nk=2\r\n",
        "[s]\r\na=1\r\n[t]\r\n[S]\r\nk=2\r\n",
        "k=v\r\n[s]\r\n",
        "[s]\nk=v\n",
        "[s]\rk=v\r",
        "\r\n\r\n[s]\r\n\r\n\r\nk=v",
        "[s]\r\nurl=a=b\r\n",
        "[s] ; note\r\nk=v\r\n",
        "[a]b]\r\nk=v\r\n",
        "[s]\r\n[broken\r\nk=v\r\n",
        "[s]\r\nk=" + std::string(3000, 'x') + "\r\n",
        "[s]\r\nk=\"" + std::string(2046, 'q') + "\"\r\n",
        "[s]\r\nk=v\x1A",
        "[s]\r\nk=Jos\xE9 \x80\r\n",
        utf16le(u"[Ustawienia]\r\nNazwisko=Łódź 日本\r\n"),
        "\xEF\xBB\xBF[s]\r\nk=Jos\xC3\xA9\r\n",
        "[s]\r\n=v\r\n",
        "",
        "[]\r\nk=v\r\n",
        "[s]\r\n  =v\r\nk = = v\r\n",
        "[s]\r\nk=v\t\r\nt=\tv\r\n",
        "[s]\r\nk\t=\tv\r\n",
        "[s]\r\n\"k\"=v\r\n",
        "[s\r\nk=v\r\n",
        "[s]]\r\nk=v\r\n",
        "[[s]\r\nk=v\r\n",
        "[s]x\r\nk=v\r\n[s]\r\nk=w\r\n",
        "[ s ]\r\n k = v \r\n",
        "[s]\r\nk=v\r\n\x00\r\n[t]\r\nk=w\r\n"s,
    };
    return files;
}

// The names asked in each file: those that appear in it, and some that do not. Never an empty section or key
// name: the program asks for none, and there the platform reads keys outside any section (see below).
std::vector<std::pair<std::u16string, std::u16string>> queries() {
    std::vector<std::pair<std::u16string, std::u16string>> asked;
    for (const char16_t* section : {u"settings", u"s", u"S", u" s ", u"ustawienia", u"a]b", u"a", u"t", u"[s]", u"s]",
                                    u"[s", u"broken", u"missing"}) {
        for (const char16_t* key :
             {u"action", u"type",  u"k",     u"K",     u" k ",    u"docs_folder", u"q",   u"mixed",
              u"lone",   u"empty", u"inner", u"key",   u"quoted", u"a",           u"url", u"nazwisko",
              u"żółw",   u"\"k\"", u"t",     u"#hash", u";k",     u"missing"}) {
            asked.emplace_back(section, key);
        }
    }
    return asked;
}

struct Difference {
    std::size_t file;
    std::u16string section, key, defaultValue, platform, linux;
};

TEST(IniReaderDifferential, BothReadersGiveTheSameValues) {
    win32::Win32AnsiCodec codec;
    win32::ProfileIniReader profile;
    TempDir dir;
    std::vector<Difference> differences;
    std::size_t compared = 0;
    const auto asked = queries();
    for (std::size_t i = 0; i < trickyFiles().size(); ++i) {
        const std::string& bytes = trickyFiles()[i];
        const auto path = dir.path() / ("request" + std::to_string(i) + ".ini");
        writeFile(path, bytes);
        for (const auto& [section, key] : asked) {
            for (const char16_t* defaultValue : {u"dflt", u"  spaced  ", u"'quoted'"}) {
                const std::u16string platform = profile.getString(u16path(path), section, key, defaultValue);
                const std::u16string linux = posix::parseIniValue(bytes, section, key, defaultValue, codec);
                ++compared;
                if (platform != linux) differences.push_back({i, section, key, defaultValue, platform, linux});
            }
        }
    }
    EXPECT_GT(compared, 10000u);
    // One line per file that differs, with its first difference, so a rule that differs is named once.
    std::set<std::size_t> reported;
    for (const Difference& d : differences) {
        if (!reported.insert(d.file).second) continue;
        ADD_FAILURE() << "file " << d.file << " [" << utf16ToUtf8(d.section) << "] " << utf16ToUtf8(d.key)
                      << " default '" << utf16ToUtf8(d.defaultValue) << "': platform '"
                      << utf16ToUtf8(d.platform.substr(0, 40)) << "' (" << d.platform.size() << "), linux '"
                      << utf16ToUtf8(d.linux.substr(0, 40)) << "' (" << d.linux.size() << ")";
    }
    EXPECT_EQ(differences.size(), 0u);
}

// Where the two readers part. Each row holds what each one gives today, so a change on either side shows here.
// The program asks only for ASCII names of its own sections ("settings", "imaging"), and the web application
// writes "key=value" lines, so none of these rows changes what a request does.
TEST(IniReaderDifferential, KnownDifferencesStayAsDocumented) {
    struct Case {
        const char* why;
        std::string file;
        std::u16string section, key;
        std::u16string platform, linux;
    };
    const Case cases[] = {
        // The value without its quotes is 2047 characters and fits; Wine cuts first and then drops the last
        // character as if it were the closing quote, losing a real one. The Linux reader keeps the value whole.
        {"a quoted value of exactly 2047 characters", "[s]\r\nk=\"" + std::string(2047, 'q') + "\"\r\n", u"s", u"k",
         std::u16string(2046, u'q'), std::u16string(2047, u'q')},
        // Names are matched without regard to letter case; Wine folds ASCII letters only.
        {"a non-ASCII key name in another letter case", utf16le(u"[s]\r\nŻÓŁW=1\r\n"), u"s", u"żółw", u"d", u"1"},
        // A line without "=" is a key without a value for the platform, and as the first of its name it hides a
        // later "k=v"; the Linux reader skips such a line.
        {"a key line without = before the key", "[s]\r\nk\r\nk=v\r\n", u"s", u"k", u"d", u"v"},
        // An empty name asked for: the platform reads keys before the first section (and in a broken "[s" one)
        // as a section without a name, and a line "=v" as a key without a name; the Linux reader gives the default.
        {"keys before the first section, asked with an empty section", "k=v\r\n[s]\r\n", u"", u"k", u"v", u"d"},
        {"a line =v asked with an empty key", "[s]\r\n=v\r\n", u"s", u"", u"v", u"d"},
    };
    win32::Win32AnsiCodec codec;
    win32::ProfileIniReader profile;
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        const auto path = dir.path() / "known.ini";
        writeFile(path, c.file);
        EXPECT_EQ(profile.getString(u16path(path), c.section, c.key, u"d"), c.platform);
        EXPECT_EQ(posix::parseIniValue(c.file, c.section, c.key, u"d", codec), c.linux);
    }
}

// The fuzz corpus's request files, read whole by both.
TEST(IniReaderDifferential, FuzzCorpusFilesReadAlike) {
    win32::Win32AnsiCodec codec;
    win32::ProfileIniReader profile;
    const std::filesystem::path corpus = std::filesystem::path(VELTRANE_SOURCE_DIR) / "tests/fuzz/corpus/ini-reader";
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        ++files;
        const std::string bytes = veltrane::testing::readFile(entry.path());
        for (const char16_t* section : {u"settings", u"imaging", u"SETTINGS"}) {
            for (const char16_t* key : {u"action", u"type", u"patient_id", u"docs_folder", u"forenames", u"surname",
                                        u"dob", u"gender", u"title", u"dexis", u"sirona"}) {
                EXPECT_EQ(profile.getString(u16path(entry.path()), section, key, u"d"),
                          posix::parseIniValue(bytes, section, key, u"d", codec))
                    << entry.path().filename().string() << " [" << utf16ToUtf8(section) << "] " << utf16ToUtf8(key);
            }
        }
    }
    EXPECT_GE(files, 5u);
}

// Why a request file cannot be read, in the system's words, so the program can say it instead of opening the
// configuration window without a word.
TEST(ProfileIniReader, SaysWhyARequestFileCannotBeRead) {
    TempDir dir;
    writeFile(dir.file("request.ini"), "[settings]\r\naction=images\r\n");
    writeFile(dir.file("empty.ini"), "");
    win32::ProfileIniReader reader;
    EXPECT_EQ(reader.whyUnreadable(u16path(dir.file("request.ini"))), "");
    EXPECT_EQ(reader.whyUnreadable(u16path(dir.file("empty.ini"))), "");
    EXPECT_EQ(reader.whyUnreadable(u16path(dir.path())), "it is a folder");
    EXPECT_EQ(reader.whyUnreadable(u""), "it has no name");
    const std::string missing = reader.whyUnreadable(u16path(dir.file("missing.ini")));
    EXPECT_NE(missing, "");
    EXPECT_EQ(missing.find("error "), std::string::npos) << "the system's own text: " << missing;
    EXPECT_NE(reader.whyUnreadable(u16path(dir.file("no-folder/request.ini"))), "");
    // A bare name is looked for where the reader looks for it, the Windows folder, not the current one.
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    const std::string bare = reader.whyUnreadable(u"request.ini");
    std::filesystem::current_path(previous);
    EXPECT_NE(bare, "");
}

}  // namespace
}  // namespace veltrane::platform
