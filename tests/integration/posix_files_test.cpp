#include "platform/posix/posix_files.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/text.h"
#include "posix_test_support.h"

namespace veltrane::platform::posix {
namespace {

using veltrane::testing::readFile;
using veltrane::testing::runInChild;
using veltrane::testing::TempDir;
using veltrane::testing::writeFile;

std::u16string wide(const std::string& path) { return utf8ToUtf16(path); }

mode_t modeOf(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

// Becomes an unprivileged user for the rest of the (child) process, so permission bits apply.
void becomeUser(uid_t uid) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(uid) != 0 || ::setuid(uid) != 0) {
        throw std::runtime_error("cannot drop privileges");
    }
}

std::string appendError(PosixFiles& files, const std::string& path, const std::string& bytes = "line\r\n") {
    try {
        files.appendToFile(wide(path), bytes);
    } catch (const Error& e) {
        return e.what();
    }
    return "no error";
}

std::string writeError(PosixFiles& files, const std::string& path, const std::string& bytes = "line\r\n") {
    try {
        files.writeWholeFile(wide(path), bytes);
    } catch (const Error& e) {
        return e.what();
    }
    return "no error";
}

class PosixFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        oldMask_ = ::umask(022);
        // Children that drop privileges must reach the folder.
        ::chmod(dir.path().c_str(), 0755);
    }
    void TearDown() override { ::umask(oldMask_); }

    TempDir dir;
    PosixFiles files;

private:
    mode_t oldMask_ = 022;
};

TEST_F(PosixFilesTest, AppendCreatesAFileEveryUserMayAppendTo) {
    const std::string log = dir.file("clienttools.log");
    files.appendToFile(wide(log), "first\r\n");
    EXPECT_EQ(modeOf(log), 0666u) << "despite the umask";
    files.appendToFile(wide(log), "second\r\n");
    EXPECT_EQ(readFile(log), "first\r\nsecond\r\n");
}

TEST_F(PosixFilesTest, UsersAppendToEachOthersLogInAStickyFolder) {
    const std::string shared = dir.file("shared");
    ASSERT_EQ(::mkdir(shared.c_str(), 0), 0);
    ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
    const std::string log = shared + "/clienttools.log";
    for (uid_t user : {40001u, 40002u}) {
        const std::string result = runInChild([&] {
            becomeUser(user);
            PosixFiles childFiles;
            childFiles.appendToFile(wide(log), "from " + std::to_string(user) + "\r\n");
            return std::string("ok");
        });
        EXPECT_EQ(result, "ok") << "user " << user;
    }
    EXPECT_EQ(readFile(log), "from 40001\r\nfrom 40002\r\n");
}

TEST_F(PosixFilesTest, TwoProcessesAppendingAtOnceNeverMixTheirLines) {
    const std::string log = dir.file("clienttools.log");
    constexpr int kLines = 500;
    auto lineOf = [](int writer, int i) {
        return std::to_string(writer) + ":" + std::to_string(i) + ":" +
               std::string(90, static_cast<char>('a' + writer)) + "\r\n";
    };
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    std::vector<pid_t> children;
    for (int writer = 0; writer < 2; ++writer) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(go[1]);
            char start;
            (void)::read(go[0], &start, 1);  // both start together when the parent closes the pipe
            PosixFiles childFiles;
            try {
                for (int i = 0; i < kLines; ++i) childFiles.appendToFile(wide(log), lineOf(writer, i));
            } catch (...) {
                ::_exit(1);
            }
            ::_exit(0);
        }
        children.push_back(pid);
    }
    ::close(go[0]);
    ::close(go[1]);
    for (pid_t pid : children) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    std::map<std::string, int> seen;
    const std::string content = readFile(log);
    std::size_t pos = 0;
    while (pos < content.size()) {
        const std::size_t end = content.find("\r\n", pos);
        ASSERT_NE(end, std::string::npos) << "the file ends inside a line";
        ++seen[content.substr(pos, end + 2 - pos)];
        pos = end + 2;
    }
    EXPECT_EQ(seen.size(), 2u * kLines);
    for (int writer = 0; writer < 2; ++writer) {
        for (int i = 0; i < kLines; ++i) EXPECT_EQ(seen[lineOf(writer, i)], 1) << writer << ":" << i;
    }
}

TEST_F(PosixFilesTest, WriteWholeFileCreatesOrTruncates) {
    const std::string path = dir.file("patimport.txt");
    files.writeWholeFile(wide(path), std::string("a long first version\r\nwith two lines\r\n"));
    EXPECT_EQ(modeOf(path), 0644u) << "0666 less the umask";
    const std::string bytes("short\0\xFF\r\n", 9);
    files.writeWholeFile(wide(path), bytes);
    EXPECT_EQ(readFile(path), bytes);
}

