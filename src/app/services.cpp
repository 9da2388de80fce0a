// The Linux composition: which backend serves each platform service, and the dry-run decorators.

#include "app/services.h"

#include "platform/noop/noop_services.h"
#include "platform/posix/command_line.h"
#include "platform/posix/iconv_codec.h"
#include "platform/posix/ini_file_reader.h"
#include "platform/posix/posix_files.h"
#include "platform/posix/posix_locale.h"
#include "platform/posix/process.h"
#include "platform/posix/registry_file.h"
#include "platform/posix/shared_folders.h"
#include "platform/posix/system_info.h"

namespace veltrane::app {

namespace {

using namespace platform;
using namespace platform::posix;

class PosixServices final : public Services {
public:
    PosixServices(std::vector<std::string> args, const ServiceOptions&)
        : registry_(defaultRegistryFilePath()), ini_(ansi_), commandLine_(std::move(args)) {}

    Registry& registry() override { return registry_; }
    IniReader& ini() override { return ini_; }
    FileSystem& files() override { return files_; }
    AnsiCodec& ansi() override { return ansi_; }
    Clock& clock() override { return clock_; }
    LocaleInfo& locale() override { return locale_; }
    SpecialFolders& folders() override { return folders_; }
    CommandLine& commandLine() override { return commandLine_; }
    Printers& printers() override { return printers_; }
    Launcher& launcher() override { return launcher_; }
    Clipboard& clipboard() override { return clipboard_; }
    Process& process() override { return process_; }
    SystemInfo& system() override { return system_; }

private:
    IconvAnsiCodec ansi_;
    RegistryFile registry_;
    IniFileReader ini_;
    PosixFiles files_;
    PosixClock clock_;
    PosixLocale locale_;
    SharedFolders folders_;
    PosixCommandLine commandLine_;
    noop::NoPrinters printers_;
    noop::NoLauncher launcher_;
    noop::NoClipboard clipboard_;
    PosixProcess process_;
    PosixSystemInfo system_;
};

}  // namespace

std::unique_ptr<Services> makeServices(std::vector<std::string> args, const ServiceOptions& options) {
    return std::make_unique<PosixServices>(std::move(args), options);
}

}  // namespace veltrane::app
