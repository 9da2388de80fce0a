#include "fakes/test_platform.h"

#include "fakes/fake_platform.h"

namespace veltrane::fakes {

namespace {
template <class T>
T& either(T* override, T& base) {
    return override ? *override : base;
}
}  // namespace

platform::Platform makeTestPlatform(const platform::Platform& base, const PlatformOverrides& o) {
    return platform::Platform{.registry = either(o.registry, base.registry),
                              .ini = either(o.ini, base.ini),
                              .files = either(o.files, base.files),
                              .ansi = either(o.ansi, base.ansi),
                              .clock = either(o.clock, base.clock),
                              .locale = either(o.locale, base.locale),
                              .folders = either(o.folders, base.folders),
                              .commandLine = either(o.commandLine, base.commandLine),
                              .printers = either(o.printers, base.printers),
                              .launcher = either(o.launcher, base.launcher),
                              .clipboard = either(o.clipboard, base.clipboard),
                              .dialogs = either(o.dialogs, base.dialogs),
                              .browser = either(o.browser, base.browser),
                              .process = either(o.process, base.process),
                              .system = either(o.system, base.system),
                              .instances = either(o.instances, base.instances)};
}

platform::Platform makeTestPlatform(FakePlatform& f, const PlatformOverrides& overrides) {
    const platform::Platform fakes{.registry = f.registry,
                                   .ini = f.ini,
                                   .files = f.files,
                                   .ansi = f.ansi,
                                   .clock = f.clock,
                                   .locale = f.locale,
                                   .folders = f.folders,
                                   .commandLine = f.commandLine,
                                   .printers = f.printers,
                                   .launcher = f.launcher,
                                   .clipboard = f.clipboard,
                                   .dialogs = f.dialogs,
                                   .browser = f.browser,
                                   .process = f.process,
                                   .system = f.system,
                                   .instances = f.instances};
    return makeTestPlatform(fakes, overrides);
}

}  // namespace veltrane::fakes
