#include "linux/posix/registry_file.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <thread>

#include "base/error.h"
#include "base/text.h"
#include "settings/settings_store.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"
#include "support/utf16le_bytes.h"

namespace veltrane::platform::posix {
namespace {

namespace fs = std::filesystem;
using settings::SettingsStore;

const std::u16string kKey = u"\\Software\\Veltrane";

using testing::readFile;
using testing::utf16le;
using testing::writeFile;

unsigned modeOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return 0;
    return st.st_mode & 07777;
}

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class RegistryFileTest : public ::testing::Test {
protected:
    // A settings file with the given body after the header.
    void seed(const std::string& body) {
        fs::create_directories(folder_);
        writeFile(path_, "Windows Registry Editor Version 5.00\r\n\r\n" + body);
    }
    std::u16string read(RegistryFile& file, const std::u16string& name) {
        return SettingsStore(file).readSetting(name);
    }
    // The value read, or the error text the read threw.
    struct Outcome {
        std::u16string value;
        std::string error;
    };
    Outcome readOutcome(RegistryFile& file, const std::u16string& name) {
        Outcome outcome;
        try {
            outcome.value = read(file, name);
        } catch (const Error& e) {
            outcome.error = e.what();
        }
        return outcome;
    }

    testing::TempDir dir_;
    std::string root_ = dir_.path().string();
    std::string folder_ = root_ + "/config/veltrane-client-tools";
    std::string path_ = folder_ + "/registry.reg";
};

TEST_F(RegistryFileTest, FirstOpenWithCreateMakesFolderFileAndKey) {
    RegistryFile file(path_);
    ASSERT_NE(file.openKey(kKey, true), nullptr);
    EXPECT_EQ(modeOf(folder_), 0700u);
    EXPECT_EQ(modeOf(path_), 0600u);
    EXPECT_EQ(readFile(path_),
              "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n\r\n");
    // Opening again changes nothing.
    ASSERT_NE(file.openKey(kKey, true), nullptr);
    EXPECT_EQ(filesIn(folder_), (std::vector<std::string>{"registry.reg", "registry.reg.lock"}));
}

TEST_F(RegistryFileTest, TextValuesReadBackExactlyThroughTheFile) {
    RegistryFile file(path_);
    SettingsStore store(file);
    const std::u16string texts[] = {
        u"",
        u"True",
        u"C:\\Program Files\\Dexis\\",
        u"\"quoted\" \\\\server\\share",
        u"two\r\nlines\n",
        std::u16string(u"nul\0inside", 10),
        u"tooth \U0001F9B7",
        std::u16string(1, char16_t(0xD83D)) + u"lone",
        std::u16string(5000, u'x'),
    };
    for (std::size_t i = 0; i < std::size(texts); ++i)
        store.writeSetting(u"value" + utf8ToUtf16(std::to_string(i)), texts[i]);
    RegistryFile reopened(path_);
    for (std::size_t i = 0; i < std::size(texts); ++i) {
        const auto name = u"VALUE" + utf8ToUtf16(std::to_string(i));
        // The core reads up to the first zero, so compare the raw value for the text with a zero inside.
        const auto raw = reopened.openKey(kKey, false)->queryValue(name);
        ASSERT_TRUE(raw);
        EXPECT_EQ(raw->type, RegType::Sz);
        EXPECT_EQ(raw->data, platform::stringValueData(texts[i])) << i;
    }
    EXPECT_EQ(read(reopened, u"value4"), u"two\r\nlines\n");
    EXPECT_EQ(read(reopened, u"never written"), u"");
}

TEST_F(RegistryFileTest, OpenOnlyFindsOnlyExistingKeys) {
    RegistryFile file(path_);
    EXPECT_EQ(file.openKey(kKey, false), nullptr);
    EXPECT_FALSE(fs::exists(folder_)) << "opening without create must not create anything";
    seed("[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\PageSetup]\r\n\"header\"=\"x\"\r\n");
    EXPECT_EQ(file.openKey(kKey, false), nullptr);
    EXPECT_NE(file.openKey(u"\\Software\\Microsoft", false), nullptr) << "a parent of a listed key exists";
    EXPECT_NE(file.openKey(u"\\software\\MICROSOFT\\internet explorer\\pagesetup\\", false), nullptr);
    EXPECT_EQ(file.openKey(u"\\Software\\Micro", false), nullptr);
    // Keys that the file format cannot hold cannot be created either.
    EXPECT_EQ(file.openKey(u"\\Software\\line\nbreak", true), nullptr);
}

TEST_F(RegistryFileTest, KeysAndNamesIgnoreLetterCaseAndKeepTheirSpelling) {
    seed("[HKEY_CURRENT_USER\\SOFTWARE\\veltrane]\r\n\"Server_IP\"=\"10.1.1.1\"\r\n");
    RegistryFile file(path_);
    EXPECT_EQ(read(file, u"server_ip"), u"10.1.1.1");
    SettingsStore(file).writeSetting(u"SERVER_IP", u"10.2.2.2");
    EXPECT_EQ(readFile(path_),
              "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\veltrane]\r\n"
              "\"Server_IP\"=\"10.2.2.2\"\r\n\r\n");
}

TEST_F(RegistryFileTest, OtherKeysAndTypesAreKeptAndNonTextFailsWithTheTypeError) {
    seed(
        "; kept\r\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\PageSetup]\r\n"
        "\"margin_top\"=\"0.75\"\r\n\r\n[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n\"server_ssl\"=dword:00000001\r\n"
        "\"dexis_program\"=hex(2):25,00,58,00,25,00,00,00\r\n");
    RegistryFile file(path_);
    SettingsStore store(file);
    EXPECT_EQ(read(file, u"dexis_program"), u"%X%");
    try {
        read(file, u"server_ssl");
        ADD_FAILURE() << "a number read as text";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Invalid data type for 'server_ssl'");
    }
    store.writeSetting(u"server_ip", u"x");
    const auto text = readFile(path_);
    EXPECT_NE(text.find("; kept\r\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\PageSetup]\r\n"
                        "\"margin_top\"=\"0.75\"\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("\"server_ssl\"=dword:00000001\r\n\"dexis_program\"=hex(2):25,00,58,00,25,00,00,00\r\n"
                        "\"server_ip\"=\"x\"\r\n"),
              std::string::npos);
}

TEST_F(RegistryFileTest, AReadOnlyFileOrFolderIsNeverWritten) {
    seed("[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n\"logging_enabled\"=\"True\"\r\n");
    const std::string before = readFile(path_);
    RegistryFile file(path_);
    auto openedEarlier = file.openKey(kKey, true);
    ASSERT_NE(openedEarlier, nullptr);

    ::chmod(path_.c_str(), 0400);
    EXPECT_EQ(file.openKey(kKey, true), nullptr);
    EXPECT_EQ(file.openKey(kKey, false), nullptr) << "the key is opened for full access also to read";
    EXPECT_EQ(read(file, u"logging_enabled"), u"") << "a key that cannot be opened reads as empty";
    SettingsStore(file).writeSetting(u"logging_enabled", u"False");
    EXPECT_FALSE(openedEarlier->setStringValue(u"logging_enabled", u"False"));
    EXPECT_EQ(readFile(path_), before);
    EXPECT_EQ(modeOf(path_), 0400u);

    ::chmod(path_.c_str(), 0600);
    ::chmod(folder_.c_str(), 0500);
    EXPECT_EQ(file.openKey(kKey, true), nullptr) << "a rename into a read-only folder is refused";
    EXPECT_FALSE(openedEarlier->setStringValue(u"logging_enabled", u"False"));
    EXPECT_EQ(readFile(path_), before);

    // A folder that cannot be created: its parent is a file.
    RegistryFile blocked(path_ + "/registry.reg");
    EXPECT_EQ(blocked.openKey(kKey, true), nullptr);
}

// One store reads the file many times in a start; whatever changes between two reads, by another process or by
// hand, the second read sees it, and a file that has become unsafe is refused again.
TEST_F(RegistryFileTest, EveryChangeBetweenTwoReadsIsSeen) {
    const std::string body = "[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n\"dexis_program\"=\"/opt/dexis/\"\r\n";
    struct Case {
        const char* change;
        std::function<void()> apply;
        std::u16string expected;
        std::string error;
    };
    const Case cases[] = {
        {"another process writes a value",
         [&] {
             RegistryFile other(path_);
             SettingsStore(other).writeSetting(u"dexis_program", u"/srv/dx/");
         },
         u"/srv/dx/", ""},
        {"replaced by a file of the same length",
         [&] {
             writeFile(path_ + ".new", readFile(path_).replace(readFile(path_).find("/opt/"), 5, "/usr/"));
             fs::rename(path_ + ".new", path_);
         },
         u"/usr/dexis/", ""},
        {"removed", [&] { fs::remove(path_); }, u"", ""},
        {"made writable by everyone", [&] { ::chmod(path_.c_str(), 0666); }, u"",
         "can be changed by other users (mode 0666)"},
        {"its folder made writable by everyone", [&] { ::chmod(folder_.c_str(), 0777); }, u"",
         "where other users can put a file of theirs in its place"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.change);
        fs::remove_all(folder_);
        seed(body);
        ::chmod(folder_.c_str(), 0700);
        ::chmod(path_.c_str(), 0600);
        RegistryFile file(path_);
        ASSERT_EQ(read(file, u"dexis_program"), u"/opt/dexis/");
        c.apply();
        const auto [value, error] = readOutcome(file, u"dexis_program");
        EXPECT_EQ(value, c.expected);
        if (c.error.empty()) {
            EXPECT_EQ(error, "");
        } else {
            EXPECT_NE(error.find(c.error), std::string::npos) << error;
        }
    }
}

TEST_F(RegistryFileTest, ValuesAreListedInFileOrderAndTypedValuesAreWrittenTogether) {
    seed("[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n\"b\"=\"1\"\r\n\"a\"=dword:00000002\r\n@=\"default\"\r\n");
    RegistryFile file(path_);
    auto key = file.openKey(kKey, false);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->valueNames(), (std::vector<std::u16string>{u"b", u"a", u""}));

