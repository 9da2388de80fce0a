#include "linux/posix/posix_files.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "base/error.h"
#include "base/text.h"
#include "linux/posix/file_descriptor.h"
#include "linux/posix/shared_folders.h"

namespace veltrane::platform::posix {

namespace {

// How errno values become the platform's file error texts:
//
//   ENOENT, ENOTDIR                    File not found       (the file's folder does not exist)
//   ENAMETOOLONG, EINVAL, EISDIR,
//   an empty path or one holding a
//   zero character                     Invalid filename
//   EMFILE, ENFILE                     Too many open files
//   EACCES, EPERM, EROFS, ETXTBSY,
//   ELOOP                              File access denied   (ELOOP: a symbolic link we refuse to follow)
//   ENOSPC, EDQUOT, EFBIG              Disk full
//   anything else                      I/O error <errno>
[[noreturn]] void throwFileError(int error) { throw Error(fileErrorText(error)); }

std::string toNativePath(const std::u16string& path) {
    // A zero character would silently cut the path short at the system call.
    if (path.empty() || path.find(u'\0') != std::u16string::npos) throw Error(std::string(messages::kInvalidFilename));
    return utf16ToUtf8(path);
}

// Closes fd; a failing close (a delayed write error on a network file system) is reported like a failed write.
void closeChecked(int fd) {
    if (::close(fd) != 0 && errno != EINTR) throwFileError(errno);
}

void writeAndClose(int fd, const std::string& bytes) {
    try {
        if (const int error = writeAll(fd, bytes)) throwFileError(error);
    } catch (...) {
        ::close(fd);
        throw;
    }
    closeChecked(fd);
}

// O_NONBLOCK: a FIFO at the name must fail the open instead of waiting forever for a reader.
constexpr int kAppendFlags = O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;

struct SplitPath {
    std::string folder;
    std::string name;
};

SplitPath splitPath(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

// Not a regular file: a link (whose target we must not touch), a FIFO (which blocks or hands the patient to
// whoever reads it), a device or a socket. A folder keeps its own error text.
[[noreturn]] void throwNotRegular(mode_t mode) { throwFileError(S_ISDIR(mode) ? EISDIR : EACCES); }

// Temporary names that no imaging program looks for; made with O_EXCL, so nothing planted is reused.
int createTemporary(int folder, std::string& name) {
    static std::mt19937_64 random{std::random_device{}()};
    constexpr char kDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = ".veltrane-";
        for (int i = 0; i < 10; ++i) name += kDigits[random() % (sizeof kDigits - 1)];
        name += ".tmp";
        const int fd =
            ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0600);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

// For a folder that takes no new file but holds a file we may write: rewrite that file itself.
void rewriteInPlace(int folder, const std::string& name, const struct stat& expected, const std::string& bytes) {
    const int fd = ::openat(folder, name.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) throwFileError(errno == ENXIO ? EACCES : errno);
    FileDescriptor file(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0) throwFileError(errno);
    if (!S_ISREG(st.st_mode) || st.st_ino != expected.st_ino || st.st_dev != expected.st_dev) {
        throwNotRegular(st.st_mode);
    }
    if (::ftruncate(fd, 0) != 0) throwFileError(errno);
    writeAndClose(file.release(), bytes);
}

// A file another user left at an exchange name: writing the patient into it would leave the details with that
// user, so it is only ever replaced by a file of this user's own. Where the folder forbids that (a sticky shared
// folder), the bridge stops and says whose file stands in the way.
[[noreturn]] void throwOthersFile(const std::string& path, uid_t owner) {
    throw Error(std::string(messages::kFileAccessDenied) + "\n" + path + " belongs to " + userName(owner) +
                ", and its folder does not let it be replaced by a file of this user's own");
}

}  // namespace

std::string userName(uid_t uid) {
    struct passwd entry {};
    struct passwd* found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(uid, &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr) {
        return std::string("user ") + found->pw_name;
    }
    return "user " + std::to_string(uid);
}

std::string fileErrorText(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return std::string(messages::kFileNotFound);
        case ENAMETOOLONG:
        case EINVAL:
        case EISDIR:
            return std::string(messages::kInvalidFilename);
        case EMFILE:
        case ENFILE:
            return std::string(messages::kTooManyOpenFiles);
        case EACCES:
        case EPERM:
        case EROFS:
        case ETXTBSY:
        case ELOOP:
            return std::string(messages::kFileAccessDenied);
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return std::string(messages::kDiskFull);
        default:
            return formatMessage(messages::kIoError, std::to_string(error));
    }
}

void PosixFiles::reportUnusableLog(const std::string& what) {
    if (reported_) return;
    reported_ = true;
    std::fprintf(stderr,
                 "veltrane: the activity log is not written: %s. Its folder and clienttools.log must belong to root "
                 "(the package makes them; for a source build run packaging/setup-shared-log.sh as root).\n",
                 what.c_str());
}

// The shared log opened for appending when it may be used, else -1 and why not. Only root may make a missing
// log, and only when asked to (a check never changes the workstation).
int PosixFiles::openUsableLog(const std::u16string& path, bool mayCreate, std::string& why) {
    const std::string native = toNativePath(path);
    const SplitPath parts = splitPath(native);
    if (parts.name.empty()) throwFileError(EISDIR);
    const FileDescriptor folder(openTrustedFolder(parts.folder, why));
    if (folder.get() < 0) {
        // Running out of descriptors is this process's trouble, not the folder's.
        if (errno == EMFILE || errno == ENFILE || errno == ENOMEM) throwFileError(errno);
        return -1;
    }

    int fd = ::openat(folder.get(), parts.name.c_str(), kAppendFlags);
    if (fd < 0 && errno == ENOENT && mayCreate && ::geteuid() == 0) {
        // Root may make the log the installation would have made; nobody else can in root's folder.
        fd = ::openat(folder.get(), parts.name.c_str(), kAppendFlags | O_CREAT | O_EXCL, 0622);
        if (fd >= 0) {
            (void)::fchmod(fd, 0622);  // past the umask
        } else if (errno == EEXIST) {
            fd = ::openat(folder.get(), parts.name.c_str(), kAppendFlags);
        }
    }
    if (fd < 0) {
        switch (errno) {
            case ENOENT:
                why = native + " does not exist";
                return -1;
            case ELOOP:
                why = native + " is a symbolic link";
                return -1;
            case ENXIO:
                why = native + " is a FIFO";
                return -1;
            case EACCES:
            case EPERM:
                why = native + " may not be written by this user";
                return -1;
            case EISDIR:
                why = native + " is not a regular file";
                return -1;
            default:
                throwFileError(errno);
        }
    }
    FileDescriptor file(fd);
    struct stat info {};
    if (::fstat(fd, &info) != 0) throwFileError(errno);
    if (!S_ISREG(info.st_mode)) why = native + " is not a regular file";
    else if (info.st_uid != 0) why = native + " is not owned by root";
    // The lines name patients.
    else if ((info.st_mode & (S_IRGRP | S_IROTH)) != 0) why = native + " can be read by other users";
    return why.empty() ? file.release() : -1;
}

void PosixFiles::appendToFile(const std::u16string& path, const std::string& bytes) {
    std::string why;
    const int fd = openUsableLog(path, true, why);
    if (fd < 0) return reportUnusableLog(why);
    // The write itself is the flush: nothing is buffered in the process. The data reaches the disk when the
    // system writes it back; an fdatasync per log line would cost far more than the line is worth.
    writeAndClose(fd, bytes);
}

std::string PosixFiles::whyLogUnusable(const std::u16string& path) {
    std::string why;
    try {
        const int fd = openUsableLog(path, false, why);
        if (fd >= 0) ::close(fd);
    } catch (const Error& e) {
        why = e.what();
    }
    return why;
}

void PosixFiles::writeWholeFile(const std::u16string& path, const std::string& bytes) {
    const SplitPath parts = splitPath(toNativePath(path));
    if (parts.name.empty()) throwFileError(EISDIR);
    // The folder itself may be a link (an administrator's); only the file's own name is never followed.
    const int folderFd = ::open(parts.folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0) throwFileError(errno);
    const FileDescriptor folder(folderFd);
    const char* name = parts.name.c_str();

    struct stat old {};
    const bool exists = ::fstatat(folderFd, name, &old, AT_SYMLINK_NOFOLLOW) == 0;
    if (!exists && errno != ENOENT) throwFileError(errno);
    const bool othersFile = exists && old.st_uid != ::geteuid();
    if (exists) {
        if (!S_ISREG(old.st_mode)) throwNotRegular(old.st_mode);
        // A file the user may not write stays as it is, as it would with a rewrite in place. Another user's
        // file is never written, only replaced, so whether we could write it does not matter.
        if (!othersFile && ::faccessat(folderFd, name, W_OK, AT_EACCESS | AT_SYMLINK_NOFOLLOW) != 0) {
            throwFileError(errno);
        }
    }

    std::string temporary;
    const int fd = createTemporary(folderFd, temporary);
    if (fd < 0) {
        const int error = errno;
        if (exists && (error == EACCES || error == EPERM)) {
            if (othersFile) throwOthersFile(parts.folder + "/" + parts.name, old.st_uid);
            return rewriteInPlace(folderFd, parts.name, old, bytes);
        }
        throwFileError(error);
    }
    try {
        // A file of ours that we replace keeps its mode, so a folder that several accounts share keeps working as
        // it did when files were rewritten in place; anything new is for its owner only, since it holds a patient,
        // and so is what takes the place of another user's file (its mode was that user's choice, not ours).
        const mode_t mode = exists && !othersFile ? (old.st_mode & 0777) : 0600;
        if (::fchmod(fd, mode) != 0) {
            const int error = errno;
            ::close(fd);
            throwFileError(error);
        }
        writeAndClose(fd, bytes);
        // Something may have been put at the name meanwhile; the rename would replace it, but a link or FIFO
        // there is refused like one found before.
        struct stat now {};
        if (::fstatat(folderFd, name, &now, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISREG(now.st_mode)) {
            throwNotRegular(now.st_mode);
        }
        if (::renameat(folderFd, temporary.c_str(), folderFd, name) != 0) {
            const int error = errno;
            // A sticky folder lets nobody but the owner replace a file.
            if (othersFile && (error == EPERM || error == EACCES)) {
                throwOthersFile(parts.folder + "/" + parts.name, old.st_uid);
            }
            throwFileError(error);
        }
    } catch (...) {
        ::unlinkat(folderFd, temporary.c_str(), 0);
        throw;
    }
}

namespace {

// The folder a request file goes to: the first that is an absolute path to a folder.
std::string privateFolder() {
    for (const char* variable : {"XDG_RUNTIME_DIR", "TMPDIR"}) {
        const char* value = std::getenv(variable);
        struct stat info {};
        if (value && value[0] == '/' && ::stat(value, &info) == 0 && S_ISDIR(info.st_mode)) return value;
    }
    return "/tmp";
}

}  // namespace

std::u16string PosixRequestFiles::writePrivateFile(std::u16string_view suffix, const std::string& bytes) {
    static std::mt19937_64 random{std::random_device{}()};
    constexpr char kDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    const std::string folder = privateFolder();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string path = folder + (folder.back() == '/' ? "" : "/") + "veltrane-link-";
        for (int i = 0; i < 12; ++i) path += kDigits[random() % (sizeof kDigits - 1)];
        path += utf16ToUtf8(suffix);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0600);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            throwFileError(errno);
        }
        try {
            writeAndClose(fd, bytes);
        } catch (...) {
            ::unlink(path.c_str());
            throw;
        }
        return utf8ToUtf16(path);
    }
    throwFileError(EEXIST);
}

void PosixRequestFiles::removeFile(const std::u16string& path) noexcept {
    if (!path.empty()) ::unlink(utf16ToUtf8(path).c_str());
}

}  // namespace veltrane::platform::posix
