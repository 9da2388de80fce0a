#pragma once
// Settings export and import files on Linux: the import file read whole, the settings folder created before an
// import, the export written atomically (keeping the file's mode), to a device, or to standard output.

#include <ostream>
#include <string>

#include "linux/posix/registry_file.h"
#include "settings/transfer_files.h"

namespace veltrane::platform::posix {

class SettingsTransferFiles final : public settings::TransferFiles {
public:
    explicit SettingsTransferFiles(RegistryFile& store,
                                   settings::RegFileEncoding encoding = settings::RegFileEncoding::Utf8);

    std::string storeLabel() const override;
    settings::RegFileEncoding exportEncoding() const override { return encoding_; }
    // "Import file <path> cannot be read: <why>".
    std::string readImportFile(const std::string& path) override;
    // Creates the settings file's folder.
    void prepareStore() override;
    // An existing regular file is replaced atomically (and keeps its mode; a new one is 0600); anything else
    // (a device) is written in place. "Cannot write settings export <path>: <why>".
    void writeExportFile(const std::string& path, const std::string& bytes) override;
    void writeStandardOutput(const std::string& bytes) override;

private:
    RegistryFile& store_;
    settings::RegFileEncoding encoding_;
};

// The transfer over the settings file, one direction at a time (see settings::exportSettingsFile and
// settings::importSettingsFile).
void exportSettings(RegistryFile& store, const std::string& outPath,
                    settings::RegFileEncoding encoding = settings::RegFileEncoding::Utf8);
settings::ImportSummary importSettings(RegistryFile& store, const std::string& inPath, std::ostream& notes);

}  // namespace veltrane::platform::posix