    key->setValues({{u"c", {RegType::Binary, {0, 0xFF}}}, {u"A", {RegType::Sz, platform::stringValueData(u"x")}}});
    EXPECT_EQ(key->valueNames(), (std::vector<std::u16string>{u"b", u"a", u"", u"c"})) << "the holder sees its writes";
    auto reopened = file.openKey(kKey, false);
    EXPECT_EQ(reopened->valueNames(), (std::vector<std::u16string>{u"b", u"a", u"", u"c"}));
    EXPECT_EQ(reopened->queryValue(u"c")->data, (std::vector<std::uint8_t>{0, 0xFF}));
    EXPECT_EQ(read(file, u"a"), u"x");

    // One value that cannot be written stops them all.
    const std::string before = readFile(path_);
    EXPECT_THROW(key->setValues({{u"d", {RegType::Sz, platform::stringValueData(u"1")}},
                                 {u"bad\nname", {RegType::Sz, platform::stringValueData(u"2")}}}),
                 Error);
    EXPECT_EQ(readFile(path_), before);
}

TEST_F(RegistryFileTest, AReadOnlyFileStillShowsItsValuesToAReaderAndRefusesTypedWritesWithTheReason) {
    seed("[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n\"server_ip\"=\"10.0.0.5\"\r\n");
    const std::string before = readFile(path_);
    RegistryFile file(path_);
    auto writer = file.openKey(kKey, false);
    ASSERT_NE(writer, nullptr);
    ::chmod(path_.c_str(), 0400);
    auto reader = file.openKeyToRead(kKey);
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->valueNames(), std::vector<std::u16string>{u"server_ip"});
    EXPECT_EQ(file.openKeyToRead(kKey + u"\\Missing"), nullptr);
    try {
        writer->setValues({{u"server_ip", {RegType::Sz, platform::stringValueData(u"new")}}});
        ADD_FAILURE() << "wrote a read-only file";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "Settings file " + path_ + " cannot be written: Permission denied");
    }
    EXPECT_EQ(readFile(path_), before);
}

