#pragma once
// The values of the program's key that the program itself reads. It reads each of them only as text, so a value
// of another type under one of these names makes every operation that reads it fail.

#include <string_view>

namespace veltrane::settings {

// Whether the program reads the value called name (letter case ignored, as in the registry).
bool programReadsSetting(std::u16string_view name);

}  // namespace veltrane::settings
