#pragma once
// Where the controls of each imaging page sit. The controls themselves and the settings they store come from
// the core's page table; this adds only positions, captions of the location labels, notes and tab order.

#include <array>
#include <string_view>
#include <vector>

#include "app/imaging_pages.h"

namespace veltrane::ui {

struct LocationRow {
    std::u16string_view caption;  // empty: the page has no such row
    int labelTop = 0;
    int editTop = 0;
    int buttonTop = 0;
};

struct NotesBox {
    std::u16string_view memo;  // empty: the page has no notes
    int left = 3;
    int top = 0;
    int height = 0;
    std::array<std::u16string_view, 2> lines{};
};

struct ImagingPageLayout {
    std::array<LocationRow, 2> rows;
    NotesBox notes;
    // Control names in keyboard order when the page departs from the usual one; empty otherwise.
    std::vector<std::u16string_view> tabOrder;
};

const ImagingPageLayout& imagingPageLayout(int page);

// Grid shared by every page.
inline constexpr int kEnabledLeft = 3, kEnabledTop = 3, kEnabledWidth = 97, kEnabledHeight = 17;
inline constexpr int kLabelLeft = 3, kLabelHeight = 13;
inline constexpr int kEditLeft = 106, kEditWidth = 255, kEditHeight = 21;
inline constexpr int kPadEditWidth = 71;
inline constexpr int kButtonLeft = 367, kButtonWidth = 75, kButtonHeight = 25;
inline constexpr int kNotesWidth = 526;

}  // namespace veltrane::ui
