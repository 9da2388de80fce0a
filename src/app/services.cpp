// The Linux composition: which backend serves each platform service, and the dry-run decorators.

#include "app/services.h"

#include <iostream>
#include <optional>

#include "platform/dry_run/dry_run_printing.h"
#include "platform/dry_run/dry_run_services.h"
#include "platform/posix/command_line.h"
#include "platform/posix/iconv_codec.h"
#include "platform/posix/lazy_printers.h"
#include "platform/posix/ini_file_reader.h"
#include "platform/posix/posix_files.h"
#include "platform/posix/posix_locale.h"
#include "platform/posix/process.h"
#include "platform/posix/process_launcher.h"
#include "platform/posix/registry_file.h"
#include "platform/posix/running_instances.h"
#include "platform/posix/shared_folders.h"
#include "platform/posix/system_info.h"
#include "platform/x11/x11_clipboard.h"

namespace veltrane::app {

namespace {

using namespace platform;
using namespace platform::posix;

class PosixServices final : public Services {
public:
    PosixServices(std::vector<std::string> args, const ServiceOptions& options)
        : registry_(defaultRegistryFilePath()), ini_(ansi_), commandLine_(std::move(args)) {
        if (options.dryRun) {
            dryRegistry_.emplace(registry_, std::cout);
            dryPrinters_.emplace(printers_, std::cout);
            dryBrowser_.emplace(std::cout);
            dryLauncher_.emplace(effects_);
            dryFiles_.emplace(effects_, files_);
            dryClipboard_.emplace(effects_);
        }
    }

    Registry& registry() override { return dryRegistry_ ? static_cast<Registry&>(*dryRegistry_) : registry_; }
    IniReader& ini() override { return ini_; }
    FileSystem& files() override { return dryFiles_ ? static_cast<FileSystem&>(*dryFiles_) : files_; }
    AnsiCodec& ansi() override { return ansi_; }
    Clock& clock() override { return clock_; }
    LocaleInfo& locale() override { return locale_; }
    SpecialFolders& folders() override { return folders_; }
    CommandLine& commandLine() override { return commandLine_; }
    Printers& printers() override { return dryPrinters_ ? static_cast<Printers&>(*dryPrinters_) : printers_; }
    Launcher& launcher() override { return dryLauncher_ ? static_cast<Launcher&>(*dryLauncher_) : launcher_; }
    Clipboard& clipboard() override {
        return dryClipboard_ ? static_cast<Clipboard&>(*dryClipboard_) : clipboard_;
    }
    Process& process() override { return process_; }
    SystemInfo& system() override { return system_; }
    RunningInstances& instances() override { return instances_; }
    Browser* dryRunBrowser() override { return dryBrowser_ ? &*dryBrowser_ : nullptr; }

private:
    IconvAnsiCodec ansi_;
    RegistryFile registry_;
    IniFileReader ini_;
    PosixFiles files_;
    PosixClock clock_;
    PosixLocale locale_;
    SharedFolders folders_;
    PosixCommandLine commandLine_;
    LazyPrinters printers_;
    PosixLauncher launcher_;
    x11::X11Clipboard clipboard_;
    PosixProcess process_;
    PosixSystemInfo system_;
    ProcRunningInstances instances_;
    std::optional<dry_run::DryRunRegistry> dryRegistry_;
    std::optional<dry_run::DryRunPrinters> dryPrinters_;
    std::optional<dry_run::DryRunBrowser> dryBrowser_;
    dry_run::EffectPrinter effects_{stdout};
    std::optional<dry_run::DryRunLauncher> dryLauncher_;
    std::optional<dry_run::DryRunFiles> dryFiles_;
    std::optional<dry_run::DryRunClipboard> dryClipboard_;
};

}  // namespace

std::unique_ptr<Services> makeServices(std::vector<std::string> args, const ServiceOptions& options) {
    return std::make_unique<PosixServices>(std::move(args), options);
}

}  // namespace veltrane::app
