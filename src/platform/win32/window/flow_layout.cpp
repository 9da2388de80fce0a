#include "platform/win32/window/flow_layout.h"

#include <algorithm>

#include "platform/win32/wide_text.h"
#include "platform/win32/window/fonts.h"

namespace veltrane::platform::win32::window {

namespace {

constexpr int kColumnGap = 5;       // the designed buttons are the panel's width less 5
constexpr int kCaptionMargin = 12;  // room the button's frame takes around its caption
constexpr int kMinimumFont = 8;
constexpr int kMaxColumns = 6;

bool captionsFit(const std::vector<std::u16string>& captions, SIZE button, int fontPixels, bool bold,
                 FontCache& fonts) {
    // Measured at 96 dpi, where a font's pixel size is its designed size.
    HFONT font = fonts.font(fontPixels, bold, 96);
    if (textExtent(font, L"", 0).cy + kCaptionMargin / 2 > button.cy) return false;
    return std::all_of(captions.begin(), captions.end(), [&](const std::u16string& caption) {
        return textExtent(font, wide(caption), static_cast<int>(caption.size())).cx + kCaptionMargin <= button.cx;
    });
}

int largestFittingFont(const std::vector<std::u16string>& captions, SIZE button, int largest, bool bold,
                       FontCache& fonts) {
    for (int size = largest; size > kMinimumFont; --size)
        if (captionsFit(captions, button, size, bold, fonts)) return size;
    return kMinimumFont;
}

RECT cell(int left, int top, int width, int height) { return {left, top, left + width, top + height}; }

}  // namespace

ButtonGrid layoutImagingButtons(const std::vector<std::u16string>& captions, SIZE panel, SIZE designedButton,
                                int designedFontPixels, bool bold) {
    ButtonGrid grid;
    const int count = static_cast<int>(captions.size());
    if (count == 0) return grid;
    const int designedRows = std::max(1, static_cast<int>(panel.cy / std::max(1L, designedButton.cy)));
    if (count <= designedRows) {
        for (int i = 0; i < count; ++i)
            grid.cells.push_back(cell(0, i * designedButton.cy, designedButton.cx, designedButton.cy));
        grid.fontPixels = designedFontPixels;
        return grid;
    }

    FontCache fonts;
    int bestColumns = 2, bestFont = 0;
    for (int columns = 2; columns <= std::min(count, kMaxColumns); ++columns) {
        const int rows = (count + columns - 1) / columns;
        const SIZE button{panel.cx / columns - kColumnGap, std::min(designedButton.cy, panel.cy / rows)};
        if (button.cx <= 0 || button.cy <= 0) break;
        const int font = largestFittingFont(captions, button, designedFontPixels, bold, fonts);
        if (font > bestFont) {  // a tie keeps the fewer, wider columns
            bestFont = font;
            bestColumns = columns;
        }
    }
    const int rows = (count + bestColumns - 1) / bestColumns;
    const int cellWidth = panel.cx / bestColumns;
    const int height = std::min(static_cast<int>(designedButton.cy), static_cast<int>(panel.cy / rows));
    for (int i = 0; i < count; ++i)
        grid.cells.push_back(cell((i / rows) * cellWidth, (i % rows) * height, cellWidth - kColumnGap, height));
    grid.fontPixels = std::max(bestFont, kMinimumFont);
    return grid;
}

}  // namespace veltrane::platform::win32::window
