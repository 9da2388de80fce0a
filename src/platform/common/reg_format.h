#pragma once
// The text format of registry export files ("Windows Registry Editor Version 5.00"). The settings file on Linux
// and the import/export files use it, so settings move between this program and Windows' own tools unchanged.
// Pure text in, text out: no files, so it can be unit tested and fuzzed.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "platform/registry.h"

namespace veltrane::platform {

struct RegEntry {
    std::u16string name;  // empty for the key's default value, written "@"
    platform::RegValue value;
    std::vector<std::u16string> comments;  // comment lines just above the value, kept when the file is rewritten
    std::size_t line = 0;                  // where the value starts in the parsed file; 0 when made in memory
};

struct RegKeyBlock {
    std::u16string path;  // from the root, as spelt in the file: u"HKEY_CURRENT_USER\\Software\\Veltrane"
    std::vector<std::u16string> comments;
    std::vector<RegEntry> values;

    // Value names ignore letter case, as in the registry.
    const RegEntry* find(std::u16string_view name) const;
};

struct RegDocument {
    std::vector<RegKeyBlock> keys;
    std::vector<std::u16string> trailingComments;

    RegKeyBlock* findKey(std::u16string_view path);
    const RegKeyBlock* findKey(std::u16string_view path) const;
    // A key also exists when only a subkey of it is listed, as parents do in the registry.
    bool hasKey(std::u16string_view path) const;
    // Returns the listed key, adding an empty one at the end when missing. path must pass isWritableKeyPath.
    RegKeyBlock& addKey(std::u16string_view path);
    // Creates or replaces a value; an existing value keeps the spelling of its name. name must pass
    // isWritableName. Returns whether anything changed.
    bool setValue(std::u16string_view keyPath, std::u16string_view name, platform::RegValue value);
    // setValue for each entry in turn (adding the key when missing), in time linear in the number of values, as
    // an import may bring many. Returns whether anything changed.
    bool setValues(std::u16string_view keyPath, const std::vector<RegEntry>& entries);
};

// The format has no way to write control characters or unpaired surrogates in names, so they are refused
// rather than written into a file that would not read back.
bool isWritableName(std::u16string_view name);
// A known root name followed by non-empty components separated by single backslashes, each a writable name.
bool isWritableKeyPath(std::u16string_view path);

// The data of a plain string value: UTF-16LE with its terminating zero, as the registry hands it out.
std::vector<std::uint8_t> stringValueData(std::u16string_view text);

// A line that cannot be read. what() reads "<source>, line <n>: <reason>".
class RegSyntaxError : public Error {
public:
    RegSyntaxError(std::string_view source, std::size_t line, std::string reason);
    std::size_t line() const { return line_; }
    const std::string& reason() const { return reason_; }

private:
    std::size_t line_;
    std::string reason_;
};

inline constexpr std::string_view kRegHeader = "Windows Registry Editor Version 5.00";

enum class EmptyText { Refused, IsEmptyDocument };

// Reads UTF-8 (with or without BOM) or UTF-16LE with BOM, CR LF or LF line ends. source names the text in
// error messages ("Settings file /home/u/.config/..."). Throws RegSyntaxError at the first bad line.
RegDocument parseRegText(std::string_view bytes, std::string_view source, EmptyText empty = EmptyText::Refused);

// UTF-8 without BOM and CR LF line ends, as Windows tools expect when the file is taken there. Strings that
// cannot be written between quotes (line breaks, control characters, zeros, unpaired surrogates, no
// terminating zero) are written as hex(1) bytes, so every value reads back exactly.
std::string serializeRegText(const RegDocument& doc);

}  // namespace veltrane::platform
