#include "linux/posix/settings_transfer_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/error.h"
#include "linux/posix/file_descriptor.h"

namespace veltrane::platform::posix {

namespace {


}  // namespace

void exportSettings(Registry& store, const std::string& outPath, settings::RegFileEncoding encoding) {
    const std::string bytes = settings::exportSettingsText(store, encoding);

    if (outPath == "-") {
        if (const int error = writeAll(STDOUT_FILENO, bytes)) {
            throw Error(std::string("Cannot write the settings export to standard output: ") + std::strerror(error));
        }
        return;
    }
    struct stat st {};
    int error = 0;
    if (::stat(outPath.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        const int fd = ::open(outPath.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (fd < 0) {
            error = errno;
        } else {
            error = writeAll(fd, bytes);  // a device or standard output: no rename can take its place
            if (::close(fd) != 0 && error == 0) error = errno;
        }
    } else {
        const bool exists = ::stat(outPath.c_str(), &st) == 0;
        error = replaceFileAtomically(outPath, bytes, exists ? (st.st_mode & 07777) : 0600);
    }
    if (error != 0) throw Error("Cannot write settings export " + outPath + ": " + std::strerror(error));
}

settings::ImportSummary importSettings(RegistryFile& store, const std::string& inPath, std::ostream& notes) {
    const std::string label = "Import file " + inPath;
    const auto bytes = readSettingsText(inPath, label);
    if (!bytes) throw Error(label + " cannot be read: " + std::strerror(ENOENT));
    // The folder's own error says more than a refused key would; a bad file is still reported as such first.
    if (settings::programKeyOf(platform::parseRegText(*bytes, label)) && !store.prepareFolder()) {
        throw Error(store.label() + " cannot be created: " + std::strerror(errno) + "; nothing was imported");
    }
    return settings::importSettingsText(store, *bytes, label, inPath, store.label(), notes);
}

}  // namespace veltrane::platform::posix
