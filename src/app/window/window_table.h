#pragma once
// The controls of the main window as plain data, independent of any widget toolkit: every control's name, kind,
// parent, caption, place and size at 96 dots per inch, keyboard order, font, colour and the handler its event
// calls. Each toolkit's window is built from this table and the window tests check against it, so a geometry is
// written down once.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace veltrane::app {

enum class ControlKind {
    Label,        // static text; sizes itself to its caption
    Button,       // push button; event: click
    CheckBox,     // event: click (the state changed)
    Edit,         // one-line text; event: exit (the focus left it)
    Memo,         // multi-line text
    ListBox,      // list of items
    ComboBox,     // drop-down list that takes typed text too; event: change (each typed character, each choice)
    PageControl,  // tabbed pages whose tabs wrap onto several rows; event: exit (the focus left it and its pages)
    TabSheet,     // one page of a page control; event: show
    Panel,        // plain container
    GroupBox,     // framed container with a caption
    RadioGroup,   // framed group of radio buttons, its children; event: click (an item became selected)
    RadioButton,  // one item of a radio group
    FlowPanel,    // container whose children (made at run time) are laid out top to bottom, then in columns
    Browser,      // the embedded HTML browser; event: navigate complete
};

struct Bounds {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Bounds&) const = default;
};

// Sizes are in pixels at 96 dots per inch: the designed 8 point font is 11 pixels high.
struct FontStyle {
    int pixelSize = 11;
    bool bold = false;
    bool operator==(const FontStyle&) const = default;
};

struct Rgb {
    std::uint8_t red = 0, green = 0, blue = 0;
    bool operator==(const Rgb&) const = default;
};

struct ControlRow {
    std::u16string name;
    ControlKind kind = ControlKind::Label;
    std::u16string parent;  // the window's name for the controls placed on the window itself
    std::u16string caption;
    // Relative to the parent. A label: its size with the designed caption (width 0: as wide as its caption). A tab
    // sheet: empty, it fills its page control below the tabs.
    Bounds bounds;
    int tab = -1;  // position in the keyboard order within the parent; -1: not a focus stop (labels)
    FontStyle font;
    std::optional<Rgb> background;  // none: the platform's button-face colour
    // The core's handler of the kind's event ("Button2Click", "TabSheet6Show", "Edit_dexis_programExit"); empty
    // for none.
    std::u16string handler;
    std::vector<std::u16string> items;  // combo box and radio group items, or the fixed lines of a memo
    int itemHeight = 0;                 // list box rows; 0: the toolkit's
    bool enabled = true;
    bool visible = true;
    bool readOnly = false;
    bool border = true;  // memos: the notes memos have none
    // What a screen reader calls a control that no label beside it or caption names; usually empty.
    std::u16string accessibleName;
};

struct WindowDesign {
    std::u16string name;     // "Form1"
    std::u16string caption;  // the title
    int clientWidth;
    int clientHeight;
    FontStyle font;
    std::u16string createHandler;  // "FormCreate"
};

const WindowDesign& mainWindowDesign();

// Every control in creation order: a parent always comes before its children.
std::span<const ControlRow> windowControls();

// The control of that name, or nullptr.
const ControlRow* findControl(std::u16string_view name);

// The controls whose parent is the named one: focus stops in keyboard order first, then the rest in creation
// order.
std::vector<const ControlRow*> childrenOf(std::u16string_view parent);

// The position of a tab sheet among its page control's pages, or -1.
int pageIndex(std::u16string_view sheet);

}  // namespace veltrane::app
