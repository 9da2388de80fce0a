// Times starts of veltrane-client-tools that need no window (an images request whose one enabled system does
// nothing) against a bare C++ process doing the same file reads, and prints wall time, peak RSS and the ratio.
#include <unistd.h>

#include "process_timing.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/file_bytes.h"
#include "support/temp_dir.h"

using bench::Run;
using bench::median;
using bench::runOnce;
using veltrane::testing::writeFile;

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: startup-bench PROGRAM BARE_START [ITERATIONS]\n");
        return 2;
    }
    const int iterations = argc > 3 ? std::atoi(argv[3]) : 30;
    const veltrane::testing::TempDir scratch;
    const auto& home = scratch.path();
    const auto config = home / ".config/veltrane-client-tools";
    std::filesystem::create_directories(config);
    std::filesystem::create_directories(home / "shared");
    const auto settings = config / "registry.reg";
    writeFile(settings,
              "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n"
              "\"logging_enabled\"=\"True\"\r\n\"apexnrg_enabled\"=\"True\"\r\n");
    const auto request = home / "request.ini";
    writeFile(request, "[settings]\r\naction=images\r\npatient_id=1042\r\nforenames=Anna\r\nsurname=Berg\r\n");
    const std::vector<std::string> env = {"HOME=" + home.string(), "VELTRANE_SHARED_DIR=" + (home / "shared").string(),
                                          "PATH=/usr/bin:/bin", "LANG=C.UTF-8"};
    std::vector<Run> program, bare;
    for (int i = 0; i < iterations; ++i) {
        program.push_back(runOnce({argv[1], "-x", request.string()}, env));
        bare.push_back(runOnce({argv[2], settings.string(), request.string(), (home / "shared/bare.log").string()}, env));
    }
    const Run p = median(program), b = median(bare);
    bench::printComparison("start without window", iterations, p, b);
    return 0;
}
