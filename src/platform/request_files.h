#pragma once
// Request files the program writes for itself: a link from a browser becomes one, carried out like -x.

#include <string>
#include <string_view>

namespace veltrane::platform {

class RequestFiles {
public:
    virtual ~RequestFiles() = default;
    // Writes bytes to a new file that only this user can read, in the user's runtime or temporary folder, under
    // a fresh name ending in suffix, and returns its path. Never opens a file that was already there. Throws
    // veltrane::Error with the file texts.
    virtual std::u16string writePrivateFile(std::u16string_view suffix, const std::string& bytes) = 0;
    // Removes the file; one that is already gone is no error.
    virtual void removeFile(const std::u16string& path) noexcept = 0;
};

}  // namespace veltrane::platform
