#pragma once

#include <string>

namespace veltrane::platform {

class Clipboard {
public:
    virtual ~Clipboard() = default;
    // Replaces the clipboard's content with text. Throws "Cannot open clipboard: <reason>".
    virtual void setText(const std::u16string& text) = 0;
};

}  // namespace veltrane::platform
