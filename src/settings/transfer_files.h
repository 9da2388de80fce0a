#pragma once
// Settings export and import as the program runs them instead of its window (--import-settings,
// --export-settings), the same on both systems. What differs, how the files are read and written and in which
// encoding, is each system's TransferFiles.

#include <ostream>
#include <string>

#include "platform/registry.h"
#include "settings/settings_transfer.h"

namespace veltrane::settings {

// The file side of a transfer on one operating system, in that system's words.
class TransferFiles {
public:
    virtual ~TransferFiles() = default;
    // How messages name the settings store ("Settings file <path>", "Registry key HKEY_CURRENT_USER\...").
    virtual std::string storeLabel() const = 0;
    // The encoding the system's export files are written in.
    virtual RegFileEncoding exportEncoding() const = 0;
    // The whole import file. Throws veltrane::Error naming the file and saying why it cannot be read.
    virtual std::string readImportFile(const std::string& path) = 0;
    // Readies the store for an import that holds the program's key. Throws veltrane::Error ending in "; nothing
    // was imported" when it cannot be.
    virtual void prepareStore() {}
    // Writes the export to the file at path / to standard output. Throws veltrane::Error saying why not.
    virtual void writeExportFile(const std::string& path, const std::string& bytes) = 0;
    virtual void writeStandardOutput(const std::string& bytes) = 0;
};

// Reads the import file at path and imports it into registry (see importSettingsText, whose notes these are).
ImportSummary importSettingsFile(platform::Registry& registry, TransferFiles& files, const std::string& path,
                                 std::ostream& notes);

// Writes the export of the program's key to path, or to standard output when path is "-".
void exportSettingsFile(platform::Registry& registry, TransferFiles& files, const std::string& path);

// What the options ask for (an empty path: not asked), the import first: it says on messages what it ignored
// and how many values it took. Throws veltrane::Error when either fails; nothing is exported after a failed
// import.
void transferSettings(platform::Registry& registry, TransferFiles& files, const std::string& importPath,
                      const std::string& exportPath, std::ostream& messages);

}  // namespace veltrane::settings
