#pragma once
// Where the imaging buttons go on the "Choose Imaging System" panel, at 96 dpi: the same rule as the Linux
// window's, measured with GDI.

#include <windows.h>

#include <string>
#include <vector>

namespace veltrane::platform::win32::window {

struct ButtonGrid {
    std::vector<RECT> cells;  // one per caption, in the panel's coordinates
    int fontPixels = 0;       // the font size every button shares
};

// As many buttons as fit in one column keep the designed size and font. More are laid out top to bottom in as
// few columns as gives the largest font in which every caption fits its button, so all of them stay in sight
// and clickable without scrolling.
ButtonGrid layoutImagingButtons(const std::vector<std::u16string>& captions, SIZE panel, SIZE designedButton,
                                int designedFontPixels, bool bold);

}  // namespace veltrane::platform::win32::window
