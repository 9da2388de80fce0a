#pragma once
// A folder of its own for one test: made fresh under the system's temporary folder, and removed with everything in
// it when the test is done, also what the test left read-only. The same on Linux and under MinGW.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>

namespace veltrane::testing {

class TempDir {
public:
    TempDir() {
        const std::filesystem::path base = std::filesystem::temp_directory_path();
        std::mt19937_64 pick(std::random_device{}() ^
                               static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
        // A name nobody else holds: the folder is made here, not found, so no other process can have planted it.
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::filesystem::path candidate = base / ("veltrane-test-" + std::to_string(pick() % 1000000000u));
            std::error_code error;
            if (std::filesystem::create_directory(candidate, error)) {
                // Only the owner may look inside, as mkdtemp leaves it; tests that need more open it up themselves.
                std::filesystem::permissions(candidate, std::filesystem::perms::owner_all, error);
                path_ = candidate;
                return;
            }
            if (error) throw std::runtime_error("cannot make a folder in " + base.string() + ": " + error.message());
        }
        throw std::runtime_error("cannot find a free folder name in " + base.string());
    }
    ~TempDir() {
        std::error_code ignored;
        // A test may leave folders it may not write (or, for root, enter): open them up, never through a link.
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                     ignored);
        std::error_code walking;
        for (auto entry = std::filesystem::recursive_directory_iterator(path_, walking);
             !walking && entry != std::filesystem::recursive_directory_iterator(); entry.increment(walking)) {
            // Before the walk goes down into it.
            if (!entry->is_symlink(ignored)) {
                std::filesystem::permissions(entry->path(), std::filesystem::perms::owner_all,
                                             std::filesystem::perm_options::add, ignored);
            }
        }
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // A name inside the folder as text, for the POSIX calls and string building of the Linux tests.
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

}  // namespace veltrane::testing
