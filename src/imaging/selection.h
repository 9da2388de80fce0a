#pragma once
// Which imaging systems an images request may open.

#include <string>
#include <vector>

#include "settings/settings_store.h"

namespace veltrane::imaging {

// The short names of the systems whose "<prefix>_enabled" setting is exactly "True", in scan order. Every value
// is read here, before the first bridge runs.
std::vector<std::u16string> enabledSystems(settings::OpenSettingsKey& key);

}  // namespace veltrane::imaging
