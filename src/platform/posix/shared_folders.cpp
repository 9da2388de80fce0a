#include "platform/posix/shared_folders.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>

#include "base/text.h"

namespace veltrane::platform::posix {

namespace {

constexpr mode_t kSharedMode = S_IRWXU | S_IRWXG | S_IRWXO | S_ISVTX;

}  // namespace

std::u16string SharedFolders::folderPath(int folder) {
    if (folder != kCommonDocuments) return {};

    const char* configured = std::getenv("VELTRANE_SHARED_DIR");
    const bool useDefault = configured == nullptr || *configured == '\0';
    std::string path = useDefault ? kDefaultSharedFolder : configured;
    while (path.size() > 1 && path.back() == '/') path.pop_back();

    if (::mkdir(path.c_str(), kSharedMode) == 0) {
        // mkdir applies the umask, which would keep other users out.
        ::chmod(path.c_str(), kSharedMode);
    } else if (errno != EEXIST) {
        return {};
    }
    // In the world-writable /var/tmp another user could have put a link in its place to steer our log
    // elsewhere, so the default must be a real folder; a configured path may be a link the administrator made.
    struct stat info {};
    const int status = useDefault ? ::lstat(path.c_str(), &info) : ::stat(path.c_str(), &info);
    if (status != 0 || !S_ISDIR(info.st_mode)) return {};
    if (path == "/") return {};
    return utf8ToUtf16(path);
}

}  // namespace veltrane::platform::posix
