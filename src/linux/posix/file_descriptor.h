#pragma once
// A file descriptor closed when it goes out of scope, so no error path leaks one; and writing all of a text to one.

#include <unistd.h>

#include <cerrno>
#include <string_view>

namespace veltrane::platform::posix {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

// Writes all of bytes, going on after short writes and signals; 0, or the errno of the failure. A write that takes
// nothing counts as a full disk rather than being tried for ever.
inline int writeAll(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return ENOSPC;
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

}  // namespace veltrane::platform::posix
