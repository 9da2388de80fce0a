#pragma once

#include <string>

namespace veltrane::platform {

// Folder numbers of the shell's special folders that the program asks for.
inline constexpr int kCommonDocuments = 0x2E;

class KnownFolders {
public:
    virtual ~KnownFolders() = default;
    // The folder's current path without a trailing delimiter, or the empty text when it is not found.
    virtual std::u16string folderPath(int folder) = 0;
};

}  // namespace veltrane::platform
