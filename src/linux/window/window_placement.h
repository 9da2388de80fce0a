#pragma once
// Where the main window opens while other main windows of this program are open on the display: two print
// requests at once are two processes, and the second window must not hide the first.

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>
#include <vector>

class QWidget;

namespace veltrane::ui {

// Marks a main window of this program on the display (its window role), so that a later one can find it.
inline constexpr char kMainWindowRole[] = "veltrane-client-tools-main";

// A place for the window (its own top left, inside any frame) clear of the main windows of this program already
// open: a title bar's height down and right of the first of them, one step further for each place taken, on from
// the screen's top left where the screen ends.
// Nothing when no other is open (the window manager places the window) or off X11. The window must exist
// natively and not be shown yet.
std::optional<QPoint> placeClearOfOtherWindows(QWidget* window);

// The rule behind it, on its own: the place for a window of this size given the places of the others (the first
// that opened first), the frame a window manager puts around each, the step and the screen's free area.
QPoint cascadePlace(const std::vector<QPoint>& others, QSize size, QMargins frame, int step, QRect available);

}  // namespace veltrane::ui
