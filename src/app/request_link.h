#pragma once
// What a browser hands the program: a link of the program's own scheme, or a downloaded request file. A link
// becomes the text of an ordinary request file, so everything after it runs exactly as -x does.

#include <optional>
#include <string>
#include <string_view>

namespace veltrane::app {

inline constexpr std::string_view kLinkScheme = "veltrane-client-tools";
inline constexpr std::string_view kRequestFileExtension = ".veltrane-request";
// Longer links are refused unread: no request needs more, and a browser may cut what it passes anyway.
inline constexpr std::size_t kMaxLinkBytes = 8 * 1024;

// Whether arg starts with the link scheme and its colon (the scheme in any letter case).
bool isRequestLink(std::string_view arg);

// The request a link asks for, as ini text: [settings] with the action and the keys given, [imaging] with the
// imaging.<short name> keys. Every value is data: nothing in a link can add a line, a key or a section, and
// nothing can name the practice server or the workstation (the stored server is used). Throws veltrane::Error
// with a sentence saying what is wrong with the link.
std::u16string requestFromLink(std::string_view link);

// The bytes of a request file holding text: UTF-16LE with a BOM, which the request reader of both programs
// reads as such, so every character of a name survives.
std::string requestFileBytes(std::u16string_view text);

// The request file an argument names: a path ending in .veltrane-request, or a file:// URL to one (as a
// desktop passes it for %u), decoded to the path. Nothing for any other argument.
std::optional<std::string> requestFileArgument(std::string_view arg);

}  // namespace veltrane::app
