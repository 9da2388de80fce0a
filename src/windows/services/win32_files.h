#pragma once
// Files through CreateFileW and WriteFile; failures carry the platform's file texts.

#include <string>

#include "platform/files.h"

namespace veltrane::platform::win32 {

// The file text for a GetLastError code: "File not found", "Invalid filename", "Too many open files",
// "File access denied", "Disk full", or "I/O error <code>".
std::string fileErrorText(unsigned long error);

class Win32Files final : public FileSystem {
public:
    void appendToFile(const std::u16string& path, const std::string& bytes) override;
    void writeWholeFile(const std::u16string& path, const std::string& bytes) override;
};

}  // namespace veltrane::platform::win32
