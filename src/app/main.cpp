// The process entry: the program's own options, the services, start-up, then the window.

#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "app/services.h"
#include "app/tform1.h"
#include "base/error.h"
#include "base/text.h"
#include "platform/posix/registry_file.h"
#include "platform/posix/settings_transfer.h"
#include "platform/posix/ui_loader.h"

using namespace veltrane;

namespace {

struct ProgramOptions {
    app::ServiceOptions services;
    std::string exportSettings;  // --export-settings FILE
    std::string importSettings;  // --import-settings FILE
    std::string error;
};

// Removes the program's own options from argv, so start-up sees the arguments the practice server passed.
std::vector<std::string> stripOwnOptions(int argc, char** argv, ProgramOptions& options) {
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i > 0 && arg == "--dry-run") {
            options.services.dryRun = true;
        } else if (i > 0 && (arg == "--export-settings" || arg == "--import-settings")) {
            if (i + 1 >= argc) {
                options.error = arg + " needs a file name (- for standard output)";
                break;
            }
            (arg == "--export-settings" ? options.exportSettings : options.importSettings) = argv[++i];
        } else {
            args.push_back(arg);
        }
    }
    return args;
}

int transferSettings(const ProgramOptions& options) {
    try {
        platform::posix::RegistryFile store(platform::posix::defaultRegistryFilePath());
        if (!options.importSettings.empty()) {
            const auto summary = platform::posix::importSettings(store, options.importSettings, std::cerr);
            std::fprintf(stderr, "Imported %zu settings from %s\n", summary.valuesImported,
                         options.importSettings.c_str());
        }
        if (!options.exportSettings.empty()) platform::posix::exportSettings(store, options.exportSettings);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "veltrane-client-tools: %s\n", e.what());
        return 1;
    }
}

}  // namespace

int main(int argc, char** argv) {
    ProgramOptions options;
    std::vector<std::string> args = stripOwnOptions(argc, argv, options);
    if (!options.error.empty()) {
        std::fprintf(stderr, "veltrane-client-tools: %s\n", options.error.c_str());
        return 1;
    }

    // Settings export and import run instead of the program and never need the window.
    if (!options.exportSettings.empty() || !options.importSettings.empty()) return transferSettings(options);

    std::unique_ptr<app::Services> services;
    try {
        services = app::makeServices(args, options.services);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "veltrane-client-tools: %s\n", e.what());
        return 1;
    }

    // Message boxes, dialogs, the browser and the window come from the window module, loaded on first need.
    platform::posix::UiLoader ui(argv[0]);
    // A dry run prints the page it would load and print instead of showing it.
    platform::Browser& browser = services->dryRunBrowser() ? *services->dryRunBrowser() : ui;
    platform::Platform bundle{services->registry(),
                              services->ini(),
                              services->files(),
                              services->ansi(),
                              services->clock(),
                              services->locale(),
                              services->folders(),
                              services->commandLine(),
                              services->printers(),
                              services->launcher(),
                              services->clipboard(),
                              ui,
                              browser,
                              services->process(),
                              services->system(),
                              services->instances()};
    app::TForm1 form(bundle);

    // An error during start-up is reported, and the window still opens with whatever state start-up reached.
    try {
        form.FormCreate();
    } catch (const Error& e) {
        ui.showError(utf8ToUtf16(e.what()));
    } catch (const std::exception& e) {
        ui.showError(utf8ToUtf16(e.what()));
    }
    return ui.runMainWindow(form);
}
