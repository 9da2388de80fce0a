#pragma once
// Helpers of the Win32 backend tests: a temporary folder that is removed again, and wide-text conversions.

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace veltrane::testing {

inline std::u16string u16path(const std::filesystem::path& path) {
    const std::wstring text = path.wstring();
    return std::u16string(text.begin(), text.end());
}

class Win32TempDir {
public:
    Win32TempDir() {
        wchar_t base[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH + 1, base);
        static int counter = 0;
        path_ = std::filesystem::path(base) /
                ("veltrane-test-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter));
        std::filesystem::create_directories(path_);
    }
    ~Win32TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    Win32TempDir(const Win32TempDir&) = delete;
    Win32TempDir& operator=(const Win32TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path file(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

inline void writeBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Polls until done() holds or the deadline passes; true when it held.
template <typename Condition>
bool waitFor(Condition done, std::chrono::milliseconds deadline = std::chrono::seconds(20)) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

}  // namespace veltrane::testing
