#include "imaging/catalogue.h"

namespace veltrane::imaging {

const ImagingSystem* findSystem(std::u16string_view shortName) {
    for (const auto& system : kCatalogue) {
        if (system.shortName == shortName) return &system;
    }
    return nullptr;
}

}  // namespace veltrane::imaging
