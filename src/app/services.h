#pragma once
// The composition root: the Linux backends of every platform service except the window-side ones
// (message boxes, file dialogs, the browser), which the program entry adds from the window module.

#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/running_instances.h"

namespace veltrane::app {

struct ServiceOptions {
    bool dryRun = false;  // effects on programs, exchange files, clipboard, printers and page setup are printed
};

class Services {
public:
    virtual ~Services() = default;
    virtual platform::Registry& registry() = 0;
    virtual platform::IniReader& ini() = 0;
    virtual platform::FileSystem& files() = 0;
    virtual platform::AnsiCodec& ansi() = 0;
    virtual platform::Clock& clock() = 0;
    virtual platform::LocaleInfo& locale() = 0;
    virtual platform::SpecialFolders& folders() = 0;
    virtual platform::CommandLine& commandLine() = 0;
    virtual platform::Printers& printers() = 0;
    virtual platform::Launcher& launcher() = 0;
    virtual platform::Clipboard& clipboard() = 0;
    virtual platform::Process& process() = 0;
    virtual platform::SystemInfo& system() = 0;
    virtual platform::RunningInstances& instances() = 0;
    // With --dry-run the browser only reports the page it would load; nullptr means the window's own browser.
    virtual platform::Browser* dryRunBrowser() = 0;
};

// args: the process arguments (argv), without the program's own options such as --dry-run.
std::unique_ptr<Services> makeServices(std::vector<std::string> args, const ServiceOptions& options);

}  // namespace veltrane::app
