#pragma once
// The window's fonts: Tahoma in the designed pixel sizes, made once per size, weight and DPI.

#include <windows.h>

#include <map>
#include <tuple>

namespace veltrane::platform::win32::window {

class FontCache {
public:
    FontCache() = default;
    ~FontCache();
    FontCache(const FontCache&) = delete;
    FontCache& operator=(const FontCache&) = delete;

    // pixelSize is the character height at 96 dpi (the designed 8 point is 11).
    HFONT font(int pixelSize, bool bold, int dpi);

private:
    std::map<std::tuple<int, bool, int>, HFONT> fonts_;
};

// The size of a text drawn in the font, in pixels.
SIZE textExtent(HFONT font, const wchar_t* text, int length);

}  // namespace veltrane::platform::win32::window
