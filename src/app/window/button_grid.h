#pragma once
// Where the imaging buttons go on the "Choose Imaging System" panel, whatever toolkit draws them: the toolkit
// only says whether the captions fit a button in a font.

#include <functional>
#include <vector>

namespace veltrane::app {

struct GridCell {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct ButtonGrid {
    std::vector<GridCell> cells;  // one per button, in the panel's coordinates
    int fontPixels = 0;           // the font size every button shares
};

// Whether every caption fits a button of that size in the buttons' font at that pixel size.
using CaptionsFit = std::function<bool(int fontPixels, int buttonWidth, int buttonHeight)>;

// As many buttons as fit in one column keep the designed size and font. More are laid out top to bottom in as
// few columns as gives the largest font in which every caption fits its button, so all of them stay in sight and
// clickable without scrolling.
ButtonGrid layoutImagingButtons(int count, int panelWidth, int panelHeight, int buttonWidth, int buttonHeight,
                                int designedFontPixels, const CaptionsFit& fits);

// The room a button's frame takes around its caption, for the toolkits' measuring.
inline constexpr int kCaptionMargin = 12;

}  // namespace veltrane::app
