#pragma once
// The one place tests build a platform bundle: every service is a fake unless the test names its own.
//   auto bundle = fakes::makeTestPlatform(p, {.printers = &dryPrinters, .browser = &host});

#include "platform/platform.h"

namespace veltrane::fakes {

struct FakePlatform;

// A service left null is taken from the base. Named in the bundle's order, so designated initializers work.
struct PlatformOverrides {
    platform::Registry* registry = nullptr;
    platform::IniReader* ini = nullptr;
    platform::FileSystem* files = nullptr;
    platform::AnsiCodec* ansi = nullptr;
    platform::Clock* clock = nullptr;
    platform::LocaleInfo* locale = nullptr;
    platform::KnownFolders* folders = nullptr;
    platform::CommandLine* commandLine = nullptr;
    platform::Printers* printers = nullptr;
    platform::Launcher* launcher = nullptr;
    platform::Clipboard* clipboard = nullptr;
    platform::Dialogs* dialogs = nullptr;
    platform::Browser* browser = nullptr;
    platform::Process* process = nullptr;
    platform::SystemInfo* system = nullptr;
    platform::RunningInstances* instances = nullptr;
};

// The fakes of fakes, with the given services in their place.
platform::Platform makeTestPlatform(FakePlatform& fakes, const PlatformOverrides& overrides = {});
// base, with the given services in their place.
platform::Platform makeTestPlatform(const platform::Platform& base, const PlatformOverrides& overrides);

}  // namespace veltrane::fakes
