#pragma once
// Text files in the ANSI code page: the activity log (appended) and exchange files (written whole).

#include <string>

namespace veltrane::platform {

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // Opens path for appending, creating it when absent, and writes bytes in one append so lines of two
    // processes never interleave. Throws veltrane::Error with the file texts ("File access denied", ...), or
    // with a sentence saying why, for a log that others could read or change. (The activity log, its only
    // user, reports such a failure once and goes on.)
    virtual void appendToFile(const std::u16string& path, const std::string& bytes) = 0;
    // Creates or truncates path, writes bytes, flushes and closes it. Throws like appendToFile.
    virtual void writeWholeFile(const std::u16string& path, const std::string& bytes) = 0;
};

}  // namespace veltrane::platform
