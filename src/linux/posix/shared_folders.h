#pragma once
// Special folders on Linux. The only one the program asks for is the folder shared by all users of the machine,
// where the activity log lives.

#include <string>

#include "platform/known_folders.h"

namespace veltrane::platform::posix {

// The shared folder: $VELTRANE_SHARED_DIR when set, else /var/log/veltrane-client-tools. The folder belongs
// to root and is made at installation (the package, or packaging/setup-shared-log.sh), never by the program:
// a folder that any user could make first would be theirs to control.
inline constexpr const char* kDefaultSharedFolder = "/var/log/veltrane-client-tools";

class SharedFolders final : public KnownFolders {
public:
    // The configured shared folder for kCommonDocuments, without a trailing delimiter; whether it may be used
    // is decided when the log is opened. The empty text for every other folder number.
    std::u16string folderPath(int folder) override;
};

// Opens folder (O_PATH) only when nobody but root could have made or replaced it or anything on the way to
// it: every folder from / down is root's and not writable by others unless sticky, and every link on the way
// is root's. Returns the descriptor, or -1 with why saying what is wrong ("/srv/x is not owned by root") and
// errno the failed call's error, or 0 when the folder is there but not to be trusted.
int openTrustedFolder(const std::string& folder, std::string& why);

}  // namespace veltrane::platform::posix
