#pragma once
// What --check asks of the workstation beyond the settings and the printers. Each answer is empty when all is
// well, else a short reason in plain words.

#include <string>

#include "platform/launcher.h"

namespace veltrane::platform {

class SetupProbe {
public:
    virtual ~SetupProbe() = default;
    // Whether the launcher could start the request's program (found, and a program this system runs).
    virtual std::string whyNotStartable(const LaunchRequest& request) = 0;
    // Whether a new file can be made in folder: one is made and removed again.
    virtual std::string whyFolderNotWritable(const std::u16string& folder) = 0;
    // Whether an HTTP server answers at server (host, host:port) within timeoutMs; any HTTP status counts.
    virtual std::string whyServerSilent(const std::u16string& server, bool tls, int timeoutMs) = 0;
    // Whether the shared activity log at path can be written as the program writes it; makes nothing.
    virtual std::string whyLogUnusable(const std::u16string& path) = 0;
};

}  // namespace veltrane::platform