TEST_F(RegistryFileTest, ABrokenFileIsReportedWithItsLineAndNeverOverwritten) {
    seed("[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n\"a\"=\"1\"\r\n");
    RegistryFile file(path_);
    auto key = file.openKey(kKey, true);
    ASSERT_NE(key, nullptr);
    const std::string broken =
        "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n"
        "\"a\"=\"1\"\r\nserver_ip=10.0.0.1\r\n";
    writeFile(path_, broken);
    const std::string expected = "Settings file " + path_ + ", line 5: expected \"name\"=value";
    const std::function<void()> operations[] = {
        [&] { file.openKey(kKey, true); },
        [&] { file.openKey(kKey, false); },
        [&] { key->setStringValue(u"a", u"2"); },
        [&] { SettingsStore(file).writeSetting(u"b", u"3"); },
    };
    for (const auto& operation : operations) {
        try {
            operation();
            ADD_FAILURE() << "a broken file was accepted";
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), expected);
        }
    }
    EXPECT_EQ(readFile(path_), broken);
    // A key opened before the file broke shows the values as they stood when it was opened.
    const auto before = key->queryValue(u"a");
    ASSERT_TRUE(before);
    EXPECT_EQ(before->data, platform::stringValueData(u"1"));
}

TEST_F(RegistryFileTest, AnEmptyFileIsAnEmptyStore) {
    seed("");
    writeFile(path_, "");
    RegistryFile file(path_);
    EXPECT_EQ(file.openKey(kKey, false), nullptr);
    SettingsStore(file).writeSetting(u"a", u"1");
    EXPECT_EQ(read(file, u"a"), u"1");
}

