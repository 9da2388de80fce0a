#pragma once
// Text files on Linux: the shared activity log (appended by every user of the machine) and exchange files.

#include <sys/types.h>

#include <string>

#include "platform/files.h"
#include "platform/request_files.h"

namespace veltrane::platform::posix {

class PosixFiles final : public FileSystem {
public:
    // The shared activity log. Used only when its folder passes openTrustedFolder and the log is a regular
    // file of root's that other users cannot read (made 0622 at installation; root's own first run creates
    // it so). It is opened without following a link and without blocking, and appended with one write() on
    // O_APPEND, so lines of several processes never mix. When any of that does not hold, nothing is written,
    // the reason goes once to standard error and the caller goes on: another user must not be able to stop a
    // request through a diagnostic log. Errors of a usable log (disk full, ...) throw the file texts.
    void appendToFile(const std::u16string& path, const std::string& bytes) override;
    // An exchange file: written whole to a new file next to path (mode 0600, or the mode of our own file it
    // replaces) and renamed over it, so a reader never sees half a file. Whatever is at path must be a regular
    // file: a link, FIFO, device or folder there fails with the file error and is left as it is. Our own file
    // must be one we may write; where the folder takes no new file, it is rewritten in place. Another user's
    // file is only ever replaced (by one of 0600), never written; where the folder forbids that, "File access
    // denied" and a second line naming the file and its owner.
    void writeWholeFile(const std::u16string& path, const std::string& bytes) override;

    // Empty when appendToFile would write the shared log at path; else why not, as appendToFile would say it.
    // Makes nothing.
    std::string whyLogUnusable(const std::u16string& path);

private:
    int openUsableLog(const std::u16string& path, bool mayCreate, std::string& why);
    void reportUnusableLog(const std::string& what);
    bool reported_ = false;
};

// A link's request file: made with O_EXCL and mode 0600 in $XDG_RUNTIME_DIR (the user's own folder), else
// $TMPDIR, else /tmp, under a random name.
class PosixRequestFiles final : public RequestFiles {
public:
    std::u16string writePrivateFile(std::u16string_view suffix, const std::string& bytes) override;
    void removeFile(const std::u16string& path) noexcept override;
};

// The file error text for an errno value ("File access denied", "Disk full", "I/O error 5", ...).
std::string fileErrorText(int error);

// "user <name>", or "user <number>" for an account the system cannot name.
std::string userName(uid_t uid);

}  // namespace veltrane::platform::posix
