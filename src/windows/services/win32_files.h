#pragma once
// Files through CreateFileW and WriteFile; failures carry the platform's file texts.

#include <string>

#include "platform/files.h"
#include "platform/request_files.h"

namespace veltrane::platform::win32 {

// The file text for a GetLastError code: "File not found", "Invalid filename", "Too many open files",
// "File access denied", "Disk full", or "I/O error <code>".
std::string fileErrorText(unsigned long error);

class Win32Files final : public FileSystem {
public:
    // The shared log: appended with append-only access, so lines of several processes never mix. Whatever is at
    // the name is opened itself, never followed: a reparse point, a file with a second name (hard link), a folder
    // or a device fails with "File access denied". A log made here gets its own DACL: every user may append,
    // only administrators and the system may read. A log is written only while it is owned by the
    // administrators, the system or this user and nobody else may do more than append to it.
    void appendToFile(const std::u16string& path, const std::string& bytes) override;
    // An exchange file: written whole to a new file beside path (owner-only DACL, shared with nobody while it is
    // written) and renamed over it by its handle, so a reader never sees half a file. A file it replaces must be
    // a plain file of one name that the user may write, and its DACL goes to the new file; a reparse point, a
    // hard link, a folder or a device at the name fails with "File access denied" and is left as it is. Where
    // the folder takes no new file, an existing file is rewritten in place.
    void writeWholeFile(const std::u16string& path, const std::string& bytes) override;
};

// A link's request file: made new (CREATE_NEW) in the user's temporary folder under a random name, with a DACL
// that grants the user alone.
class Win32RequestFiles final : public RequestFiles {
public:
    std::u16string writePrivateFile(std::u16string_view suffix, const std::string& bytes) override;
    void removeFile(const std::u16string& path) noexcept override;
};

}  // namespace veltrane::platform::win32