TEST_F(RegistryFileTest, AFileFromRegeditInUtf16IsReadAndRewrittenAsUtf8) {
    fs::create_directories(folder_);
    writeFile(path_, utf16le(u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n"
                             u"\"receipt_printer\"=\"Caisse \u00e9t\u00e9\"\r\n\r\n"));
    RegistryFile file(path_);
    EXPECT_EQ(read(file, u"receipt_printer"), u"Caisse \u00e9t\u00e9");
    SettingsStore(file).writeSetting(u"appt_type", u"Normal");
    EXPECT_EQ(readFile(path_),
              "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n"
              "\"receipt_printer\"=\"Caisse \xC3\xA9t\xC3\xA9\"\r\n\"appt_type\"=\"Normal\"\r\n\r\n");
}

TEST_F(RegistryFileTest, ALinkedFileKeepsItsLinkAndTheTargetsModeAndLocksBesideTheTarget) {
    const std::string managed = root_ + "/managed";
    fs::create_directories(managed);
    fs::create_directories(folder_);
    struct Case {
        const char* what;
        std::string linkTarget;  // as written in the link
        std::string real;        // the file that must receive the write
        bool exists;
    };
    const Case cases[] = {
        {"absolute link", managed + "/absolute.reg", managed + "/absolute.reg", true},
        {"relative link", "../../managed/relative.reg", managed + "/relative.reg", true},
        {"link to a file not made yet", managed + "/later.reg", managed + "/later.reg", false},
        {"link to a link", root_ + "/hop.reg", managed + "/chained.reg", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(path_);
        fs::remove(root_ + "/hop.reg");
        if (c.linkTarget == root_ + "/hop.reg") fs::create_symlink(c.real, root_ + "/hop.reg");
        if (c.exists) {
            writeFile(c.real, "Windows Registry Editor Version 5.00\r\n");
            ::chmod(c.real.c_str(), 0644);  // a managed copy others may read
        }
        fs::create_symlink(c.linkTarget, path_);
        RegistryFile file(path_);
        SettingsStore(file).writeSetting(u"a", u"1");
        EXPECT_TRUE(fs::is_symlink(path_));
        EXPECT_NE(readFile(c.real).find("\"a\"=\"1\""), std::string::npos);
        EXPECT_EQ(read(file, u"a"), u"1");
        EXPECT_EQ(modeOf(c.real), c.exists ? 0644u : 0600u);
        EXPECT_TRUE(fs::exists(c.real + ".lock")) << "one lock for every link to the managed file";
        fs::remove(c.real + ".lock");
    }
    EXPECT_EQ(filesIn(folder_), std::vector<std::string>{"registry.reg"}) << "nothing beside the link";
}

// A settings file, or the file its link leads to, that another user could change names programs this user would
// start: it is not read at all, so nothing it names runs. Needs root to hand files to other accounts.
TEST_F(RegistryFileTest, SettingsThatAnotherUserControlsAreNotUsed) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to give files to other accounts";
    const std::string elsewhere = root_ + "/elsewhere";
    struct Case {
        const char* what;
        unsigned fileMode;
        uid_t fileOwner;
        gid_t fileGroup;
        unsigned folderMode;  // of the folder the link leads to
        std::string error;    // empty: read as usual
    };
    const std::string notUsed = ": another user could make it start programs of theirs, so it is not used";
    const std::string label = "Settings file " + path_;
    const Case cases[] = {
        {"the user's own file", 0600, 0, 0, 0755, ""},
        {"a managed copy others may read", 0644, 0, 0, 0755, ""},
        {"in a sticky shared folder", 0600, 0, 0, 01777, ""},
        {"another user's file", 0644, 4321, 0, 0755, label + " belongs to user 4321" + notUsed},
        {"writable by everyone", 0666, 0, 0, 0755,
         label + " can be changed by other users (mode 0666)" + notUsed + "; make it writable by its owner only"},
        {"writable by a group of others", 0664, 0, 4321, 0755,
         label + " can be changed by other users (mode 0664)" + notUsed + "; make it writable by its owner only"},
        {"in a folder everyone may write", 0600, 0, 0, 0777,
         label + " is in " + elsewhere + ", where other users can put a file of theirs in its place" + notUsed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(elsewhere);
        fs::remove(path_);
        fs::create_directories(folder_);
        fs::create_directories(elsewhere);
        const std::string real = elsewhere + "/registry.reg";
        writeFile(real, "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n"
                        "\"dexis_program\"=\"/opt/dexis/\"\r\n");
        ASSERT_EQ(::chown(real.c_str(), c.fileOwner, c.fileGroup), 0);
        ASSERT_EQ(::chmod(real.c_str(), c.fileMode), 0);
        ASSERT_EQ(::chmod(elsewhere.c_str(), c.folderMode), 0);
        fs::create_symlink(real, path_);
        RegistryFile file(path_);
        const auto [value, error] = readOutcome(file, u"dexis_program");
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(value, c.error.empty() ? u"/opt/dexis/" : u"");
    }
    // The file itself, without a link, is held to the same rule.
    fs::remove(path_);
    writeFile(path_, "Windows Registry Editor Version 5.00\r\n");
    ::chmod(path_.c_str(), 0646);
    RegistryFile file(path_);
    EXPECT_THROW(read(file, u"dexis_program"), Error);
}

TEST(DefaultRegistryFilePath, FollowsTheXdgConfigFolder) {
    struct Case {
        const char* xdg;
        const char* home;
        std::string expected;
    };
    const Case cases[] = {
        {"/x/config", "/home/u", "/x/config/veltrane-client-tools/registry.reg"},
        {nullptr, "/home/u", "/home/u/.config/veltrane-client-tools/registry.reg"},
        {"", "/home/u", "/home/u/.config/veltrane-client-tools/registry.reg"},
        {"relative/config", "/home/u", "/home/u/.config/veltrane-client-tools/registry.reg"},
    };
    const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
    const char* oldHome = std::getenv("HOME");
    const std::string savedXdg = oldXdg ? oldXdg : "";
    const std::string savedHome = oldHome ? oldHome : "";
    for (const auto& c : cases) {
        if (c.xdg)
            ::setenv("XDG_CONFIG_HOME", c.xdg, 1);
        else
            ::unsetenv("XDG_CONFIG_HOME");
        ::setenv("HOME", c.home, 1);
        EXPECT_EQ(defaultRegistryFilePath(), c.expected);
    }
    if (oldXdg)
        ::setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
    if (oldHome)
        ::setenv("HOME", savedHome.c_str(), 1);
    else
        ::unsetenv("HOME");
}

// Runs body in a child process and returns its exit status (0 = all went well).
int inChild(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        int code = 99;
        try {
            code = body();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "child failed: %s\n", e.what());
        }
        ::_exit(code);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST_F(RegistryFileTest, TwoProcessesWritingAtOnceLoseNothing) {
    constexpr int kEach = 500;
    RegistryFile file(path_);
    ASSERT_NE(file.openKey(kKey, true), nullptr);
    pid_t pids[2];
    for (int p = 0; p < 2; ++p) {
        pids[p] = ::fork();
        if (pids[p] == 0) {
            RegistryFile own(path_);
            int failures = 0;
            for (int i = 0; i < kEach; ++i) {
                auto key = own.openKey(kKey, true);
                const auto name = utf8ToUtf16("p" + std::to_string(p) + "_" + std::to_string(i));
                if (!key || !key->setStringValue(name, name + u" value")) ++failures;
            }
            ::_exit(failures == 0 ? 0 : 1);
        }
    }
    for (pid_t pid : pids) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    auto key = file.openKey(kKey, false);
    ASSERT_NE(key, nullptr);
    int present = 0;
    for (int p = 0; p < 2; ++p) {
        for (int i = 0; i < kEach; ++i) {
            const auto name = utf8ToUtf16("p" + std::to_string(p) + "_" + std::to_string(i));
            const auto v = key->queryValue(name);
            if (v && v->data == platform::stringValueData(name + u" value")) ++present;
        }
    }
    EXPECT_EQ(present, 2 * kEach);
}

TEST_F(RegistryFileTest, AWriterKilledMidWriteLeavesTheOldOrTheNewFile) {
    constexpr std::size_t kBig = 300000;
    RegistryFile file(path_);
    SettingsStore(file).writeSetting(u"fixed", u"stays");
    SettingsStore(file).writeSetting(u"big", std::u16string(kBig, u'a'));
    std::mt19937 random(12345);
    for (int round = 0; round < 12; ++round) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            RegistryFile own(path_);
            for (char16_t c = u'b';; c = c == u'z' ? u'b' : static_cast<char16_t>(c + 1)) {
                if (auto key = own.openKey(kKey, true)) key->setStringValue(u"big", std::u16string(kBig, c));
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5 + random() % 60));
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);

        auto key = file.openKey(kKey, false);
        ASSERT_NE(key, nullptr) << "round " << round;
        const auto big = key->queryValue(u"big");
        ASSERT_TRUE(big);
        const auto text = settings::valueText(big, u"big");
        ASSERT_EQ(text.size(), kBig);
        EXPECT_EQ(text.find_first_not_of(text[0]), std::u16string::npos) << "a mixed value in round " << round;
        EXPECT_EQ(settings::valueText(key->queryValue(u"fixed"), u"fixed"), u"stays");
    }
    // The killed writers' lock is gone with them, and the next write clears their temporary files.
    EXPECT_TRUE(file.openKey(kKey, true)->setStringValue(u"after", u"1"));
    EXPECT_EQ(filesIn(folder_), (std::vector<std::string>{"registry.reg", "registry.reg.lock"}));
}

