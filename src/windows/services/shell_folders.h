#pragma once
// The shell's special folders through SHGetFolderPathW (the shared Documents folder for the activity log).

#include "platform/known_folders.h"

namespace veltrane::platform::win32 {

class ShellFolders final : public KnownFolders {
public:
    // folder is a CSIDL number; the empty text when the shell does not know it.
    std::u16string folderPath(int folder) override;
};

}  // namespace veltrane::platform::win32
