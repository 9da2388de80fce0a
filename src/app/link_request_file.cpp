#include "app/link_request_file.h"

#include "app/request_link.h"
#include "base/text.h"

namespace veltrane::app {

LinkRequestFile::LinkRequestFile(platform::RequestFiles& files, std::string_view link)
    : files_(files),
      path_(files.writePrivateFile(utf8ToUtf16(kRequestFileExtension), requestFileBytes(requestFromLink(link)))) {}

void LinkRequestFile::remove() noexcept {
    if (removed_) return;
    removed_ = true;
    files_.removeFile(path_);
}

platform::Platform withProcess(const platform::Platform& s, platform::Process& process) {
    return platform::Platform{s.registry, s.ini,       s.files,   s.ansi,     s.clock,   s.locale,
                              s.folders,  s.commandLine, s.printers, s.launcher, s.clipboard, s.dialogs,
                              s.browser,  process,     s.system,  s.instances};
}

}  // namespace veltrane::app
