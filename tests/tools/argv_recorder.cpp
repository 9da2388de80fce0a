// Stands in for an imaging program: writes what it was started with to $VELTRANE_RECORDER_OUT, one item per
// line after a tag: "arg <text>" per argument (argv[0] included), "fd <n>" per open descriptor and "fdlink <n>
// <target>" for what it refers to, "ppid", "sid" and "pid". With $VELTRANE_RECORDER_GATE it first waits until that file
// exists, to outlive whoever started it; the file is written to a temporary name and renamed, so a reader never
// sees half of it.

#include <dirent.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "support/file_bytes.h"
#include "support/wait_for.h"

int main(int argc, char** argv) {
    const char* out = std::getenv("VELTRANE_RECORDER_OUT");
    if (!out) return 2;
    std::string fds;
    if (DIR* dir = opendir("/proc/self/fd")) {
        const int own = dirfd(dir);
        while (const dirent* entry = readdir(dir)) {
            if (entry->d_name[0] == '.') continue;
            if (std::atoi(entry->d_name) == own) continue;
            fds += "fd " + std::string(entry->d_name) + "\n";
            char target[4096] = {};
            const std::string link = std::string("/proc/self/fd/") + entry->d_name;
            if (readlink(link.c_str(), target, sizeof target - 1) > 0) {
                fds += "fdlink " + std::string(entry->d_name) + " " + target + "\n";
            }
        }
        closedir(dir);
    }
    // Holds the record back until the test has made its check, so "not yet written" proves the starter did not
    // wait for us; given up after a deadline, so a starter that does wait still ends and the test fails.
    if (const char* gate = std::getenv("VELTRANE_RECORDER_GATE")) {
        veltrane::testing::waitFor([&] { return access(gate, F_OK) == 0; }, std::chrono::seconds(30),
                                   std::chrono::milliseconds(10));
    }
    std::string record;
    for (int i = 0; i < argc; ++i) record += "arg " + std::string(argv[i]) + "\n";
    record += fds;
    record += "pid " + std::to_string(getpid()) + "\nppid " + std::to_string(getppid()) + "\nsid " +
              std::to_string(getsid(0)) + "\n";
    return veltrane::testing::writeFileAtomically(out, record) ? 0 : 3;
}
