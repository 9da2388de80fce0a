#pragma once
// What --check asks of a Windows workstation: the shell's lookup of a program, a trial file in a folder, a HEAD
// request through WinHTTP, and whether the shared log opens for appending.

#include "platform/setup_probe.h"

namespace veltrane::platform::win32 {

class Win32SetupProbe final : public SetupProbe {
public:
    std::string whyNotStartable(const LaunchRequest& request) override;
    std::string whyFolderNotWritable(const std::u16string& folder) override;
    std::string whyServerSilent(const std::u16string& server, bool tls, int timeoutMs) override;
    std::string whyLogUnusable(const std::u16string& path) override;
};

}  // namespace veltrane::platform::win32
