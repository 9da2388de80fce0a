#pragma once
// The Linux composition: which backend serves each platform service. POSIX for files, processes, locale and the
// settings file; CUPS (a module loaded on first need) for printers; the X11 helper for the clipboard; the Qt
// window module, loaded on first need, for message boxes, dialogs, the browser and the window.

#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/command_line.h"
#include "platform/posix/dl_module_loader.h"
#include "platform/posix/iconv_codec.h"
#include "platform/posix/ini_file_reader.h"
#include "platform/posix/lazy_printers.h"
#include "platform/posix/posix_files.h"
#include "platform/posix/posix_locale.h"
#include "platform/posix/process.h"
#include "platform/posix/process_launcher.h"
#include "platform/posix/registry_file.h"
#include "platform/posix/running_instances.h"
#include "platform/posix/shared_folders.h"
#include "platform/posix/system_info.h"
#include "platform/posix/ui_loader.h"
#include "platform/x11/x11_clipboard.h"

namespace veltrane::platform {

class LinuxPlatform {
public:
    // args: the process arguments (argv), without the program's own options such as --dry-run; args[0] is the
    // program's path, the only argument the toolkit sees. Throws veltrane::Error when a service cannot start.
    explicit LinuxPlatform(std::vector<std::string> args);
    LinuxPlatform(const LinuxPlatform&) = delete;
    LinuxPlatform& operator=(const LinuxPlatform&) = delete;

    Platform& platform() { return platform_; }
    // The window module's side: showing the main window, and reporting an error of start-up.
    posix::UiLoader& ui() { return ui_; }

private:
    posix::DlModuleLoader modules_;
    posix::IconvAnsiCodec ansi_;
    posix::RegistryFile registry_;
    posix::IniFileReader ini_;
    posix::PosixFiles files_;
    posix::PosixClock clock_;
    posix::PosixLocale locale_;
    posix::SharedFolders folders_;
    posix::PosixCommandLine commandLine_;
    posix::LazyPrinters printers_;
    posix::PosixLauncher launcher_;
    x11::X11Clipboard clipboard_;
    posix::PosixProcess process_;
    posix::PosixSystemInfo system_;
    posix::ProcRunningInstances instances_;
    posix::UiLoader ui_;
    Platform platform_;
};

}  // namespace veltrane::platform
