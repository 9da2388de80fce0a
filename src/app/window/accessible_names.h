#pragma once
// What a screen reader calls each control of the window table, the same on every toolkit: a control that shows
// no caption of its own (an edit, a combo box, a list, a memo) is named by the label beside or above it, and a
// control whose caption repeats on every imaging page ("Enabled", "Browse...") also names its imaging system, so
// the user can tell every control of a page apart.

#include <string>
#include <string_view>
#include <vector>

#include "app/window/window_table.h"

namespace veltrane::app {

// Whether the user operates the control (a focus stop, or a page tab), so it needs a name of its own.
bool isInteractive(const ControlRow& row);

// The label that names the control: in the same parent, on the same row to its left (the nearest), or else just
// above it and overlapping it horizontally. nullptr for a control that names itself by its caption or has no
// such label.
const ControlRow* namingLabel(const ControlRow& row);

// The accessible name of a control of the table; empty only for a control that is not interactive.
std::u16string accessibleName(const ControlRow& row);

// A caption as read aloud: without the mnemonic marks ('&', "&&" stays one '&') and with a trailing "..." as the
// one ellipsis character.
std::u16string spokenCaption(std::u16string_view caption);

}  // namespace veltrane::app
