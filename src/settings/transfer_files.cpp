#include "settings/transfer_files.h"

#include "platform/common/reg_format.h"

namespace veltrane::settings {

ImportSummary importSettingsFile(platform::Registry& registry, TransferFiles& files, const std::string& path,
                                 std::ostream& notes) {
    const std::string label = "Import file " + path;
    const std::string bytes = files.readImportFile(path);
    // The store's own error says more than a refused key would; a bad file is still reported as such first.
    const platform::RegDocument parsed = platform::parseRegText(bytes, label);
    if (const auto* key = programKeyOf(parsed)) {
        requireReadableValues(*key, label);
        files.prepareStore();
    }
    return importSettingsText(registry, bytes, label, path, files.storeLabel(), notes);
}

void exportSettingsFile(platform::Registry& registry, TransferFiles& files, const std::string& path) {
    const std::string bytes = exportSettingsText(registry, files.exportEncoding());
    if (path == "-")
        files.writeStandardOutput(bytes);
    else
        files.writeExportFile(path, bytes);
}

void transferSettings(platform::Registry& registry, TransferFiles& files, const std::string& importPath,
                      const std::string& exportPath, std::ostream& messages) {
    if (!importPath.empty()) {
        const auto summary = importSettingsFile(registry, files, importPath, messages);
        messages << "Imported " << summary.valuesImported << " settings from " << importPath << "\n";
    }
    if (!exportPath.empty()) exportSettingsFile(registry, files, exportPath);
}

}  // namespace veltrane::settings
