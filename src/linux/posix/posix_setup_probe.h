#pragma once
// What --check asks of a Linux workstation: the launcher's own rule for a program, a trial file in a folder, a
// plain HTTP request over a socket, and the log's own rules.

#include "linux/posix/posix_files.h"
#include "platform/setup_probe.h"

namespace veltrane::platform::posix {

class PosixSetupProbe final : public SetupProbe {
public:
    explicit PosixSetupProbe(PosixFiles& files) : files_(files) {}
    std::string whyNotStartable(const LaunchRequest& request) override;
    std::string whyFolderNotWritable(const std::u16string& folder) override;
    // HTTP: a HEAD request, answered by any status line. HTTPS: only that the port takes a connection (no TLS
    // library here).
    std::string whyServerSilent(const std::u16string& server, bool tls, int timeoutMs) override;
    std::string whyLogUnusable(const std::u16string& path) override;

private:
    PosixFiles& files_;
};

}  // namespace veltrane::platform::posix
