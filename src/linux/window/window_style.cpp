#include "linux/window/window_style.h"

namespace veltrane::ui {

QFont windowFont(int pixelSize, bool bold) {
    QFont font;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

void showFocusFrames(QWidget* window) { window->window()->setAttribute(Qt::WA_KeyboardFocusChange); }

}  // namespace veltrane::ui
