#pragma once
// A whole file's bytes, read or written as they are: no line-end or code-page translation on any system.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

namespace veltrane::testing {

// Empty when the file cannot be read.
inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Replaces what the file held; false when it cannot be written.
inline bool writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

// Written beside the file and renamed into place (replacing it), so a reader that waits for the file to appear never
// sees half of it; false when it cannot be written.
inline bool writeFileAtomically(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::path temporary = path;
    temporary += ".tmp";
    if (!writeFile(temporary, bytes)) return false;
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    return !error;
}

}  // namespace veltrane::testing