TEST_F(PosixFilesTest, PathErrorsGiveTheFileTexts) {
    const std::string regular = dir.file("regular");
    writeFile(regular, "x");
    const std::string target = dir.file("target");
    writeFile(target, "untouched");
    const std::string link = dir.file("link.log");
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    const std::string fifo = dir.file("fifo.log");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);

    struct Case {
        const char* what;
        std::string path;
        const char* appendText;
        const char* writeText;
    };
    const Case cases[] = {
        {"folder missing", dir.file("no-such-folder/clienttools.log"), "File not found", "File not found"},
        {"a file where the folder should be", regular + "/clienttools.log", "File not found", "File not found"},
        {"the path is a folder", dir.path().string(), "Invalid filename", "Invalid filename"},
        {"a name longer than the system allows", dir.file(std::string(300, 'n')), "Invalid filename",
         "Invalid filename"},
        {"a link at the log's place is refused", link, "File access denied", "no error"},
        {"a FIFO at the log's place neither blocks nor is written", fifo, "File access denied", nullptr},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(appendError(files, c.path), c.appendText) << c.what;
        if (c.writeText != nullptr) {
            EXPECT_EQ(writeError(files, c.path), c.writeText) << c.what;
        }
    }
    EXPECT_EQ(readFile(target), "line\r\n") << "an exchange file may be a link the user made; the log may not";

    for (const std::u16string& bad : {std::u16string(), wide(dir.file("a")) + u'\0' + u"b"}) {
        EXPECT_THROW(files.appendToFile(bad, "x"), Error);
        EXPECT_THROW(files.writeWholeFile(bad, "x"), Error);
        try {
            files.appendToFile(bad, "x");
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), "Invalid filename");
        }
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("a"))) << "a zero character must not cut the path short";
}

TEST_F(PosixFilesTest, AFolderTheUserMayNotWriteGivesFileAccessDenied) {
    const std::string locked = dir.file("locked");
    ASSERT_EQ(::mkdir(locked.c_str(), 0755), 0);
    const std::string existing = locked + "/existing.log";
    writeFile(existing, "root's\r\n");
    ::chmod(existing.c_str(), 0644);
    const std::string result = runInChild([&] {
        becomeUser(65534);
        PosixFiles childFiles;
        return appendError(childFiles, locked + "/clienttools.log") + "|" + appendError(childFiles, existing) + "|" +
               writeError(childFiles, locked + "/patimport.txt");
    });
    EXPECT_EQ(result, "File access denied|File access denied|File access denied");
    EXPECT_EQ(readFile(existing), "root's\r\n");
}

TEST_F(PosixFilesTest, AReadOnlyFileSystemGivesFileAccessDenied) {
    const std::string mountPoint = dir.file("readonly");
    ASSERT_EQ(::mkdir(mountPoint.c_str(), 0755), 0);
    const std::string result = runInChild([&] {
        // A private mount namespace: the mount disappears with the child.
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", mountPoint.c_str(), "tmpfs", MS_RDONLY, "size=64k") != 0) {
            return std::string("skip: cannot mount here: ") + std::strerror(errno);
        }
        PosixFiles childFiles;
        return appendError(childFiles, mountPoint + "/clienttools.log") + "|" +
               writeError(childFiles, mountPoint + "/patimport.txt");
    });
    if (result.starts_with("skip:")) GTEST_SKIP() << result;
    EXPECT_EQ(result, "File access denied|File access denied");
}

TEST_F(PosixFilesTest, AFullDiskGivesDiskFull) {
    const std::string mountPoint = dir.file("small");
    ASSERT_EQ(::mkdir(mountPoint.c_str(), 0755), 0);
    const std::string result = runInChild([&] {
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=64k") != 0) {
            return std::string("skip: cannot mount here: ") + std::strerror(errno);
        }
        PosixFiles childFiles;
        const std::string line(1000, 'x');
        std::string appendResult = "no error";
        for (int i = 0; i < 200 && appendResult == "no error"; ++i) {
            appendResult = appendError(childFiles, mountPoint + "/clienttools.log", line);
        }
        return appendResult + "|" + writeError(childFiles, mountPoint + "/big.txt", std::string(256 * 1024, 'y'));
    });
    if (result.starts_with("skip:")) GTEST_SKIP() << result;
    EXPECT_EQ(result, "Disk full|Disk full");
}

TEST_F(PosixFilesTest, AFileSizeLimitGivesDiskFull) {
    const std::string path = dir.file("limited.txt");
    const std::string result = runInChild([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        PosixFiles childFiles;
        // The whole-file write stops at the limit; the append then starts at it.
        const std::string written = writeError(childFiles, path, std::string(4097, 'z'));
        return written + "|" + appendError(childFiles, path, std::string(10, 'z'));
    });
    EXPECT_EQ(result, "Disk full|Disk full");
}

TEST_F(PosixFilesTest, RunningOutOfDescriptorsGivesTooManyOpenFiles) {
    const std::string path = dir.file("clienttools.log");
    const std::string result = runInChild([&] {
        const rlimit limit{64, 64};
        ::setrlimit(RLIMIT_NOFILE, &limit);
        while (::open("/dev/null", O_RDONLY) >= 0) {
        }
        PosixFiles childFiles;
        return appendError(childFiles, path) + "|" + writeError(childFiles, path);
    });
    EXPECT_EQ(result, "Too many open files|Too many open files");
}

TEST(FileErrorText, MapsErrnoValuesTheTestsCannotProvoke) {
    const std::pair<int, const char*> cases[] = {
        {ENFILE, "Too many open files"}, {EPERM, "File access denied"}, {ETXTBSY, "File access denied"},
        {EDQUOT, "Disk full"},           {EINVAL, "Invalid filename"},  {EIO, "I/O error 5"},
        {ENXIO, "I/O error 6"},
    };
    for (const auto& [error, text] : cases) EXPECT_EQ(fileErrorText(error), text) << error;
}

}  // namespace
}  // namespace veltrane::platform::posix
