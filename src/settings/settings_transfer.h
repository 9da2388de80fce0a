#pragma once
// Moving the program's settings key in and out of registry export files, over any registry, so a workstation can
// be set up from another one, or from a file exported on the other operating system. Only text is made and read
// here; writing and reading the file itself is the platform's.

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/common/reg_format.h"
#include "platform/registry.h"

namespace veltrane::settings {

using platform::RegDocument;
using platform::RegKeyBlock;

// UTF-8 as Linux tools expect, or UTF-16LE with BOM as regedit writes it. Either imports on both systems.
enum class RegFileEncoding { Utf8, Utf16LeBom };

// The whole export file: the header and [HKEY_CURRENT_USER\Software\Veltrane] with every value of the
// program's key, CR LF line ends. A missing key exports as an empty key. Throws veltrane::Error when the
// registry cannot be read.
std::string exportSettingsText(platform::Registry& registry, RegFileEncoding encoding = RegFileEncoding::Utf8);

struct ImportSummary {
    std::size_t valuesImported = 0;
    std::vector<std::string> ignoredKeys;  // other keys of the file, as written there
};

// Imports the bytes of a registry export file (UTF-8, or UTF-16LE with BOM). Every line is checked before
// anything is changed; then the values of [HKEY_CURRENT_USER\Software\Veltrane] are merged into the program's
// key, values not in the file kept. Other keys (the browser's, subkeys) are not imported: each is named on
// notes. fileLabel starts messages about the file ("Import file <path>"), inPath names it on notes, storeLabel
// starts messages about the registry ("Settings file <path>"). Throws veltrane::Error naming the file and line
// of the first bad line, or why the registry could not be written; the program's key is then unchanged.
ImportSummary importSettingsText(platform::Registry& registry, std::string_view bytes, const std::string& fileLabel,
                                 const std::string& inPath, const std::string& storeLabel, std::ostream& notes);

// The parts of an import that touch no registry: the program's key of a parsed file (nullptr when it has none),
// and the merge of it into a stored document, which says whether the document changed. Linear in the number of
// values.
const RegKeyBlock* programKeyOf(const RegDocument& incoming);
bool mergeProgramKey(RegDocument& stored, const RegKeyBlock& source);
// Throws veltrane::Error naming the value and its line when source holds a value the program reads as text in a
// type it would refuse (a dword: for "dicom_idpad"): imported, it would make every later request fail.
void requireReadableValues(const RegKeyBlock& source, const std::string& fileLabel);

// [HKEY_CURRENT_USER\Software\Veltrane], as an export file names the program's key.
std::u16string programKeyFilePath();

// text as UTF-16LE with a byte-order mark.
std::string utf16LeWithBom(std::string_view utf8);

}  // namespace veltrane::settings
