#pragma once
// The window's look: title, fonts and colours shared by the window and its dialogs.

#include <QColor>
#include <QFont>
#include <QString>

namespace veltrane::ui {

inline const QString kWindowTitle = QStringLiteral("Veltrane Client Tools");

// The designed font is Tahoma; where it is not installed, Liberation Sans, whose caption widths at this size are
// within a pixel or two of Tahoma's, so labels do not run into the edits beside them.
// Sizes are in pixels, because the layout is in pixels at 96 dots per inch.
QFont windowFont(int pixelSize = 11, bool bold = false);

inline const QColor kFlowPanelColour(255, 255, 0);

}  // namespace veltrane::ui
