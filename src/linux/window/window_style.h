#pragma once
// The window's look: title and fonts shared by the window and its dialogs.

#include <QFont>
#include <QString>
#include <QStringList>

#include "app/window/window_table.h"

namespace veltrane::ui {

inline const QString kWindowTitle = QString::fromStdU16String(app::mainWindowDesign().caption);

// The designed font is Tahoma; where it is not installed, Liberation Sans, whose caption widths at this size are
// within a pixel or two of Tahoma's, so labels do not run into the edits beside them.
// Sizes are in pixels, because the layout is in pixels at 96 dots per inch.
QFont windowFont(int pixelSize = 11, bool bold = false);

}  // namespace veltrane::ui
