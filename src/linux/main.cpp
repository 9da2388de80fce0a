// The Linux program: its own options, the Linux services (with the dry run over them when asked), start-up,
// then the window.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/dry_run_keys.h"
#include "app/link_request_file.h"
#include "app/program_options.h"
#include "app/setup_check.h"
#include "app/tform1.h"
#include "base/error.h"
#include "base/text.h"
#include "platform/common/dry_run/dry_run_platform.h"
#include "linux/linux_platform.h"
#include "linux/posix/posix_files.h"
#include "linux/posix/posix_setup_probe.h"
#include "linux/posix/registry_file.h"
#include "linux/posix/settings_transfer_files.h"
#include "linux/posix/shared_folders.h"
#include "settings/transfer_files.h"

using namespace veltrane;

namespace {

// Settings export and import run instead of the program and never need the window.
int transferSettings(const app::ProgramOptions& options) {
    try {
        platform::posix::RegistryFile store(platform::posix::defaultRegistryFilePath());
        platform::posix::SettingsTransferFiles files(store);
        settings::transferSettings(store, files, options.importSettings, options.exportSettings, std::cerr);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "veltrane-client-tools: %s\n", e.what());
        return 1;
    }
}

// Where this run keeps its log: the shared folder as configured, without creating it just to print help.
std::string sharedLogPath() {
    const char* configured = std::getenv("VELTRANE_SHARED_DIR");
    std::string folder = configured && *configured ? configured : platform::posix::kDefaultSharedFolder;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder + "/clienttools.log";
}

}  // namespace

int main(int argc, char** argv) {
    app::ProgramOptions options;
    std::vector<std::string> args = app::splitProgramOptions(std::vector<std::string>(argv, argv + argc), options);
    if (!options.error.empty()) {
        std::fprintf(stderr, "veltrane-client-tools: %s\n", options.error.c_str());
        return 1;
    }
    // Help and version need neither the settings nor a display.
    if (options.help) {
        std::fputs(app::helpText(platform::posix::defaultRegistryFilePath(), sharedLogPath()).c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("veltrane-client-tools %s\n", VELTRANE_VERSION);
        return 0;
    }

    if (!options.exportSettings.empty() || !options.importSettings.empty()) return transferSettings(options);

    // A link becomes a request file of our own, carried out as -x and removed however the process ends; a
    // request file a browser passes is carried out as -x too.
    platform::posix::PosixRequestFiles requestFiles;
    std::unique_ptr<app::LinkRequestFile> linkFile;
    std::string refusedLink;
    if (!options.link.empty()) {
        try {
            linkFile = std::make_unique<app::LinkRequestFile>(requestFiles, options.link);
            args.insert(args.end(), {"-x", utf16ToUtf8(linkFile->path())});
        } catch (const std::exception& e) {
            refusedLink = e.what();
        }
    } else if (!options.requestFile.empty()) {
        args.insert(args.end(), {"-x", options.requestFile});
    }

    std::unique_ptr<platform::LinuxPlatform> services;
    try {
        services = std::make_unique<platform::LinuxPlatform>(args);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "veltrane-client-tools: %s\n", e.what());
        return 1;
    }
    if (options.check) {
        platform::posix::PosixFiles files;
        platform::posix::PosixSetupProbe probe(files);
        settings::SettingsStore store(services->platform().registry);
        const app::SetupReport report = app::checkSetup(store, services->platform(), probe);
        for (const auto& line : report.lines) std::printf("%s\n", line.c_str());
        return report.allWell ? 0 : 1;
    }
    // Whoever clicked the link sees why nothing happens (a box where there is a display, else standard error).
    if (!refusedLink.empty()) {
        services->ui().showError(utf8ToUtf16(refusedLink));
        return 1;
    }
    // A dry run prints the effects it would have (programs, files, clipboard, printer, page setup, the page)
    // instead of causing them.
    std::optional<platform::dry_run::DryRunPlatform> dryRun;
    if (options.dryRun) dryRun.emplace(services->platform(), std::cout, std::cerr, app::dryRunOverlaidKeys());
    platform::Platform& chosen = dryRun ? dryRun->platform() : services->platform();
    std::optional<app::ExitRemovingRequest> exitRemoving;
    std::optional<platform::Platform> linked;
    if (linkFile) {
        exitRemoving.emplace(chosen.process, *linkFile);
        linked.emplace(app::withProcess(chosen, *exitRemoving));
    }
    platform::Platform& bundle = linked ? *linked : chosen;
    platform::modules::WindowLoader& ui = services->ui();
    app::TForm1 form(bundle);

    // An error during start-up is reported, and the window still opens with whatever state start-up reached.
    try {
        form.FormCreate();
        if (options.dryRun) form.finishDryRunPrint();
    } catch (const Error& e) {
        ui.showError(utf8ToUtf16(e.what()));
    } catch (const std::exception& e) {
        ui.showError(utf8ToUtf16(e.what()));
    }
    return ui.runMainWindow(form);
}
