#pragma once
// Settings export and import files on Windows: exports in regedit's own format (UTF-16LE with BOM), read and
// written through the file system's calls and texts; standard output is the console or pipe the program was
// started with.

#include <string>

#include "settings/transfer_files.h"

namespace veltrane::platform::win32 {

class SettingsTransferFiles final : public settings::TransferFiles {
public:
    // "Registry key HKEY_CURRENT_USER\Software\Veltrane".
    std::string storeLabel() const override;
    settings::RegFileEncoding exportEncoding() const override { return settings::RegFileEncoding::Utf16LeBom; }
    // "Cannot read <path>: <the file system's text>".
    std::string readImportFile(const std::string& path) override;
    // Creates or truncates the file; the file system's text when it cannot.
    void writeExportFile(const std::string& path, const std::string& bytes) override;
    // To a pipe or a file in binary mode: the bytes are UTF-16, which a text mode would break at every line end. To
    // a console as its text, which the console shows in any code page.
    void writeStandardOutput(const std::string& bytes) override;
};

}  // namespace veltrane::platform::win32
