#include "app/window/accessible_names.h"

#include "app/window/imaging_pages.h"

namespace veltrane::app {

namespace {

using K = ControlKind;

// How far above a control its label may end: the designed gap between a label and the list under it is 6.
constexpr int kAboveGap = 8;

bool namedByLabel(ControlKind kind) {
    return kind == K::Edit || kind == K::ComboBox || kind == K::ListBox || kind == K::Memo;
}

int bottom(const Bounds& b) { return b.top + b.height; }

// The imaging page a control lies on, or nullptr.
const ImagingPageRow* imagingPageOf(const ControlRow& row) {
    const int index = imagingPageIndex(row.parent);
    return index < 0 ? nullptr : &kImagingPages[static_cast<std::size_t>(index)];
}

// The caption of the label of the edit a "Browse..." button fills, or empty when the button is not one.
std::u16string_view browseTarget(const ImagingPageRow& page, std::u16string_view button) {
    for (int b = 0; b < page.browseCount; ++b) {
        const auto& browse = page.browses[static_cast<std::size_t>(b)];
        if (browse.name == button) return page.edits[static_cast<std::size_t>(browse.edit)].label;
    }
    return {};
}

}  // namespace

bool isInteractive(const ControlRow& row) {
    switch (row.kind) {
        case K::Button:
        case K::CheckBox:
        case K::Edit:
        case K::Memo:
        case K::ListBox:
        case K::ComboBox:
        case K::RadioButton:
        case K::TabSheet:
            return true;
        default:
            return false;
    }
}

const ControlRow* namingLabel(const ControlRow& row) {
    if (!namedByLabel(row.kind)) return nullptr;
    const Bounds& c = row.bounds;
    const ControlRow* left = nullptr;
    const ControlRow* above = nullptr;
    for (const ControlRow& label : windowControls()) {
        if (label.kind != K::Label || label.parent != row.parent || !label.visible) continue;
        const Bounds& l = label.bounds;
        // A label's width may be that of its caption (0 in the table), so only its left edge is certain.
        const bool sameRow = l.left < c.left && l.top < bottom(c) && bottom(l) > c.top;
        if (sameRow && (!left || l.left > left->bounds.left)) left = &label;
        const bool justAbove =
            bottom(l) <= c.top && c.top - bottom(l) <= kAboveGap && l.left >= c.left && l.left < c.left + c.width;
        if (justAbove && (!above || bottom(l) > bottom(above->bounds))) above = &label;
    }
    return left ? left : above;
}

std::u16string spokenCaption(std::u16string_view caption) {
    std::u16string spoken;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&') {
            if (i + 1 < caption.size() && caption[i + 1] == u'&') spoken += u'&', ++i;
            continue;
        }
        spoken += caption[i];
    }
    if (spoken.size() >= 3 && spoken.ends_with(u"...")) spoken.replace(spoken.size() - 3, 3, u"\u2026");
    return spoken;
}

std::u16string accessibleName(const ControlRow& row) {
    if (!isInteractive(row)) return {};
    if (const ImagingPageRow* page = imagingPageOf(row)) {
        const std::u16string system(page->caption);
        if (row.name == page->enabledBox) return system + u": " + spokenCaption(row.caption);
        if (auto target = browseTarget(*page, row.name); !target.empty())
            // Labels show an ampersand as it is; only a button's caption marks a mnemonic with one.
            return system + u": " + std::u16string(target) + u" " + spokenCaption(row.caption);
    }
    if (!row.accessibleName.empty()) return row.accessibleName;
    if (namedByLabel(row.kind)) {
        if (const ControlRow* label = namingLabel(row)) return label->caption;
        // A memo alone in a framed group is named by the group ("Notes").
        if (const ControlRow* group = findControl(row.parent); group && group->kind == K::GroupBox)
            return group->caption;
        return {};
    }
    return spokenCaption(row.caption);
}

}  // namespace veltrane::app
