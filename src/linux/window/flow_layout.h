#pragma once
// Where the imaging buttons go on the "Choose Imaging System" panel.

#include <QRect>
#include <QSize>
#include <QString>
#include <vector>

namespace veltrane::ui {

struct FlowLayout {
    std::vector<QRect> cells;  // one per caption, in the panel's coordinates
    int fontPixels = 0;        // the font size every button shares
};

// As many buttons as fit in one column keep the designed size and font. More are laid out top to bottom in
// as few columns as gives the largest font in which every caption fits its button, so all of them stay in sight
// and clickable without scrolling.
FlowLayout layoutImagingButtons(const std::vector<QString>& captions, QSize panel, QSize designedButton,
                                int designedFontPixels, bool bold);

}  // namespace veltrane::ui
