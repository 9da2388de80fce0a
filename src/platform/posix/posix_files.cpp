#include "platform/posix/posix_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/error.h"
#include "base/text.h"

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
//   ELOOP                              File access denied   (ELOOP: the log path is a symbolic link we refuse)
//   ENOSPC, EDQUOT, EFBIG              Disk full
//   anything else                      I/O error <errno>
[[noreturn]] void throwFileError(int error) { throw Error(fileErrorText(error)); }

std::string toNativePath(const std::u16string& path) {
    // A zero character would silently cut the path short at the system call.
    if (path.empty() || path.find(u'\0') != std::u16string::npos) throw Error(std::string(messages::kInvalidFilename));
    return utf16ToUtf8(path);
}

// Writes all of bytes; a regular file takes them in one call, the loop only covers short writes and signals.
void writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            throwFileError(errno);
        }
        if (n == 0) throwFileError(ENOSPC);
        done += static_cast<std::size_t>(n);
    }
}

// Closes fd; a failing close (a delayed write error on a network file system) is reported like a failed write.
void closeChecked(int fd) {
    if (::close(fd) != 0 && errno != EINTR) throwFileError(errno);
}

void writeAndClose(int fd, const std::string& bytes) {
    try {
        writeAll(fd, bytes);
    } catch (...) {
        ::close(fd);
        throw;
    }
    closeChecked(fd);
}

// O_NONBLOCK only matters for a FIFO planted at the log's path: opening it must fail instead of waiting forever.
constexpr int kAppendFlags = O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;

int openForAppend(const std::string& path) {
    // Open without O_CREAT first: in a sticky shared folder, fs.protected_regular refuses O_CREAT on a file
    // another user owns, even when it exists and we may write to it.
    for (int attempt = 0; attempt < 3; ++attempt) {
        int fd = ::open(path.c_str(), kAppendFlags);
        if (fd >= 0) return fd;
        // ENXIO: a FIFO nobody reads sits at the log's path; it is no log file we may write.
        if (errno == ENXIO) throwFileError(EACCES);
        if (errno != ENOENT) throwFileError(errno);
        fd = ::open(path.c_str(), kAppendFlags | O_CREAT | O_EXCL, 0666);
        if (fd >= 0) {
            // The umask must not keep other users from appending to the shared log. A failure here does not
            // stop this user's line, so it is not reported.
            (void)::fchmod(fd, 0666);
            return fd;
        }
        if (errno != EEXIST) throwFileError(errno);
        // Another process created it between our two opens: append to theirs.
    }
    throwFileError(EEXIST);
}

}  // namespace

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

void PosixFiles::appendToFile(const std::u16string& path, const std::string& bytes) {
    const int fd = openForAppend(toNativePath(path));
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        throwFileError(EACCES);
    }
    // The write itself is the flush: nothing is buffered in the process. The data reaches the disk when the
    // system writes it back; an fdatasync per log line would cost far more than the line is worth.
    writeAndClose(fd, bytes);
}

void PosixFiles::writeWholeFile(const std::u16string& path, const std::string& bytes) {
    const int fd = ::open(toNativePath(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) throwFileError(errno);
    writeAndClose(fd, bytes);
}

}  // namespace veltrane::platform::posix
