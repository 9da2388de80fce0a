#pragma once
// The window's look: title, fonts and focus frames shared by the window and its dialogs.

#include <QFont>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "app/window/window_table.h"

namespace veltrane::ui {

inline const QString kWindowTitle = QString::fromStdU16String(app::mainWindowDesign().caption);

// The designed font is Tahoma; where it is not installed, Liberation Sans, whose caption widths at this size are
// within a pixel or two of Tahoma's, so labels do not run into the edits beside them.
// Sizes are in pixels, because the layout is in pixels at 96 dots per inch.
QFont windowFont(int pixelSize = 11, bool bold = false);

// Makes the style draw the focus of the window's controls from the start: the toolkit's own styles draw a focus
// frame only once Tab has been pressed in a window, so a window opened from the practice application would show no
// focus at all.
void showFocusFrames(QWidget* window);

}  // namespace veltrane::ui
