#pragma once
// The pages of the imaging settings, one row per imaging system: its catalogue entry, its page, the controls on
// it with their places, and the setting each control stores (taken from the catalogue row, which the bridge
// reads too). One table drives the page show, the check box clicks, the edit exits and the "Browse..." buttons of
// all pages and the window table's rows of every page, so no page can be forgotten or wired differently.

#include <array>
#include <map>
#include <string>
#include <string_view>

#include "app/window/controls.h"

namespace veltrane::app {

// How an edit's text is stored.
enum class StoreForm {
    AsTyped,  // unchanged
    Folder,   // with one path delimiter added unless it ends with one; empty becomes the delimiter alone
};

struct ImagingEditRow {
    std::u16string_view name;   // control, e.g. "Edit_dexis_program"
    std::u16string_view value;  // setting, e.g. "dexis_program"
    StoreForm form;
    std::u16string_view label;  // caption of the label before it, "Program Location:"
    int labelTop = 0;
    int editTop = 0;
    bool padLength = false;  // the narrow identifier pad-length edit
};

struct ImagingBrowseRow {
    std::u16string_view name;  // control, e.g. "Button6"
    bool folderMode;           // a folder is stored in folder form, a file as chosen
    int edit;                  // position of the target edit in the page's edits
    int top = 0;
};

// The "Notes" group box and its read-only memo; no memo: the page has none.
struct ImagingNotes {
    std::u16string_view memo;  // "Memo4"
    int left = 3;
    int top = 0;
    int height = 0;
    std::array<std::u16string_view, 2> lines{};
};

struct ImagingPageRow {
    std::u16string_view shortName;   // its catalogue entry
    std::u16string_view sheet;       // "TabSheet6"
    std::u16string_view caption;     // tab caption
    std::u16string_view enabledBox;  // "CheckBox_dexis_enabled"
    std::u16string_view enabledValue;
    std::array<ImagingEditRow, 2> edits;  // program edit first
    int editCount;
    std::array<ImagingBrowseRow, 2> browses;
    int browseCount;
    std::u16string_view extraBox;  // a further flag box after the "Enabled" one, or empty
    std::u16string_view extraValue;
    bool nameFormat;  // the Digora name-format radio group
    ImagingNotes notes;
    // Control names in keyboard order where the page departs from the usual one (box, each edit with its
    // button, further box, name format, notes); empty otherwise.
    std::array<std::u16string_view, 5> tabOrder{};
};

inline constexpr int kImagingPageCount = 24;
inline constexpr int kCliniviewPage = 22;  // selected when the program starts
extern const std::array<ImagingPageRow, kImagingPageCount> kImagingPages;

// Grid shared by every page.
inline constexpr int kEnabledLeft = 3, kEnabledTop = 3, kEnabledWidth = 97, kEnabledHeight = 17;
inline constexpr int kLocationLabelLeft = 3, kLocationLabelHeight = 13;
inline constexpr int kEditLeft = 106, kEditWidth = 255, kPadEditWidth = 71, kEditHeight = 21;
inline constexpr int kBrowseLeft = 367, kBrowseWidth = 75, kBrowseHeight = 25;
inline constexpr int kNotesWidth = 526;

// Page position of a sheet name, or -1.
int imagingPageIndex(std::u16string_view sheet);

// The text stored for an edit's or a chosen folder's text in the given form.
std::u16string storedForm(const std::u16string& text, StoreForm form);

// Parses a radio-group index: optional leading blanks and sign, then decimal digits or hexadecimal digits after
// "$" or "0x"; clamped to -1..maxIndex. Throws "'<text>' is not a valid integer value".
int parseItemIndex(const std::u16string& text, int maxIndex);

// Empty controls of every imaging page, keyed by control name.
std::map<std::u16string, TCheckBox, std::less<>> makeImagingCheckBoxes();
std::map<std::u16string, TEdit, std::less<>> makeImagingEdits();

}  // namespace veltrane::app
