#include "linux/posix/shared_folders.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <string>

#include "base/text.h"
#include "linux/posix/posix_system_info.h"
#include "posix_test_support.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"

namespace veltrane::platform::posix {
namespace {

using veltrane::testing::ScopedEnv;
using veltrane::testing::TempDir;
using veltrane::testing::writeFile;

mode_t modeOf(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return 0;
    return info.st_mode;
}

class SharedFoldersTest : public ::testing::Test {
protected:
    TempDir dir;
    SharedFolders folders;
};

TEST_F(SharedFoldersTest, NamesTheConfiguredOrDefaultFolderAndMakesNothing) {
    const std::string shared = dir.file("shared");
    {
        ScopedEnv configured("VELTRANE_SHARED_DIR", (shared + "//").c_str());
        EXPECT_EQ(folders.folderPath(kCommonDocuments), utf8ToUtf16(shared)) << "no trailing delimiter";
        EXPECT_EQ(modeOf(shared), 0u) << "the folder is made at installation, not by whoever runs first";
        for (int other : {0x05, 0x1A, 0x23, 0x2F, -1}) EXPECT_EQ(folders.folderPath(other), u"") << other;
    }
    for (const char* unset : {static_cast<const char*>(nullptr), ""}) {
        ScopedEnv configured("VELTRANE_SHARED_DIR", unset);
        EXPECT_EQ(folders.folderPath(kCommonDocuments), u"/var/log/veltrane-client-tools");
    }
}

TEST_F(SharedFoldersTest, OnlyAFolderNobodyButRootCouldHaveReplacedIsTrusted) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to make folders of root's and of another user";
    constexpr uid_t kOther = 40001;
    ::chmod(dir.path().c_str(), 0755);
    auto make = [&](const std::string& name, mode_t mode, uid_t owner = 0) {
        return veltrane::testing::makeFolder(dir.file(name), mode, owner);
    };
    auto link = [&](const std::string& target, const std::string& name, uid_t owner = 0) {
        const std::string path = dir.file(name);
        ::symlink(target.c_str(), path.c_str());
        ::lchown(path.c_str(), owner, owner);
        return path;
    };
    const std::string plain = make("plain", 0755);
    const std::string open = make("open", 0777);
    const std::string inOpen = make("open/inner", 0755);
    make("sticky", 01777);
    const std::string inSticky = make("sticky/inner", 0755);
    const std::string others = make("others", 0755, kOther);
    const std::string groupWritable = make("group", 0775);
    ::chown(groupWritable.c_str(), 0, kOther);
    const std::string rootGroupWritable = make("root-group", 0775);
    writeFile(dir.file("a-file"), "x");
    struct Case {
        const char* what;
        std::string folder;
        const char* why;  // nullptr: trusted
    };
    const Case cases[] = {
        {"root's folder", plain, nullptr},
        {"root's folder in a sticky folder", inSticky, nullptr},
        {"a link of root's to it", link(plain, "root-link"), nullptr},
        {"a relative link of root's", link("plain", "relative-link"), nullptr},
        {"a trailing . part", plain + "/.", nullptr},
        {"writable by every user", open, "can be changed by other users"},
        {"writable by its group", groupWritable, "can be changed by other users"},
        {"writable by group root", rootGroupWritable, nullptr},
        {"in a folder every user may change", inOpen, "open can be changed by other users"},
        {"another user's folder", others, "is not owned by root"},
        {"another user's link to root's folder", link(plain, "others-link", kOther), "symbolic link not owned by root"},
        {"not there", dir.file("missing"), "No such file or directory"},
        {"a file", dir.file("a-file"), "is not a folder"},
        {"going up", plain + "/../plain", "goes up"},
        {"relative", "var/log", "is not an absolute path"},
        {"the root folder", "/", "a folder of its own"},
    };
    for (const Case& c : cases) {
        std::string why;
        const int fd = openTrustedFolder(c.folder, why);
        if (c.why == nullptr) {
            EXPECT_GE(fd, 0) << c.what << ": " << why;
        } else {
            EXPECT_LT(fd, 0) << c.what;
            EXPECT_NE(why.find(c.why), std::string::npos) << c.what << ": " << why;
        }
        if (fd >= 0) ::close(fd);
    }
}

TEST(PosixSystemInfo, ComputerNameLooksLikeAWindowsOne) {
    const std::pair<const char*, std::u16string> cases[] = {
        {"ws01.practice.lan", u"WS01"},
        {"Reception-PC", u"RECEPTION-PC"},
        {"surgery2", u"SURGERY2"},
        {"a-very-long-host-name-indeed", u"A-VERY-LONG-HOS"},  // NetBIOS names have at most 15 characters
        {".", u""},
        {"", u""},
    };
    for (const auto& [host, expected] : cases) EXPECT_EQ(computerNameFromHostName(host), expected) << host;

    char host[HOST_NAME_MAX + 1] = {};
    ASSERT_EQ(::gethostname(host, sizeof host - 1), 0);
    EXPECT_EQ(PosixSystemInfo().computerName(), computerNameFromHostName(host));
    EXPECT_FALSE(PosixSystemInfo().computerName().empty());
}

}  // namespace
}  // namespace veltrane::platform::posix