// The write of a value that does not fit must be refused, leave the old file whole, and leave no debris.
int writeUntilFull(const std::string& path, const std::string& filler, std::size_t valueLength) {
    RegistryFile file(path);
    SettingsStore(file).writeSetting(u"server_ip", u"10.0.0.1");
    const std::string before = readFile(path);
    if (!filler.empty()) {
        std::ofstream out(filler, std::ios::binary);
        const std::string block(4096, 'x');
        while (out.write(block.data(), block.size())) {
        }
    }
    auto key = file.openKey(kKey, true);
    if (!key) return 2;
    if (key->setStringValue(u"big", std::u16string(valueLength, u'b'))) return 3;
    if (readFile(path) != before) return 4;
    for (const auto& name : filesIn(path.substr(0, path.rfind('/')))) {
        if (name.find(".tmp.") != std::string::npos) return 5;
    }
    if (!filler.empty()) {
        ::unlink(filler.c_str());
        if (!key->setStringValue(u"big", std::u16string(60000, u'c'))) return 6;
    }
    return 0;
}

TEST_F(RegistryFileTest, AFullDiskRefusesTheWriteAndKeepsTheOldFile) {
    const int status = inChild([&] {
        // A tiny file system of its own, in a private mount namespace so nothing outlives the child.
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return 77;
        fs::create_directories(folder_);
        if (::mount("tmpfs", folder_.c_str(), "tmpfs", 0, "size=128k,mode=0700") != 0) return 77;
        return writeUntilFull(path_, folder_ + "/filler", 8);
    });
    if (status == 77) GTEST_SKIP() << "mounting a tmpfs needs root";
    EXPECT_EQ(status, 0);
}

TEST_F(RegistryFileTest, AFileSizeLimitRefusesTheWriteAndKeepsTheOldFile) {
    const int status = inChild([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{16384, 16384};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 9;
        return writeUntilFull(path_, "", 200000);
    });
    EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace veltrane::platform::posix
