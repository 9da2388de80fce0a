#include "platform/dry_run/dry_run_services.h"

namespace veltrane::platform::dry_run {

void DryRunLauncher::launch(const LaunchRequest& request) {
    printer_.print("launch", {{"verb", jsonString(request.verb)},
                              {"file", jsonString(request.file)},
                              {"parameters", jsonString(request.parameters)},
                              {"directory", jsonString(request.directory)},
                              {"showCommand", std::to_string(request.showCommand)}});
}

void DryRunFiles::appendToFile(const std::u16string& path, const std::string& bytes) {
    real_.appendToFile(path, bytes);
}

void DryRunFiles::writeWholeFile(const std::u16string& path, const std::string& bytes) {
    printer_.print("file", {{"path", jsonString(path)}, {"content_base64", jsonString(base64(bytes))}});
}

void DryRunClipboard::setText(const std::u16string& text) { printer_.print("clipboard", {{"text", jsonString(text)}}); }

}  // namespace veltrane::platform::dry_run
