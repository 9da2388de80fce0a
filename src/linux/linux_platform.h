#pragma once
// The Linux composition: which backend serves each platform service. POSIX for files, processes, locale and the
// settings file; CUPS (a module loaded on first need) for printers; the X11 helper for the clipboard; the Qt
// window module, loaded on first need, for message boxes, dialogs, the browser and the window.

#include <string>
#include <vector>

#include "platform/platform.h"
#include "linux/posix/posix_command_line.h"
#include "linux/modules/dl_module_loader.h"
#include "linux/posix/iconv_codec.h"
#include "linux/posix/ini_file_reader.h"
#include "linux/modules/lazy_printers.h"
#include "linux/posix/posix_files.h"
#include "linux/posix/posix_clock.h"
#include "linux/posix/posix_locale.h"
#include "linux/posix/posix_process.h"
#include "linux/posix/process_launcher.h"
#include "linux/posix/registry_file.h"
#include "linux/posix/posix_running_instances.h"
#include "linux/posix/shared_folders.h"
#include "linux/posix/posix_system_info.h"
#include "linux/modules/window_loader.h"
#include "linux/x11/x11_clipboard.h"

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
    modules::WindowLoader& ui() { return ui_; }

private:
    modules::DlModuleLoader modules_;
    posix::IconvAnsiCodec ansi_;
    posix::RegistryFile registry_;
    posix::IniFileReader ini_;
    posix::PosixFiles files_;
    posix::PosixClock clock_;
    posix::PosixLocale locale_;
    posix::SharedFolders folders_;
    posix::PosixCommandLine commandLine_;
    modules::LazyPrinters printers_;
    posix::PosixLauncher launcher_;
    x11::X11Clipboard clipboard_;
    posix::PosixProcess process_;
    posix::PosixSystemInfo system_;
    posix::ProcRunningInstances instances_;
    modules::WindowLoader ui_;
    Platform platform_;
};

}  // namespace veltrane::platform
