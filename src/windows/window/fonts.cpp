#include "windows/window/fonts.h"

#include "windows/window/dpi.h"

namespace veltrane::platform::win32::window {

FontCache::~FontCache() {
    for (auto& [key, font] : fonts_)
        if (font != GetStockObject(DEFAULT_GUI_FONT)) DeleteObject(font);
}

HFONT FontCache::font(int pixelSize, bool bold, int dpi) {
    const auto key = std::make_tuple(pixelSize, bold, dpi);
    if (auto it = fonts_.find(key); it != fonts_.end()) return it->second;
    // A negative height asks for the character height, as the designed sizes are given.
    HFONT made =
        CreateFontW(-scaled(pixelSize, dpi), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Tahoma");
    if (!made) made = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    fonts_[key] = made;
    return made;
}

SIZE textExtent(HFONT font, const wchar_t* text, int length) {
    SIZE size{0, 0};
    HDC dc = GetDC(nullptr);
    if (!dc) return size;
    HGDIOBJ old = SelectObject(dc, font);
    if (length > 0) GetTextExtentPoint32W(dc, text, length, &size);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    size.cy = metrics.tmHeight;
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return size;
}

}  // namespace veltrane::platform::win32::window
