#include "imaging/catalogue.h"

namespace veltrane::imaging {

const ImagingSystem* findSystem(std::u16string_view shortName) {
    for (const auto& system : kCatalogue) {
        if (system.shortName == shortName) return &system;
    }
    return nullptr;
}

std::vector<std::u16string> bridgeSettingNames(const SystemSettings& settings) {
    std::vector<std::u16string> names;
    for (auto name : {settings.program, settings.images, settings.option})
        if (!name.empty()) names.emplace_back(name);
    return names;
}

}  // namespace veltrane::imaging
