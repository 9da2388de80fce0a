#pragma once
// Events of the window table reach the main window object by the handler names in the table, so every toolkit's
// window wires its widgets the same way.

#include <string_view>

#include "app/window/controls.h"

namespace veltrane::app {

class TForm1;

// Whether the main window object has a handler of that name.
bool isWindowHandler(std::u16string_view handler);

// Runs the handler of that name; false (and nothing run) when there is none.
bool runWindowHandler(TForm1& form, std::u16string_view handler);

// The window model's state of a check box or combo box of the table, or nullptr.
TCheckBox* checkBoxModel(TForm1& form, std::u16string_view name);
TComboBox* comboBoxModel(TForm1& form, std::u16string_view name);

}  // namespace veltrane::app
