#pragma once
// Settings export and import files on Linux: the file side of the transfer (reading the import file, writing the
// export file atomically or to standard output) around the transfer itself, which works over any registry.

#include <ostream>
#include <string>

#include "linux/posix/registry_file.h"
#include "settings/settings_transfer.h"

namespace veltrane::platform::posix {

// Writes the export of the program's key to outPath, or to standard output when outPath is "-". An existing
// regular file is replaced atomically (and keeps its mode; a new one is 0600). Throws veltrane::Error with a
// message naming the file that failed.
void exportSettings(Registry& store, const std::string& outPath,
                    settings::RegFileEncoding encoding = settings::RegFileEncoding::Utf8);

// Reads the import file at inPath and imports it into the settings file (see settings::importSettingsText).
settings::ImportSummary importSettings(RegistryFile& store, const std::string& inPath, std::ostream& notes);

}  // namespace veltrane::platform::posix
