// How the program scales with the size of the settings file: an images request (one command-line bridge, the
// log on) with a settings file of many values, and an import of a file of many values into an empty store.
// Every settings read parses the whole file, so both must stay linear in the file's size.
// Usage: settings-scale-bench PROGRAM [REQUEST_VALUES [IMPORT_VALUES]]   (defaults 10000 and 100000)
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/file_bytes.h"
#include "support/temp_dir.h"

#include "process_timing.h"

namespace fs = std::filesystem;
using veltrane::testing::writeFile;

namespace {

const std::string kHeader = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n";

std::string values(int count, const char* prefix) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += "\"" + std::string(prefix) + std::to_string(i) + "\"=\"value number " + std::to_string(i) + "\"\r\n";
    }
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: settings-scale-bench PROGRAM [REQUEST_VALUES [IMPORT_VALUES]]\n");
        return 2;
    }
    const int requestValues = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10000;
    const int importValues = argc > 3 ? std::max(1, std::atoi(argv[3])) : 100000;
    const veltrane::testing::TempDir scratch;
    const auto& home = scratch.path();
    const auto config = home / ".config/veltrane-client-tools";
    fs::create_directories(config);
    fs::create_directories(home / "shared");
    fs::create_directories(home / "dentaleye");
    fs::copy_file("/bin/true", home / "dentaleye/cmdlink.exe");
    const auto settings = config / "registry.reg";
    writeFile(settings,
              kHeader + "\"logging_enabled\"=\"True\"\r\n\"dentaleye_enabled\"=\"True\"\r\n\"dentaleye_program\"=\"" +
                  (home / "dentaleye").string() + "/\"\r\n" + values(requestValues, "other_value_"));
    const auto request = home / "request.ini";
    writeFile(request,
              "[settings]\r\naction=images\r\npatient_id=1042\r\nforenames=Anna\r\nsurname=Berg\r\n"
              "dob=19800102\r\ngender=F\r\n");
    const std::vector<std::string> env = {"HOME=" + home.string(), "VELTRANE_SHARED_DIR=" + (home / "shared").string(),
                                          "PATH=/usr/bin:/bin", "LANG=C.UTF-8"};
    std::vector<bench::Run> runs;
    for (int i = 0; i < 5; ++i) runs.push_back(bench::runOnce({argv[1], "-x", request.string()}, env));
    const bench::Run images = bench::median(runs);
    std::printf("images request, settings file of %d values: %.0f ms (median of 5), peak RSS %ld kB\n", requestValues,
                images.millis, images.peakRssKb);

    const auto importFile = home / "import.reg";
    writeFile(importFile, kHeader + values(importValues, "imported_"));
    fs::remove(settings);
    const bench::Run import = bench::runOnce({argv[1], "--import-settings", importFile.string()}, env);
    std::printf("import of %d values into an empty store: %.0f ms, peak RSS %ld kB\n", importValues, import.millis,
                import.peakRssKb);
    return 0;
}
