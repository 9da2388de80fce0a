#include "ui/flow_layout.h"

#include <QFontMetrics>
#include <algorithm>

#include "ui/window_style.h"

namespace veltrane::ui {

namespace {

constexpr int kColumnGap = 5;       // the designed buttons are the panel's width less 5
constexpr int kCaptionMargin = 12;  // room the button's frame takes around its caption
constexpr int kMinimumFont = 8;
constexpr int kMaxColumns = 6;

bool captionsFit(const std::vector<QString>& captions, QSize button, int fontPixels, bool bold) {
    const QFontMetrics metrics(windowFont(fontPixels, bold));
    if (metrics.height() + kCaptionMargin / 2 > button.height()) return false;
    return std::all_of(captions.begin(), captions.end(), [&](const QString& caption) {
        return metrics.horizontalAdvance(caption) + kCaptionMargin <= button.width();
    });
}

int largestFittingFont(const std::vector<QString>& captions, QSize button, int largest, bool bold) {
    for (int size = largest; size > kMinimumFont; --size)
        if (captionsFit(captions, button, size, bold)) return size;
    return kMinimumFont;
}

}  // namespace

FlowLayout layoutImagingButtons(const std::vector<QString>& captions, QSize panel, QSize designedButton,
                                int designedFontPixels, bool bold) {
    FlowLayout layout;
    const int count = static_cast<int>(captions.size());
    if (count == 0) return layout;
    const int designedRows = std::max(1, panel.height() / std::max(1, designedButton.height()));
    if (count <= designedRows) {
        for (int i = 0; i < count; ++i)
            layout.cells.emplace_back(0, i * designedButton.height(), designedButton.width(), designedButton.height());
        layout.fontPixels = designedFontPixels;
        return layout;
    }

    int bestColumns = 0, bestFont = 0;
    for (int columns = 2; columns <= std::min(count, kMaxColumns); ++columns) {
        const int rows = (count + columns - 1) / columns;
        const QSize button(panel.width() / columns - kColumnGap,
                           std::min(designedButton.height(), panel.height() / rows));
        if (button.width() <= 0 || button.height() <= 0) break;
        const int font = largestFittingFont(captions, button, designedFontPixels, bold);
        if (font > bestFont) {  // a tie keeps the fewer, wider columns
            bestFont = font;
            bestColumns = columns;
        }
    }
    const int rows = (count + bestColumns - 1) / bestColumns;
    const int cellWidth = panel.width() / bestColumns;
    const int height = std::min(designedButton.height(), panel.height() / rows);
    for (int i = 0; i < count; ++i)
        layout.cells.emplace_back((i / rows) * cellWidth, (i % rows) * height, cellWidth - kColumnGap, height);
    layout.fontPixels = bestFont;
    return layout;
}

}  // namespace veltrane::ui
