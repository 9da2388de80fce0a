#pragma once
// Moving the program's settings key in and out of the settings file as registry export files, so a workstation
// can be set up from another one, or from a file exported on Windows.

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "platform/posix/registry_file.h"

namespace veltrane::platform::posix {

// Writes the header and [HKEY_CURRENT_USER\Software\Veltrane] with all its values (UTF-8, CR LF) to outPath,
// or to standard output when outPath is "-". A missing key exports as an empty key. An existing regular file
// is replaced atomically. Throws veltrane::Error with a message naming the file that failed.
void exportSettings(RegistryFile& store, const std::string& outPath);

struct ImportSummary {
    std::size_t valuesImported = 0;
    std::vector<std::string> ignoredKeys;  // other keys of the file, as written there
};

// Reads a registry export file (UTF-8, or UTF-16LE with BOM as regedit writes it), checks every line before
// anything is changed, and merges the values of [HKEY_CURRENT_USER\Software\Veltrane] into the store in one
// atomic write; values not in the file are kept. Other keys (the browser's, subkeys) are not imported: each is
// named on notes. Throws veltrane::Error naming the file and line of the first bad line, or the reason the
// store could not be written; the store is then unchanged.
ImportSummary importSettings(RegistryFile& store, const std::string& inPath, std::ostream& notes);

// The part of an import that touches no file: merges the program's key of incoming into stored and says
// whether stored changed. nullptr source: incoming has no program key. Linear in the number of values.
const settings::RegKeyBlock* programKeyOf(const settings::RegDocument& incoming);
bool mergeProgramKey(settings::RegDocument& stored, const settings::RegKeyBlock& source);

}  // namespace veltrane::platform::posix
