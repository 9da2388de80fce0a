#pragma once
// Plain data for the controls of the main window. The core changes them; the Qt window renders them.

#include <string>
#include <vector>

namespace veltrane::app {

struct TLabel {
    std::u16string Caption;
};

struct TMemo {
    std::vector<std::u16string> Lines;
};

struct TListBox {
    std::vector<std::u16string> Items;
    int ItemIndex = -1;
};

struct TComboBox {
    std::u16string Text;
};

struct TCheckBox {
    bool Checked = false;
};

struct TEdit {
    std::u16string Text;
};

struct TPageControl {
    int ActivePageIndex = 0;
};

// A group of radio buttons; -1 when no item is selected.
struct TRadioGroup {
    std::vector<std::u16string> Items;
    int ItemIndex = -1;
};

struct TButton {
    std::u16string Caption;
    int Width = 0;
    int Height = 0;
    int FontSize = 8;
    bool FontBold = false;
};

// A panel that lays its children out top to bottom, then in further columns.
struct TFlowPanel {
    int Width = 0;
    int Height = 0;
    std::vector<TButton> Buttons;
};

}  // namespace veltrane::app
