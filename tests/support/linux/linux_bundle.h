#pragma once
// The Linux program's services for tests that run the real thing: the POSIX backends for files, processes, the
// request-file rules, code page, clock and locale; no printers, clipboard or browser and messages on standard error,
// since a test has no display; and no settings unless the test gives its own registry. A test replaces any of
// them by naming it:
//   CountingLauncher launcher;
//   testing::LinuxBundle host({.launcher = &launcher});
//   app::TForm1 form(host.bundle);

#include <string>
#include <vector>

#include "fakes/test_platform.h"
#include "linux/posix/iconv_codec.h"
#include "linux/posix/ini_file_reader.h"
#include "linux/posix/posix_clock.h"
#include "linux/posix/posix_command_line.h"
#include "linux/posix/posix_files.h"
#include "linux/posix/posix_locale.h"
#include "linux/posix/posix_process.h"
#include "linux/posix/posix_running_instances.h"
#include "linux/posix/posix_system_info.h"
#include "linux/posix/process_launcher.h"
#include "linux/posix/shared_folders.h"
#include "platform/common/noop/noop_services.h"
#include "platform/platform.h"

namespace veltrane::testing {

// What the real services are made with.
struct LinuxBundleOptions {
    int codePage = 1252;
    std::string locale{};  // "": the environment's
    std::vector<std::string> args{"veltrane-client-tools"};
    std::string instancesLock{};  // "": the program's own
};

// A registry without keys: nothing is set, and nothing can be stored.
class NoSettings final : public platform::Registry {
public:
    std::unique_ptr<platform::RegistryKey> openKey(const std::u16string&, bool) override { return nullptr; }
};

struct LinuxBundle {
    explicit LinuxBundle(const fakes::PlatformOverrides& overrides = {}, const LinuxBundleOptions& options = {});
    LinuxBundle(const LinuxBundle&) = delete;
    LinuxBundle& operator=(const LinuxBundle&) = delete;

    NoSettings registry;
    platform::posix::IconvAnsiCodec ansi;
    platform::posix::IniFileReader ini;  // reads with the code page above, even where a test replaces it
    platform::posix::PosixFiles files;
    platform::posix::PosixClock clock;
    platform::posix::PosixLocale locale;
    platform::posix::SharedFolders folders;
    platform::posix::PosixCommandLine commandLine;
    platform::noop::NoPrinters printers;
    platform::posix::PosixLauncher launcher;
    platform::noop::NoClipboard clipboard;
    platform::noop::StderrDialogs dialogs;
    platform::noop::NoBrowser browser;
    platform::posix::PosixProcess process;
    platform::posix::PosixSystemInfo system;
    platform::posix::ProcRunningInstances instances;
    // These services, with the test's own in place of those it named.
    platform::Platform bundle;
};

}  // namespace veltrane::testing
