#include "app/window/button_grid.h"

#include <algorithm>

namespace veltrane::app {

namespace {

constexpr int kColumnGap = 5;  // the designed buttons are the panel's width less 5
constexpr int kMinimumFont = 8;
constexpr int kMaxColumns = 6;

int largestFittingFont(int width, int height, int largest, const CaptionsFit& fits) {
    for (int size = largest; size > kMinimumFont; --size)
        if (fits(size, width, height)) return size;
    return kMinimumFont;
}

}  // namespace

ButtonGrid layoutImagingButtons(int count, int panelWidth, int panelHeight, int buttonWidth, int buttonHeight,
                                int designedFontPixels, const CaptionsFit& fits) {
    ButtonGrid grid;
    if (count <= 0) return grid;
    const int designedRows = std::max(1, panelHeight / std::max(1, buttonHeight));
    if (count <= designedRows) {
        for (int i = 0; i < count; ++i) grid.cells.push_back({0, i * buttonHeight, buttonWidth, buttonHeight});
        grid.fontPixels = designedFontPixels;
        return grid;
    }

    // Two columns stand when even they leave no room: never a division by no columns.
    int bestColumns = 2, bestFont = 0;
    for (int columns = 2; columns <= std::min(count, kMaxColumns); ++columns) {
        const int rows = (count + columns - 1) / columns;
        const int width = panelWidth / columns - kColumnGap;
        const int height = std::min(buttonHeight, panelHeight / rows);
        if (width <= 0 || height <= 0) break;
        const int font = largestFittingFont(width, height, designedFontPixels, fits);
        if (font > bestFont) {  // a tie keeps the fewer, wider columns
            bestFont = font;
            bestColumns = columns;
        }
    }
    const int rows = (count + bestColumns - 1) / bestColumns;
    const int cellWidth = panelWidth / bestColumns;
    const int height = std::min(buttonHeight, panelHeight / rows);
    for (int i = 0; i < count; ++i)
        grid.cells.push_back({(i / rows) * cellWidth, (i % rows) * height, cellWidth - kColumnGap, height});
    grid.fontPixels = std::max(bestFont, kMinimumFont);
    return grid;
}

}  // namespace veltrane::app
