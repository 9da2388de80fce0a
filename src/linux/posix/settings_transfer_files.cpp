#include "linux/posix/settings_transfer_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/error.h"
#include "linux/posix/file_descriptor.h"

namespace veltrane::platform::posix {

SettingsTransferFiles::SettingsTransferFiles(RegistryFile& store, settings::RegFileEncoding encoding)
    : store_(store), encoding_(encoding) {}

std::string SettingsTransferFiles::storeLabel() const { return store_.label(); }

std::string SettingsTransferFiles::readImportFile(const std::string& path) {
    const std::string label = "Import file " + path;
    const auto bytes = readSettingsText(path, label);
    if (!bytes) throw Error(label + " cannot be read: " + std::strerror(ENOENT));
    return *bytes;
}

void SettingsTransferFiles::prepareStore() {
    if (!store_.prepareFolder())
        throw Error(store_.label() + " cannot be created: " + std::strerror(errno) + "; nothing was imported");
}

void SettingsTransferFiles::writeExportFile(const std::string& path, const std::string& bytes) {
    struct stat st {};
    int error = 0;
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (fd < 0) {
            error = errno;
        } else {
            error = writeAll(fd, bytes);  // a device or standard output: no rename can take its place
            if (::close(fd) != 0 && error == 0) error = errno;
        }
    } else {
        const bool exists = ::stat(path.c_str(), &st) == 0;
        error = replaceFileAtomically(path, bytes, exists ? (st.st_mode & 07777) : 0600);
    }
    if (error != 0) throw Error("Cannot write settings export " + path + ": " + std::strerror(error));
}

void SettingsTransferFiles::writeStandardOutput(const std::string& bytes) {
    if (const int error = writeAll(STDOUT_FILENO, bytes))
        throw Error(std::string("Cannot write the settings export to standard output: ") + std::strerror(error));
}

void exportSettings(RegistryFile& store, const std::string& outPath, settings::RegFileEncoding encoding) {
    SettingsTransferFiles files(store, encoding);
    settings::exportSettingsFile(store, files, outPath);
}

settings::ImportSummary importSettings(RegistryFile& store, const std::string& inPath, std::ostream& notes) {
    SettingsTransferFiles files(store);
    return settings::importSettingsFile(store, files, inPath, notes);
}

}  // namespace veltrane::platform::posix
