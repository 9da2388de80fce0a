// Prints how long settings operations take on the per-user registry file: every operation reads the file
// afresh, and every write replaces it with two fsyncs, so these are the figures the configuration pages feel.
// Usage: registry-file-bench [folder]   (default: a new folder under /tmp)
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "support/temp_dir.h"
#include "base/text.h"
#include "linux/posix/registry_file.h"
#include "platform/common/reg_format.h"
#include "settings/settings_store.h"

using namespace veltrane;
using Clock = std::chrono::steady_clock;

template <typename F>
double millisecondsPerRun(int runs, F&& f) {
    const auto start = Clock::now();
    for (int i = 0; i < runs; ++i) f(i);
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count() / runs;
}

int main(int argc, char** argv) {
    // The folder given, or one of its own that goes again at the end.
    std::optional<veltrane::testing::TempDir> scratch;
    if (argc <= 1) scratch.emplace();
    const std::string folder = argc > 1 ? std::string(argv[1]) : scratch->path().string();
    platform::posix::RegistryFile file(folder + "/veltrane-client-tools/registry.reg");
    settings::SettingsStore store(file);
    // As many values as the program keeps, of typical lengths.
    for (int i = 0; i < 72; ++i) {
        store.writeSetting(u"setting_" + utf8ToUtf16(std::to_string(i)), u"C:\\Program Files\\Imaging\\Folder\\");
    }
    std::printf("settings file: %s (%ju bytes, 72 values)\n", file.filePath().c_str(),
                static_cast<std::uintmax_t>(std::filesystem::file_size(file.filePath())));

    const auto text = *platform::posix::readSettingsText(file.filePath(), "bench");
    std::printf("parse + serialize in memory: %.3f ms\n", millisecondsPerRun(2000, [&](int) {
                    platform::serializeRegText(platform::parseRegText(text, "bench"));
                }));
    std::printf("readSetting (open with create, read, close): %.3f ms\n", millisecondsPerRun(2000, [&](int i) {
                    store.readSetting(u"setting_" + utf8ToUtf16(std::to_string(i % 72)));
                }));
    std::printf("writeSetting of an unchanged value (no write needed): %.3f ms\n", millisecondsPerRun(500, [&](int) {
                    store.writeSetting(u"setting_1", u"C:\\Program Files\\Imaging\\Folder\\");
                }));
    std::printf(
        "writeSetting of a changed value (locked, atomic, fsynced): %.3f ms\n",
        millisecondsPerRun(200, [&](int i) { store.writeSetting(u"setting_2", utf8ToUtf16(std::to_string(i))); }));
    return 0;
}
