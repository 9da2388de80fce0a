#include "imaging/selection.h"

#include <algorithm>

#include "imaging/catalogue.h"

namespace veltrane::imaging {

std::vector<std::u16string> enabledSystems(settings::OpenSettingsKey& key) {
    std::vector<const ImagingSystem*> order;
    for (const auto& system : kCatalogue) order.push_back(&system);
    std::sort(order.begin(), order.end(), [](auto* a, auto* b) { return a->scanPosition < b->scanPosition; });

    // Only the exact text "True" enables a system.
    std::vector<std::u16string> enabled;
    for (const auto* system : order) {
        if (key.read(std::u16string(system->prefix) + u"_enabled") == u"True") enabled.emplace_back(system->shortName);
    }
    return enabled;
}

}  // namespace veltrane::imaging
