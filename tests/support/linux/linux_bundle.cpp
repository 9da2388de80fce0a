#include "support/linux/linux_bundle.h"

namespace veltrane::testing {

LinuxBundle::LinuxBundle(const fakes::PlatformOverrides& overrides, const LinuxBundleOptions& options)
    : ansi(options.codePage),
      ini(ansi),
      locale(options.locale.c_str()),
      commandLine(options.args),
      instances(options.instancesLock),
      bundle(fakes::makeTestPlatform(platform::Platform{.registry = registry,
                                                        .ini = ini,
                                                        .files = files,
                                                        .ansi = ansi,
                                                        .clock = clock,
                                                        .locale = locale,
                                                        .folders = folders,
                                                        .commandLine = commandLine,
                                                        .printers = printers,
                                                        .launcher = launcher,
                                                        .clipboard = clipboard,
                                                        .dialogs = dialogs,
                                                        .browser = browser,
                                                        .process = process,
                                                        .system = system,
                                                        .instances = instances},
                                     overrides)) {}

}  // namespace veltrane::testing
