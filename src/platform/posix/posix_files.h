#pragma once
// Text files on Linux: the shared activity log (appended by every user of the machine) and exchange files.

#include <string>

#include "platform/files.h"

namespace veltrane::platform::posix {

class PosixFiles final : public FileSystem {
public:
    // Appends with one write() on a descriptor opened with O_APPEND, so lines of several processes never mix.
    // Never follows a symbolic link at path and refuses anything but a regular file, because the log lives in
    // a folder every user can write to. A file it creates is made writable by every user (mode 0666).
    void appendToFile(const std::u16string& path, const std::string& bytes) override;
    // Creates or truncates path (mode 0666 less the umask), writes bytes and closes it.
    void writeWholeFile(const std::u16string& path, const std::string& bytes) override;
};

// The file error text for an errno value ("File access denied", "Disk full", "I/O error 5", ...).
std::string fileErrorText(int error);

}  // namespace veltrane::platform::posix
