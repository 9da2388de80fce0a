#include "platform/posix/shared_folders.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <string>

#include "base/text.h"
#include "platform/posix/system_info.h"
#include "posix_test_support.h"

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
    void SetUp() override { oldMask_ = ::umask(022); }
    void TearDown() override { ::umask(oldMask_); }

    TempDir dir;
    SharedFolders folders;

private:
    mode_t oldMask_ = 022;
};

TEST_F(SharedFoldersTest, CreatesTheConfiguredFolderForEveryUser) {
    const std::string shared = dir.file("shared");
    ScopedEnv configured("VELTRANE_SHARED_DIR", (shared + "//").c_str());
    EXPECT_EQ(folders.folderPath(kCommonDocuments), utf8ToUtf16(shared)) << "no trailing delimiter";
    const mode_t mode = modeOf(shared);
    EXPECT_TRUE(S_ISDIR(mode));
    EXPECT_EQ(mode & 07777, 01777u) << "sticky and writable by all, despite the umask";
    // Asking again finds the folder that is there.
    EXPECT_EQ(folders.folderPath(kCommonDocuments), utf8ToUtf16(shared));
}

TEST_F(SharedFoldersTest, NotFoundCases) {
    const std::string file = dir.file("a-file");
    writeFile(file, "x");
    const std::string cases[] = {
        file,                               // something other than a folder is in its place
        dir.file("missing-parent/shared"),  // cannot be created
    };
    for (const std::string& path : cases) {
        ScopedEnv configured("VELTRANE_SHARED_DIR", path.c_str());
        EXPECT_EQ(folders.folderPath(kCommonDocuments), u"") << path;
    }
    ScopedEnv configured("VELTRANE_SHARED_DIR", dir.file("shared").c_str());
    for (int other : {0x05, 0x1A, 0x23, 0x2F, -1}) EXPECT_EQ(folders.folderPath(other), u"") << other;
}

TEST_F(SharedFoldersTest, AConfiguredLinkToAFolderIsAccepted) {
    const std::string real = dir.file("real");
    ASSERT_EQ(::mkdir(real.c_str(), 0755), 0);
    const std::string link = dir.file("link");
    ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);
    ScopedEnv configured("VELTRANE_SHARED_DIR", link.c_str());
    EXPECT_EQ(folders.folderPath(kCommonDocuments), utf8ToUtf16(link));
}

TEST_F(SharedFoldersTest, TheDefaultFolderIsUnderVarTmp) {
    ScopedEnv unset("VELTRANE_SHARED_DIR", nullptr);
    const std::u16string path = folders.folderPath(kCommonDocuments);
    ASSERT_EQ(path, u"/var/tmp/veltrane-client-tools");
    const mode_t mode = modeOf(kDefaultSharedFolder);
    EXPECT_TRUE(S_ISDIR(mode));
    EXPECT_TRUE(mode & S_ISVTX);
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
