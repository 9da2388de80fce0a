#include "platform/common/dry_run/dry_run_services.h"

#include "base/text.h"

namespace veltrane::platform::dry_run {

void DryRunLauncher::launch(const LaunchRequest& request) {
    out_.write("launch",
               {{"verb", utf16ToUtf8(request.verb)},
                {"file", utf16ToUtf8(request.file)},
                {"parameters", utf16ToUtf8(request.parameters)},
                {"directory", utf16ToUtf8(request.directory)}},
               {{"showCommand", request.showCommand}});
}

void DryRunFiles::appendToFile(const std::u16string&, const std::string& bytes) {
    std::size_t start = 0;
    while (start < bytes.size()) {
        auto end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        notes_ << "log: " << line << '\n';
        start = end + 1;
    }
    notes_.flush();
}

void DryRunFiles::writeWholeFile(const std::u16string& path, const std::string& bytes) {
    out_.write("file", {{"path", utf16ToUtf8(path)}, {"content_base64", base64(bytes)}});
}

void DryRunClipboard::setText(const std::u16string& text) { out_.write("clipboard", {{"text", utf16ToUtf8(text)}}); }

}  // namespace veltrane::platform::dry_run
