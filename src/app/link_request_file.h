#pragma once
// The request file a link becomes, for as long as the process may read it. The request reads its values
// lazily (a choice of imaging systems reads the patient when a button is pressed), so the file stays until
// the process ends; every way of ending removes it: the owner's scope, and a Process that removes it before
// the request's own exit (DONE, the last automatic load).

#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/request_files.h"

namespace veltrane::app {

class LinkRequestFile {
public:
    // Turns the link into a request file (requestFromLink); throws veltrane::Error for a refused link or a
    // file that cannot be written.
    LinkRequestFile(platform::RequestFiles& files, std::string_view link);
    LinkRequestFile(const LinkRequestFile&) = delete;
    LinkRequestFile& operator=(const LinkRequestFile&) = delete;
    ~LinkRequestFile() { remove(); }

    const std::u16string& path() const { return path_; }
    // Removes the file once; later calls do nothing.
    void remove() noexcept;

private:
    platform::RequestFiles& files_;
    std::u16string path_;
    bool removed_ = false;
};

// A process whose exit removes the link's request file first.
class ExitRemovingRequest final : public platform::Process {
public:
    ExitRemovingRequest(platform::Process& inner, LinkRequestFile& file) : inner_(inner), file_(file) {}
    [[noreturn]] void exit(int code) override {
        file_.remove();
        inner_.exit(code);
        std::abort();  // not reached: the compiler does not carry [[noreturn]] through the virtual call
    }

private:
    platform::Process& inner_;
    LinkRequestFile& file_;
};

// The same services with another process service.
platform::Platform withProcess(const platform::Platform& services, platform::Process& process);

}  // namespace veltrane::app
