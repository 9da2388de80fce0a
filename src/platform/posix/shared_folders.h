#pragma once
// Special folders on Linux. The only one the program asks for is the folder shared by all users of the machine,
// where the activity log lives.

#include <string>

#include "platform/known_folders.h"

namespace veltrane::platform::posix {

// The shared folder: $VELTRANE_SHARED_DIR when set, else /var/tmp/veltrane-client-tools. /var/tmp survives a
// reboot (unlike /tmp) and every user may create a folder there without root, so the first user's program
// creates it for all: mode 1777, so every user can add files and nobody can delete another user's.
inline constexpr const char* kDefaultSharedFolder = "/var/tmp/veltrane-client-tools";

class SharedFolders final : public SpecialFolders {
public:
    // The shared folder for kCommonDocuments, created on first need; the empty text when it cannot be created
    // or something other than a folder is in its place, and for every other folder number.
    std::u16string folderPath(int folder) override;
};

}  // namespace veltrane::platform::posix
