#include "linux/posix/posix_files.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
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
#include "support/error_text.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"

namespace veltrane::platform::posix {
namespace {

using veltrane::testing::errorText;
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
    return errorText([&] { files.appendToFile(wide(path), bytes); });
}

std::string writeError(PosixFiles& files, const std::string& path, const std::string& bytes = "line\r\n") {
    return errorText([&] { files.writeWholeFile(wide(path), bytes); });
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

TEST_F(PosixFilesTest, RootMakesTheLogForEveryUserToAppendToAndOnlyRootToRead) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root: the log belongs to root";
    const std::string log = dir.file("clienttools.log");
    files.appendToFile(wide(log), "first\r\n");
    EXPECT_EQ(modeOf(log), 0622u) << "despite the umask";
    for (uid_t user : {40001u, 40002u}) {
        const std::string result = runInChild([&] {
            becomeUser(user);
            PosixFiles childFiles;
            childFiles.appendToFile(wide(log), "from " + std::to_string(user) + "\r\n");
            // The lines name patients: a user may add to the log but not read it.
            const int fd = ::open(log.c_str(), O_RDONLY);
            return fd < 0 && errno == EACCES ? std::string("appended, not readable") : std::string("readable");
        });
        EXPECT_EQ(result, "appended, not readable") << "user " << user;
    }
    EXPECT_EQ(readFile(log), "first\r\nfrom 40001\r\nfrom 40002\r\n");
}

// Appends twice in a child whose standard error is captured; returns the error or "no error", then what was
// said on standard error.
std::string appendInChild(const std::string& log, uid_t user = 0) {
    return runInChild([&] {
        if (user != 0) becomeUser(user);
        char errPath[] = "/tmp/veltrane-stderr-XXXXXX";
        const int errFd = ::mkstemp(errPath);
        ::dup2(errFd, 2);
        // A FIFO that blocked the open would stop the child here; the alarm ends it instead.
        ::alarm(10);
        PosixFiles childFiles;
        std::string result = appendError(childFiles, log, "patient Anna Berg\r\n");
        appendError(childFiles, log, "patient Anna Berg\r\n");
        result += "|" + readFile(errPath);
        ::unlink(errPath);
        return result;
    });
}

TEST_F(PosixFilesTest, ALogAnotherUserCouldHavePlacedIsNeitherWrittenNorAnError) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to play the other user";
    constexpr uid_t kOther = 40001;
    const std::string target = dir.file("victims-file");
    writeFile(target, "untouched");
    ::chmod(target.c_str(), 0666);
    auto folder = [&](const std::string& name, mode_t mode, uid_t owner = 0) {
        return veltrane::testing::makeFolder(dir.file(name), mode, owner);
    };
    struct Case {
        const char* what;
        std::string log;
        const char* reason;
        uid_t user = 0;
    };
    std::vector<Case> cases;
    {
        const std::string f = folder("sticky-link", 01777);
        ::symlink(target.c_str(), (f + "/clienttools.log").c_str());
        ::lchown((f + "/clienttools.log").c_str(), kOther, kOther);
        cases.push_back({"a link planted in a sticky folder", f + "/clienttools.log", "is a symbolic link"});
    }
    {
        const std::string f = folder("sticky-file", 01777);
        writeFile(f + "/clienttools.log", "planted\r\n");
        ::chown((f + "/clienttools.log").c_str(), kOther, kOther);
        ::chmod((f + "/clienttools.log").c_str(), 0666);
        cases.push_back({"a file of another user", f + "/clienttools.log", "is not owned by root"});
    }
    {
        const std::string f = folder("fifo", 0755);
        ::mkfifo((f + "/clienttools.log").c_str(), 0666);
        cases.push_back({"a FIFO nobody reads", f + "/clienttools.log", "is a FIFO"});
    }
    {
        const std::string f = folder("folder-at-log", 0755);
        ::mkdir((f + "/clienttools.log").c_str(), 0755);
        cases.push_back({"a folder at the log's name", f + "/clienttools.log", "is not a regular file"});
    }
    {
        const std::string f = folder("readable", 0755);
        writeFile(f + "/clienttools.log", "");
        ::chmod((f + "/clienttools.log").c_str(), 0644);
        cases.push_back({"a log others can read", f + "/clienttools.log", "can be read by other users"});
    }
    {
        const std::string f = folder("others-folder", 0755, kOther);
        cases.push_back({"a folder another user made", f + "/clienttools.log", "is not owned by root"});
    }
    {
        const std::string f = folder("open-folder", 0777);
        cases.push_back({"a folder every user may change", f + "/clienttools.log", "can be changed by other users"});
    }
    {
        const std::string f = folder("not-installed", 0755);
        cases.push_back({"no log made at installation", f + "/clienttools.log", "does not exist", kOther});
    }
    {
        const std::string f = folder("root-only", 0755);
        writeFile(f + "/clienttools.log", "");
        ::chmod((f + "/clienttools.log").c_str(), 0600);
        cases.push_back({"a log this user may not write", f + "/clienttools.log", "may not be written", kOther});
    }
    cases.push_back({"the root folder", "/clienttools.log", "a folder of its own"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string result = appendInChild(c.log, c.user);
        const auto bar = result.find('|');
        ASSERT_NE(bar, std::string::npos) << result;
        EXPECT_EQ(result.substr(0, bar), "no error") << "the request must go on";
        const std::string said = result.substr(bar + 1);
        EXPECT_NE(said.find(c.reason), std::string::npos) << said;
        EXPECT_EQ(said.find("activity log is not written"), said.rfind("activity log is not written"))
            << "said once, not per line: " << said;
    }
    EXPECT_EQ(readFile(target), "untouched");
    EXPECT_EQ(readFile(dir.file("sticky-file/clienttools.log")), "planted\r\n");
    EXPECT_FALSE(std::filesystem::exists("/clienttools.log"));
}

TEST_F(PosixFilesTest, TwoProcessesAppendingAtOnceNeverMixTheirLines) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root: the log belongs to root";
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

TEST_F(PosixFilesTest, AnExchangeFileIsReplacedWholeAndANewOneIsTheOwnersOnly) {
    const std::string path = dir.file("patimport.txt");
    files.writeWholeFile(wide(path), std::string("a long first version\r\nwith two lines\r\n"));
    EXPECT_EQ(modeOf(path), 0600u) << "it holds a patient's details";
    // A reader that has the old file open keeps reading the old file whole.
    const int reader = ::open(path.c_str(), O_RDONLY);
    const std::string bytes("short\0\xFF\r\n", 9);
    files.writeWholeFile(wide(path), bytes);
    EXPECT_EQ(readFile(path), bytes);
    char old[64] = {};
    EXPECT_EQ(::read(reader, old, sizeof old), 38);
    ::close(reader);
    // A file the practice opened to others keeps its mode when it is replaced.
    ::chmod(path.c_str(), 0644);
    files.writeWholeFile(wide(path), "third\r\n");
    EXPECT_EQ(modeOf(path), 0644u);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        names.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(names, std::vector<std::string>{"patimport.txt"}) << "no temporary file is left behind";
}

TEST_F(PosixFilesTest, AnExchangeFileIsNeverWrittenThroughALinkFifoOrDevice) {
    const std::string target = dir.file("victims-file");
    writeFile(target, "untouched");
    const std::string link = dir.file("InfoFile.txt");
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    const std::string dangling = dir.file("patinfo.txt");
    ASSERT_EQ(::symlink(dir.file("would-be-created").c_str(), dangling.c_str()), 0);
    const std::string fifo = dir.file("sidexis.sdx");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    const std::string device = dir.file("ToiVIEW.txt");
    const bool haveDevice = ::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;  // /dev/null's numbers
    const std::string regular = dir.file("regular");
    writeFile(regular, "x");

    struct Case {
        const char* what;
        std::string path;
        const char* text;
    };
    std::vector<Case> cases = {
        {"a link to another file", link, "File access denied"},
        {"a link to nothing", dangling, "File access denied"},
        {"a FIFO", fifo, "File access denied"},
        {"folder missing", dir.file("no-such-folder/patimport.txt"), "File not found"},
        {"a file where the folder should be", regular + "/patimport.txt", "File not found"},
        {"the path is a folder", dir.path().string(), "Invalid filename"},
        {"the path ends with a delimiter", dir.path().string() + "/", "Invalid filename"},
        {"a name longer than the system allows", dir.file(std::string(300, 'n')), "Invalid filename"},
    };
    if (haveDevice) cases.push_back({"a device", device, "File access denied"});
    for (const Case& c : cases) {
        // In a child with an alarm: an open that blocked on the FIFO would otherwise hang the test run.
        const std::string result = runInChild([&] {
            ::alarm(10);
            PosixFiles childFiles;
            return writeError(childFiles, c.path, "patient Anna Berg\r\n");
        });
        EXPECT_EQ(result, c.text) << c.what;
    }
    EXPECT_EQ(readFile(target), "untouched");
    EXPECT_FALSE(std::filesystem::exists(dir.file("would-be-created")));
    EXPECT_TRUE(std::filesystem::is_symlink(link)) << "what was planted stays for the user to see";
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));

    for (const std::u16string& bad : {std::u16string(), wide(dir.file("a")) + u'\0' + u"b"}) {
        try {
            files.appendToFile(bad, "x");
            ADD_FAILURE() << "an unusable path was accepted";
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), "Invalid filename");
        }
        EXPECT_THROW(files.writeWholeFile(bad, "x"), Error);
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("a"))) << "a zero character must not cut the path short";
}

