#include "linux/window/flow_layout.h"

#include <QFontMetrics>
#include <algorithm>

#include "app/window/button_grid.h"
#include "linux/window/window_style.h"

namespace veltrane::ui {

FlowLayout layoutImagingButtons(const std::vector<QString>& captions, QSize panel, QSize designedButton,
                                int designedFontPixels, bool bold) {
    const auto fits = [&](int fontPixels, int width, int height) {
        const QFontMetrics metrics(windowFont(fontPixels, bold));
        if (metrics.height() + app::kCaptionMargin / 2 > height) return false;
        return std::all_of(captions.begin(), captions.end(), [&](const QString& caption) {
            return metrics.horizontalAdvance(caption) + app::kCaptionMargin <= width;
        });
    };
    const app::ButtonGrid grid =
        app::layoutImagingButtons(static_cast<int>(captions.size()), panel.width(), panel.height(),
                                  designedButton.width(), designedButton.height(), designedFontPixels, fits);
    FlowLayout layout;
    for (const auto& c : grid.cells) layout.cells.emplace_back(c.left, c.top, c.width, c.height);
    layout.fontPixels = grid.fontPixels;
    return layout;
}

}  // namespace veltrane::ui
