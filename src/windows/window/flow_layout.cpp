#include "windows/window/flow_layout.h"

#include <algorithm>

#include "app/window/button_grid.h"
#include "windows/common/wide_text.h"
#include "windows/window/fonts.h"

namespace veltrane::platform::win32::window {

ButtonGrid layoutImagingButtons(const std::vector<std::u16string>& captions, SIZE panel, SIZE designedButton,
                                int designedFontPixels, bool bold) {
    FontCache fonts;
    const auto fits = [&](int fontPixels, int width, int height) {
        // Measured at 96 dpi, where a font's pixel size is its designed size.
        HFONT font = fonts.font(fontPixels, bold, 96);
        if (textExtent(font, L"", 0).cy + app::kCaptionMargin / 2 > height) return false;
        return std::all_of(captions.begin(), captions.end(), [&](const std::u16string& caption) {
            return textExtent(font, wide(caption), static_cast<int>(caption.size())).cx + app::kCaptionMargin <=
                   width;
        });
    };
    const app::ButtonGrid grid = app::layoutImagingButtons(
        static_cast<int>(captions.size()), static_cast<int>(panel.cx), static_cast<int>(panel.cy),
        static_cast<int>(designedButton.cx), static_cast<int>(designedButton.cy), designedFontPixels, fits);
    ButtonGrid result;
    for (const auto& c : grid.cells) result.cells.push_back({c.left, c.top, c.left + c.width, c.top + c.height});
    result.fontPixels = grid.fontPixels;
    return result;
}

}  // namespace veltrane::platform::win32::window
