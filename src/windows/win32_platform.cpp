#include "windows/win32_platform.h"

#include <windows.h>

#include <cstdio>
#include <iostream>
#include <optional>

#include "base/error.h"
#include "base/text.h"
#include "app/dry_run_keys.h"
#include "platform/common/dry_run/dry_run_platform.h"
#include "windows/browser/web_browser_host.h"
#include "windows/services/profile_ini_reader.h"
#include "windows/common/system_message.h"
#include "windows/services/program_command_line.h"
#include "windows/services/shell_folders.h"
#include "windows/services/shell_launcher.h"
#include "windows/services/spooler_printers.h"
#include "windows/common/wide_text.h"
#include "windows/services/win32_ansi_codec.h"
#include "windows/services/win32_clipboard.h"
#include "windows/services/win32_clock.h"
#include "windows/services/win32_files.h"
#include "windows/services/win32_locale.h"
#include "windows/services/win32_registry.h"
#include "windows/services/win32_running_instances.h"
#include "windows/services/win32_system_info.h"

namespace veltrane::platform::win32 {

namespace {

// Ends at once, past the window's close path; the C runtime still flushes what was printed.
class Win32Process final : public Process {
public:
    [[noreturn]] void exit(int code) override { std::exit(code); }
};

// The print view's browser: the WebBrowser control, which needs a desktop for its window. A print request asks
// before it switches anything, so nothing is left switched that no DONE could put back.
class PrintViewBrowser final : public Browser {
public:
    explicit PrintViewBrowser(WebBrowserHost& host) : host_(host) {}
    void navigate(const std::u16string& url, int flags) override { host_.navigate(url, flags); }
    void print(const PageSetupValues& pageSetup, const std::u16string& printer) override {
        host_.print(pageSetup, printer);
    }
    void ensureViewable() override {
        // The same window class the dialogs use: a probe that the system refuses without a desktop.
        HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
        if (!probe) {
            const DWORD error = GetLastError();
            throw Error("The print window cannot be shown: " +
                        (error ? systemMessage(error) : std::string("there is no desktop to show it on")));
        }
        DestroyWindow(probe);
        host_.ensureViewable();
    }

private:
    WebBrowserHost& host_;
};

}  // namespace

void MessageBoxDialogs::showMessage(const std::u16string& text, MessagePlacement placement) {
    try {
        boxes_.showMessage(text, placement);
    } catch (const Error&) {
        std::cerr << utf16ToUtf8(text) << std::endl;
    }
}

void MessageBoxDialogs::showError(const std::u16string& text) {
    try {
        boxes_.showError(text);
    } catch (const Error&) {
        std::cerr << "Error: " << utf16ToUtf8(text) << std::endl;
    }
}

struct Win32Services::Parts {
    Parts(std::vector<std::u16string> arguments, const Options& options) : commandLine(std::move(arguments)) {
        if (options.dryRun) dryRun.emplace(real, std::cout, std::cerr, app::dryRunOverlaidKeys());
    }

    Win32Registry registry;
    ProfileIniReader ini;
    Win32Files files;
    Win32AnsiCodec ansi;
    Win32Clock clock;
    Win32Locale locale;
    ShellFolders folders;
    Win32CommandLine commandLine;
    SpoolerPrinters printers;
    ShellLauncher launcher;
    Win32Clipboard clipboard;
    MessageBoxDialogs dialogs;
    WebBrowserHost browserHost{printers};
    PrintViewBrowser browser{browserHost};
    Win32Process process;
    Win32SystemInfo system;
    Win32RunningInstances instances;
    Platform real{registry, ini,      files,     ansi,    clock,   locale,  folders, commandLine,
                  printers, launcher, clipboard, dialogs, browser, process, system,  instances};
    std::optional<dry_run::DryRunPlatform> dryRun;

    Platform& bundle() { return dryRun ? dryRun->platform() : real; }
};

Win32Services::Win32Services(std::vector<std::u16string> arguments, const Options& options)
    : parts_(std::make_unique<Parts>(std::move(arguments), options)) {}

Win32Services::~Win32Services() = default;

Platform& Win32Services::bundle() { return parts_->bundle(); }

MessageBoxDialogs& Win32Services::dialogs() { return parts_->dialogs; }

WebBrowserHost& Win32Services::browserHost() { return parts_->browserHost; }

}  // namespace veltrane::platform::win32
