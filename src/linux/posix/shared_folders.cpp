#include "linux/posix/shared_folders.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <deque>

#include "base/text.h"

namespace veltrane::platform::posix {

namespace {

// Link targets are followed by hand, so this bounds a loop of links as the kernel does.
constexpr int kMaxLinks = 40;

void splitInto(std::deque<std::string>& parts, const std::string& path) {
    std::deque<std::string> found;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        if (end > start) found.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    parts.insert(parts.begin(), found.begin(), found.end());
}

std::string joined(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

// Another user could replace what lies in a folder they may write to, unless the folder is sticky (then they
// may only remove their own entries).
bool trustedFolder(int fd, const std::string& name, std::string& why) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        why = name + ": " + std::strerror(errno);
        return false;
    }
    if (st.st_uid != 0) {
        why = name + " is not owned by root";
        return false;
    }
    // Group root holds only root's own accounts, so its write permission lets nobody else in.
    const bool othersMayWrite = (st.st_mode & S_IWOTH) != 0 || ((st.st_mode & S_IWGRP) != 0 && st.st_gid != 0);
    if (othersMayWrite && (st.st_mode & S_ISVTX) == 0) {
        why = name + " can be changed by other users";
        return false;
    }
    return true;
}

}  // namespace

std::u16string SharedFolders::folderPath(int folder) {
    if (folder != kCommonDocuments) return {};
    const char* configured = std::getenv("VELTRANE_SHARED_DIR");
    std::string path = configured == nullptr || *configured == '\0' ? kDefaultSharedFolder : configured;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return utf8ToUtf16(path);
}

int openTrustedFolder(const std::string& folder, std::string& why) {
    if (folder.empty() || folder.front() != '/') {
        why = "\"" + folder + "\" is not an absolute path";
        errno = 0;
        return -1;
    }
    std::deque<std::string> todo;
    splitInto(todo, folder);
    if (todo.empty()) {
        why = "the log needs a folder of its own, not /";
        errno = 0;
        return -1;
    }
    int fd = ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
    std::string walked = "/";
    if (fd < 0) {
        why = std::string("/: ") + std::strerror(errno);
        return -1;
    }
    if (!trustedFolder(fd, walked, why)) {
        ::close(fd);
        errno = 0;
        return -1;
    }
    auto fail = [&](std::string reason, int error = 0) {
        ::close(fd);
        why = std::move(reason);
        errno = error;
        return -1;
    };
    int links = 0;
    while (!todo.empty()) {
        const std::string part = todo.front();
        todo.pop_front();
        if (part == ".") continue;
        if (part == "..") return fail(folder + " goes up with \"..\"");
        const std::string next = joined(walked, part);
        const int child = ::openat(fd, part.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (child < 0) {
            const int error = errno;
            struct stat st {};
            if ((error == ELOOP || error == ENOTDIR) && ::fstatat(fd, part.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISLNK(st.st_mode)) {
                // A link in a folder only root may change could only have been made by root.
                if (st.st_uid != 0) return fail(next + " is a symbolic link not owned by root");
                if (++links > kMaxLinks) return fail(folder + ": " + std::strerror(ELOOP));
                std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
                const ssize_t n = ::readlinkat(fd, part.c_str(), target.data(), target.size());
                if (n < 0 || static_cast<std::size_t>(n) >= target.size()) return fail(next + ": link changed");
                target.resize(static_cast<std::size_t>(n));
                splitInto(todo, target);
                if (!target.empty() && target.front() == '/') {
                    ::close(fd);
                    fd = ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
                    walked = "/";
                    if (fd < 0) {
                        why = std::string("/: ") + std::strerror(errno);
                        return -1;
                    }
                }
                continue;
            }
            if (error == ENOTDIR) return fail(next + " is not a folder");
            return fail(next + ": " + std::strerror(error), error);
        }
        ::close(fd);
        fd = child;
        walked = next;
        if (!trustedFolder(fd, walked, why)) {
            ::close(fd);
            errno = 0;
            return -1;
        }
    }
    return fd;
}

}  // namespace veltrane::platform::posix