TEST_F(PosixFilesTest, FoldersAndFilesTheUserMayNotWrite) {
    const std::string locked = dir.file("locked");
    ASSERT_EQ(::mkdir(locked.c_str(), 0755), 0);
    const std::string existing = locked + "/existing.txt";
    writeFile(existing, "root's\r\n");
    ::chmod(existing.c_str(), 0644);
    // The user's own file in a folder that takes no new file: rewritten in place.
    const std::string mine = locked + "/mine.txt";
    writeFile(mine, "old\r\n");
    ASSERT_EQ(::chown(mine.c_str(), 65534, 65534), 0);
    // Another account's file opened to all, where it cannot be replaced: never written, since the patient would
    // then sit in a file that account owns.
    const std::string open = locked + "/open.txt";
    writeFile(open, "old\r\n");
    ::chmod(open.c_str(), 0666);
    // A folder several accounts share, holding another account's file they opened to all: a file of the user's
    // own, readable by nobody else, takes its place.
    const std::string shared = veltrane::testing::makeFolder(dir.file("shared"), 0777);
    const std::string others = shared + "/InfoFile.txt";
    writeFile(others, "old\r\n");
    ::chmod(others.c_str(), 0666);
    // A sticky shared folder lets nobody replace another account's file.
    const std::string sticky = veltrane::testing::makeFolder(dir.file("sticky"), 01777);
    const std::string planted = sticky + "/InfoFile.txt";
    writeFile(planted, "planted\r\n");
    ::chmod(planted.c_str(), 0666);
    const std::string result = runInChild([&] {
        becomeUser(65534);
        PosixFiles childFiles;
        return writeError(childFiles, locked + "/patimport.txt") + "|" + writeError(childFiles, existing) + "|" +
               writeError(childFiles, mine, "new\r\n") + "|" + writeError(childFiles, open, "new\r\n") + "|" +
               writeError(childFiles, others, "new\r\n") + "|" + writeError(childFiles, planted, "new\r\n");
    });
    const std::string refused = ", and its folder does not let it be replaced by a file of this user's own";
    EXPECT_EQ(result, "File access denied|File access denied\n" + existing + " belongs to user root" + refused +
                          "|no error|File access denied\n" + open +
                          " belongs to user root" + refused + "|no error|File access denied\n" + planted +
                          " belongs to user root" + refused);
    EXPECT_EQ(readFile(existing), "root's\r\n");
    EXPECT_EQ(readFile(mine), "new\r\n");
    EXPECT_EQ(readFile(open), "old\r\n");
    EXPECT_EQ(readFile(others), "new\r\n");
    EXPECT_EQ(modeOf(others), 0600u) << "the other account can no longer read it";
    struct stat st {};
    ASSERT_EQ(::stat(others.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(readFile(planted), "planted\r\n");
    EXPECT_EQ(modeOf(planted), 0666u);
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
    if (::geteuid() != 0) GTEST_SKIP() << "needs root: the log belongs to root";
    const std::string path = dir.file("limited.txt");
    // A log already at the limit.
    const std::string log = dir.file("clienttools.log");
    writeFile(log, std::string(4096, 'l'));
    ::chmod(log.c_str(), 0622);
    const std::string result = runInChild([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        PosixFiles childFiles;
        // The whole-file write stops at the limit; the append then starts at it.
        const std::string written = writeError(childFiles, path, std::string(4097, 'z'));
        return written + "|" + appendError(childFiles, log, std::string(10, 'z'));
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
