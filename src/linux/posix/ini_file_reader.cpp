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

// Blanks around names and values; ^Z is a blank too, as old DOS editors end files with it.
bool isBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f' || c == 0x1A; }

std::u16string_view trim(std::u16string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

// Names and values are zero-terminated texts on the platform, so a zero character ends them.
std::u16string_view cutAtZero(std::u16string_view text) { return text.substr(0, text.find(u'\0')); }

std::u16string finishValue(std::u16string_view value) {
    value = cutAtZero(value);
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::u16string(value.substr(0, kIniValueMaxLength));
}

std::u16string decodeUtf16(std::string_view bytes, bool bigEndian) {
    std::u16string text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        text.push_back(static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first));
    }
    return text;
}

std::u16string decodeFile(std::string_view bytes, AnsiCodec& codec) {
    if (bytes.starts_with("\xFF\xFE")) return decodeUtf16(bytes.substr(2), false);
    if (bytes.starts_with("\xFE\xFF")) return decodeUtf16(bytes.substr(2), true);
    if (bytes.starts_with("\xEF\xBB\xBF")) return utf8ToUtf16(bytes.substr(3));
    return codec.decode(bytes);
}

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

std::u16string parseIniValue(std::string_view bytes, std::u16string_view section, std::u16string_view key,
                             std::u16string_view defaultValue, AnsiCodec& codec) {
    // Trailing blanks of the default are dropped, as the platform's reader does.
    while (!defaultValue.empty() && defaultValue.back() == u' ') defaultValue.remove_suffix(1);
    section = trim(section);
    key = trim(key);
    if (section.empty() || key.empty()) return finishValue(defaultValue);

    const std::u16string text = decodeFile(bytes.substr(0, kIniFileMaxBytes), codec);
    const std::u16string_view all(text);
    bool inSection = false;
    std::size_t pos = 0;
    while (pos < all.size()) {
        // A line ends at CR, LF or any run of them.
        std::size_t end = all.find_first_of(u"\r\n", pos);
        if (end == std::u16string_view::npos) end = all.size();
        const std::u16string_view line = trim(all.substr(pos, end - pos));
        pos = end;
        while (pos < all.size() && (all[pos] == u'\r' || all[pos] == u'\n')) ++pos;
        if (line.empty()) continue;

        if (line.front() == u'[') {
            const std::size_t close = line.rfind(u']');
            if (close != std::u16string_view::npos) {
                // Only the first section of that name is searched; a later one of the same name is not.
                if (inSection) break;
                inSection = equalsIgnoreCase(cutAtZero(trim(line.substr(1, close - 1))), section);
                continue;
            }
            // A "[" without "]" is no section header; the line is read as a key line like any other.
        }
        if (!inSection) continue;
        const std::size_t equals = line.find(u'=');
        if (equals == std::u16string_view::npos) continue;
        if (equalsIgnoreCase(cutAtZero(trim(line.substr(0, equals))), key)) {
            return finishValue(trim(line.substr(equals + 1)));
        }
    }
    return finishValue(defaultValue);
}

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
    if (struct stat now {}; last_ && last_->path == path && ::stat(path.c_str(), &now) == 0 &&
                            FileIdentity::of(now) == last_->identity) {
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
