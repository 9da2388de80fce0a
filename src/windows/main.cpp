// The Windows process entry: the program's own options, the Win32 services, start-up, the native window, and the
// outermost error report.

#include <windows.h>

#include <cstdio>
#include <exception>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/link_request_file.h"
#include "app/program_options.h"
#include "app/setup_check.h"
#include "app/tform1.h"
#include "app/window/browser_events.h"
#include "base/error.h"
#include "base/text.h"
#include "platform/known_folders.h"
#include "windows/win32_platform.h"
#include "windows/services/parent_console.h"
#include "windows/services/program_command_line.h"
#include "windows/services/shell_folders.h"
#include "windows/services/win32_files.h"
#include "windows/services/win32_setup_probe.h"
#include "windows/common/wide_text.h"
#include "windows/services/settings_transfer_files.h"
#include "windows/services/win32_registry.h"
#include "settings/transfer_files.h"
#include "windows/window/dpi.h"
#include "windows/window/main_window.h"

using namespace veltrane;

namespace {

// Exit codes besides 0, as --help states them: a bad option or settings transfer (1), the window is needed and
// cannot be shown (2).
constexpr int kFailed = 1;
constexpr int kNeedsWindow = 2;

void printError(const std::string& message) { std::cerr << "veltrane-client-tools: " << message << std::endl; }

// --help and --version: to standard output, or, started where there is none to reach (a shortcut, Explorer, the
// Run box), in a message box, so that asking for them never ends in silence.
void showInformation(const std::string& text, const platform::win32::StandardStreams& streams) {
    if (streams.output) {
        std::cout << text << std::flush;
        return;
    }
    std::string shown = text;
    while (!shown.empty() && shown.back() == '\n') shown.pop_back();
    MessageBoxW(nullptr, platform::win32::wide(utf8ToUtf16(shown)), L"Veltrane Client Tools",
                MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
}

// The arguments that splitProgramOptions kept, as the original UTF-16 texts: a name that UTF-8 cannot carry
// (a lone surrogate is a valid Windows file name) must reach start-up unchanged.
std::vector<std::u16string> keptOriginals(const std::vector<std::u16string>& all, const std::vector<std::string>& utf8,
                                          const std::vector<std::string>& kept) {
    std::vector<std::u16string> result;
    std::size_t next = 0;
    for (const std::string& argument : kept) {
        while (next < utf8.size() && utf8[next] != argument) ++next;
        result.push_back(next < utf8.size() ? all[next++] : utf8ToUtf16(argument));
    }
    return result;
}

std::string settingsLocation() { return "HKEY_CURRENT_USER\\Software\\Veltrane (registry key)"; }

std::string logLocation() {
    platform::win32::ShellFolders folders;
    const std::u16string documents = folders.folderPath(platform::kCommonDocuments);
    return utf16ToUtf8(documents.empty() ? u"clienttools.log" : documents + u"\\clienttools.log");
}

// Settings export and import run instead of the program, in regedit's own file format (UTF-16LE with BOM); an
// import reads that and UTF-8 files exported on Linux alike.
int transferSettings(const app::ProgramOptions& options) {
    try {
        platform::win32::Win32Registry registry;
        platform::win32::SettingsTransferFiles files;
        settings::transferSettings(registry, files, options.importSettings, options.exportSettings, std::cerr);
        return 0;
    } catch (const std::exception& e) {
        printError(e.what());
        return kFailed;
    }
}

int run(const platform::win32::StandardStreams& streams) {
    std::vector<std::u16string> all =
        platform::win32::splitProgramArguments(platform::win32::fromWide(GetCommandLineW()));
    // The program's name comes first; a parent may start it with an empty command line.
    if (all.empty()) all.emplace_back();
    std::vector<std::string> utf8;
    for (const auto& argument : all) utf8.push_back(utf16ToUtf8(argument));

    app::ProgramOptions options;
    const std::vector<std::string> kept = app::splitProgramOptions(utf8, options);
    if (!options.error.empty()) {
        printError(options.error);
        return kFailed;
    }
    // Help and version need neither the settings nor a window.
    if (options.help) {
        showInformation(app::helpText(settingsLocation(), logLocation()), streams);
        return 0;
    }
    if (options.version) {
        showInformation(std::string("veltrane-client-tools ") + VELTRANE_VERSION + "\n", streams);
        return 0;
    }
    if (!options.exportSettings.empty() || !options.importSettings.empty()) return transferSettings(options);

    if (options.check) {
        platform::win32::Win32Services services(keptOriginals(all, utf8, kept), {.dryRun = false});
        platform::win32::Win32SetupProbe probe;
        settings::SettingsStore store(services.bundle().registry);
        const app::SetupReport report = app::checkSetup(store, services.bundle(), probe);
        std::string text;
        for (const auto& line : report.lines) text += line + "\n";
        showInformation(text, streams);
        return report.allWell ? 0 : kFailed;
    }
    // A link becomes a request file of our own, carried out as -x and removed however the process ends; a
    // request file a browser passes is carried out as -x too.
    std::vector<std::u16string> arguments = keptOriginals(all, utf8, kept);
    platform::win32::Win32RequestFiles requestFiles;
    std::unique_ptr<app::LinkRequestFile> linkFile;
    if (!options.link.empty()) {
        try {
            linkFile = std::make_unique<app::LinkRequestFile>(requestFiles, options.link);
        } catch (const std::exception& e) {
            // Whoever clicked the link is told why nothing happens (a box, or standard error without a desktop).
            platform::win32::MessageBoxDialogs().showError(utf8ToUtf16(e.what()));
            return kFailed;
        }
        arguments.insert(arguments.end(), {u"-x", linkFile->path()});
    } else if (!options.requestFile.empty()) {
        arguments.insert(arguments.end(), {u"-x", utf8ToUtf16(options.requestFile)});
    }

    platform::win32::Win32Services services(std::move(arguments), {.dryRun = options.dryRun});
    std::optional<app::ExitRemovingRequest> exitRemoving;
    std::optional<platform::Platform> linked;
    if (linkFile) {
        exitRemoving.emplace(services.bundle().process, *linkFile);
        linked.emplace(app::withProcess(services.bundle(), *exitRemoving));
    }
    app::TForm1 form(linked ? *linked : services.bundle());
    // An error during start-up is reported, and the window still opens with whatever state start-up reached.
    try {
        form.FormCreate();
        if (options.dryRun) form.finishDryRunPrint();
    } catch (const std::exception& e) {
        services.dialogs().showError(utf8ToUtf16(e.what()));
    }
    // Still running: the request needs the window (or there was none).
    std::unique_ptr<platform::win32::window::MainWindow> window;
    try {
        window = std::make_unique<platform::win32::window::MainWindow>(form);
    } catch (const std::exception& e) {
        // No desktop to show it on: said in a box where one can be shown, else on standard error.
        services.dialogs().showError(utf8ToUtf16(e.what()));
        return kNeedsWindow;
    }
    platform::win32::window::MainWindow& view = *window;
    services.dialogs().setOwner(view.handle());
    try {
        // The browser's events reach the core like the window's own: errors reported, the model rendered again.
        services.browserHost().attach(
            view.browserPanel(),
            app::browserEventsFor(
                form, [&](const std::function<void()>& event) { view.handle(event); },
                [&](const std::string& message) { services.dialogs().showError(utf8ToUtf16(message)); }));
    } catch (const std::exception& e) {
        // The window still serves DONE, which puts back whatever the request switched.
        services.dialogs().showError(utf8ToUtf16(e.what()));
    }
    window->show(SW_SHOWNORMAL);
    return window->runMessageLoop();
}

}  // namespace

int wmain(int, wchar_t**) {
    const platform::win32::StandardStreams streams = platform::win32::attachParentConsole();
    // Before any window or box exists: the awareness is the process's, fixed once the first window is made.
    platform::win32::window::enableDpiAwareness();
    int code = kFailed;
    try {
        code = run(streams);
    } catch (const std::exception& e) {
        // Nothing of the program is left to report it: say it in a box, or on standard error without a desktop.
        platform::win32::MessageBoxDialogs().showError(utf8ToUtf16(e.what()));
    }
    std::cout.flush();
    std::cerr.flush();
    std::fflush(stdout);
    std::fflush(stderr);
    return code;
}
