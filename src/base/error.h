#pragma once
// The one error type of the program: what() is the exact text the user sees (UTF-8).

#include <stdexcept>
#include <string>
#include <string_view>

namespace veltrane {

class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// Replaces the first "%s" or "%d" in pattern with arg (the platform's message texts have one placeholder).
std::string formatMessage(std::string_view pattern, std::string_view arg);

namespace messages {
inline constexpr std::string_view kInvalidBoolean = "'%s' is not a valid boolean value";
inline constexpr std::string_view kInvalidInteger = "'%s' is not a valid integer value";
inline constexpr std::string_view kInvalidDataType = "Invalid data type for '%s'";
inline constexpr std::string_view kFailedToSetData = "Failed to set data for '%s'";
inline constexpr std::string_view kFailedToGetData = "Failed to get data for '%s'";
inline constexpr std::string_view kNoDefaultPrinter = "There is no default printer currently selected";
inline constexpr std::string_view kCannotOpenClipboard = "Cannot open clipboard: %s";
inline constexpr std::string_view kOutOfResources = "Out of system resources";
inline constexpr std::string_view kListIndexOutOfBounds = "List index out of bounds (%d)";
inline constexpr std::string_view kFileNotFound = "File not found";
inline constexpr std::string_view kInvalidFilename = "Invalid filename";
inline constexpr std::string_view kTooManyOpenFiles = "Too many open files";
inline constexpr std::string_view kFileAccessDenied = "File access denied";
inline constexpr std::string_view kDiskFull = "Disk full";
inline constexpr std::string_view kIoError = "I/O error %d";
}  // namespace messages

}  // namespace veltrane
