#include "linux/posix/ini_file_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/text.h"

namespace veltrane::platform::posix {

namespace {

// Reads at most kIniFileMaxBytes of a regular file into content; false when there is no such file to read.
bool readFileCapped(const std::string& path, std::string& content, struct stat& info) {
    // O_NONBLOCK keeps a FIFO at that path from blocking the open; such a file is then refused below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return false;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return false;
    }
    content.clear();
    char buffer[65536];
    while (content.size() < kIniFileMaxBytes) {
        const std::size_t wanted = std::min(sizeof buffer, kIniFileMaxBytes - content.size());
        const ssize_t n = ::read(fd, buffer, wanted);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        content.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return true;
}

}  // namespace

std::string IniFileReader::whyUnreadable(const std::u16string& file) {
    const std::string path = utf16ToUtf8(file);
    if (path.empty() || file.find(u'\0') != std::u16string::npos) return "it has no name";
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return std::strerror(errno);
    struct stat info {};
    const bool stated = ::fstat(fd, &info) == 0;
    const int error = errno;
    ::close(fd);
    if (!stated) return std::strerror(error);
    if (S_ISDIR(info.st_mode)) return "it is a folder";
    if (!S_ISREG(info.st_mode)) return "it is not a regular file";
    return {};
}

std::u16string IniFileReader::getString(const std::u16string& file, const std::u16string& section,
                                        const std::u16string& key, const std::u16string& defaultValue) {
    if (file.empty() || file.find(u'\0') != std::u16string::npos) {
        return parseIniValue({}, section, key, defaultValue, codec_);
    }
    const std::string path = utf16ToUtf8(file);
    // A request is read key by key; the bytes read last are used again while the file is exactly as it was.
    if (struct stat now{};
        last_ && last_->path == path && ::stat(path.c_str(), &now) == 0 && FileIdentity::of(now) == last_->identity) {
        return parseIniValue(last_->bytes, section, key, defaultValue, codec_);
    }
    last_.reset();
    std::string content;
    struct stat info {};
    if (!readFileCapped(path, content, info)) return parseIniValue({}, section, key, defaultValue, codec_);
    last_ = LastRead{path, FileIdentity::of(info), std::move(content)};
    return parseIniValue(last_->bytes, section, key, defaultValue, codec_);
}

}  // namespace veltrane::platform::posix
