// Times an images request with one enabled command-line bridge (DentalEye, starting a real native program)
// end to end, against a bare C++ process that reads the same files and starts the same program, and prints
// wall time, peak RSS and the ratio.
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
        std::fprintf(stderr, "usage: imaging-request-bench PROGRAM BARE_IMAGING_REQUEST [ITERATIONS]\n");
        return 2;
    }
    const int iterations = argc > 3 ? std::max(1, std::atoi(argv[3])) : 30;
    namespace fs = std::filesystem;
    const veltrane::testing::TempDir scratch;
    const auto& home = scratch.path();
    const auto config = home / ".config/veltrane-client-tools";
    const auto programs = home / "dentaleye";
    fs::create_directories(config);
    fs::create_directories(home / "shared");
    fs::create_directories(programs);
    // The imaging program: a native program that ends at once, so only the start is measured.
    fs::copy_file("/bin/true", programs / "cmdlink.exe");
    const auto settings = config / "registry.reg";
    writeFile(settings,
              "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n"
              "\"dentaleye_enabled\"=\"True\"\r\n\"dentaleye_program\"=\"" +
                  programs.string() + "/\"\r\n");
    const auto request = home / "request.ini";
    writeFile(request,
              "[settings]\r\naction=images\r\npatient_id=1042\r\nforenames=Anna\r\nsurname=Berg\r\n"
              "dob=19800102\r\ngender=F\r\n");
    const std::vector<std::string> env = {"HOME=" + home.string(), "VELTRANE_SHARED_DIR=" + (home / "shared").string(),
                                          "PATH=/usr/bin:/bin", "LANG=C.UTF-8"};
    std::vector<Run> program, bare;
    for (int i = 0; i < iterations; ++i) {
        program.push_back(runOnce({argv[1], "-x", request.string()}, env));
        bare.push_back(runOnce({argv[2], settings.string(), request.string()}, env));
    }
    const Run p = median(program), b = median(bare);
    bench::printComparison("images request, one command-line bridge (DentalEye)", iterations, p, b);
    return 0;
}
