#include "linux/linux_platform.h"

#include "linux/modules/module_path.h"

namespace veltrane::platform {

namespace {
const char* programPathOf(const std::vector<std::string>& args) { return args.empty() ? nullptr : args[0].c_str(); }
}  // namespace

LinuxPlatform::LinuxPlatform(std::vector<std::string> args)
    : registry_(posix::defaultRegistryFilePath()),
      ini_(ansi_),
      commandLine_(args),
      printers_(modules_, modules::printersModulePath()),
      clipboard_(modules::shippedFilePath("veltrane-clipboard", "VELTRANE_CLIPBOARD_HELPER")),
      ui_(modules_, programPathOf(args)),
      platform_{.registry = registry_,
                .ini = ini_,
                .files = files_,
                .ansi = ansi_,
                .clock = clock_,
                .locale = locale_,
                .folders = folders_,
                .commandLine = commandLine_,
                .printers = printers_,
                .launcher = launcher_,
                .clipboard = clipboard_,
                .dialogs = ui_,
                .browser = ui_,
                .process = process_,
                .system = system_,
                .instances = instances_} {}

}  // namespace veltrane::platform
