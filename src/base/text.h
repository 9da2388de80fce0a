#pragma once
// Text in the core is UTF-16, as the program's texts are; these convert at the edges and compare names.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace veltrane {

// Malformed input never fails: bad bytes and lone surrogates become U+FFFD.
std::u16string utf8ToUtf16(std::string_view utf8);
std::string utf16ToUtf8(std::u16string_view utf16);
// Appends the text to out; false at the first malformed sequence, for stores that must not keep a replacement.
bool utf8ToUtf16Strict(std::string_view utf8, std::u16string& out);

// Case-insensitive comparison as the registry and ini reader use it for names: simple one-to-one case folding
// of Latin, Greek and Cyrillic letters; other characters must match exactly.
char16_t foldCase(char16_t c);
bool equalsIgnoreCase(std::u16string_view a, std::u16string_view b);

// UTF-16LE, the form of text in registry values and Windows files: two bytes a unit, low byte first. Decoding
// ignores an odd last byte.
std::vector<std::uint8_t> utf16leBytes(std::u16string_view text);
std::u16string utf16leText(const std::vector<std::uint8_t>& bytes);

// The workstation's name as the network's short (NetBIOS) naming knows it: the host name up to its first dot, with
// ASCII letters in upper case, at most 15 characters. Imaging programs compare it with the names of Windows
// machines.
std::u16string netbiosName(std::u16string_view hostName);

// Shorthand for building UTF-16 messages from UTF-8 literals in tests and glue code.
inline std::u16string u16(std::string_view utf8) { return utf8ToUtf16(utf8); }

}  // namespace veltrane
