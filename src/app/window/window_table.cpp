#include "app/window/window_table.h"

#include <algorithm>

#include "app/window/imaging_pages.h"

namespace veltrane::app {

namespace {

using K = ControlKind;

constexpr FontStyle kBigBold{19, true};  // "DONE" and "Print Again"
constexpr Rgb kYellow{255, 255, 0};

std::u16string str(std::u16string_view text) { return std::u16string(text); }

class TableBuilder {
public:
    // The reference stays valid only until the next add.
    ControlRow& add(std::u16string_view name, K kind, std::u16string_view parent, std::u16string_view caption,
                    Bounds bounds, int tab = -1, std::u16string_view handler = {}) {
        ControlRow row;
        row.name = str(name);
        row.kind = kind;
        row.parent = str(parent);
        row.caption = str(caption);
        row.bounds = bounds;
        row.tab = tab;
        row.handler = str(handler);
        rows_.push_back(std::move(row));
        return rows_.back();
    }
    std::size_t size() const { return rows_.size(); }
    // The row of that name made at or after position from, or nullptr.
    ControlRow* find(std::u16string_view name, std::size_t from) {
        for (std::size_t i = from; i < rows_.size(); ++i)
            if (rows_[i].name == name) return &rows_[i];
        return nullptr;
    }
    std::vector<ControlRow> take() { return std::move(rows_); }

private:
    std::vector<ControlRow> rows_;
};

void addTopStrip(TableBuilder& t, std::u16string_view form) {
    t.add(u"Label1", K::Label, form, u"Veltrane Client Tools", {8, 8, 241, 26}).font = {21, true};
    t.add(u"Label2", K::Label, form, u"v4.26", {272, 19, 28, 13});
    t.add(u"Label3", K::Label, form, u"---", {320, 8, 12, 13});
    t.add(u"Label4", K::Label, form, u"---", {320, 27, 12, 13});
    t.add(u"PageControl1", K::PageControl, form, {}, {8, 46, 556, 435}, 0);
    const std::u16string_view sheets[][3] = {{u"TabSheet1", u"Printers", {}},
                                             {u"TabSheet2", u"Config", u"TabSheet2Show"},
                                             {u"TabSheet3", u"Imaging", {}},
                                             {u"TabSheet19", u"Choose Imaging System", u"TabSheet19Show"}};
    int order = 0;
    for (const auto& sheet : sheets) t.add(sheet[0], K::TabSheet, u"PageControl1", sheet[1], {}, order++, sheet[2]);
    t.add(u"ColorButton1", K::Button, form, u"DONE", {456, 8, 106, 49}, 1, u"ColorButton1Click").font = kBigBold;
    // Offered only after DONE failed to put everything back, so a missing printer never traps the user.
    auto& closeAnyway =
        t.add(u"ButtonCloseAnyway", K::Button, form, u"Close Anyway", {350, 8, 100, 49}, 2, u"CloseAnywayClick");
    closeAnyway.visible = false;
}

void addPrintersPage(TableBuilder& t) {
    const std::u16string_view page = u"TabSheet1";
    t.add(u"Label5", K::Label, page, u"Default printer", {3, 3, 70, 13});
    t.add(u"ListBoxPrinters", K::ListBox, page, {}, {3, 22, 396, 97}, 4).itemHeight = 13;
    t.add(u"Button2", K::Button, page, u"Set Appointment Default", {405, 22, 140, 25}, 0, u"Button2Click");
    t.add(u"Button3", K::Button, page, u"Set Receipt Default", {405, 94, 140, 25}, 1, u"Button3Click");
    t.add(u"Label6", K::Label, page, u"Appointment default:", {3, 125, 102, 13});
    t.add(u"LabelApptDefault", K::Label, page, u"no default", {124, 125, 49, 13});
    t.add(u"Label8", K::Label, page, u"Receipt default:", {3, 144, 77, 13});
    t.add(u"LabelReceiptDefault", K::Label, page, u"no default", {124, 144, 49, 13});
    t.add(u"ColorButton2", K::Button, page, u"Print Again", {405, 144, 140, 40}, 6, u"ColorButton2Click").font =
        kBigBold;
    t.add(u"Label10", K::Label, page, u"Appt type:", {3, 166, 52, 13});
    t.add(u"ComboBoxApptType", K::ComboBox, page, {}, {61, 163, 101, 21}, 2, u"ComboBoxApptTypeChange").items = {
        u"Normal", u"Dedicated"};
    t.add(u"Label11", K::Label, page, u"Receipt type:", {200, 166, 65, 13});
    t.add(u"ComboBoxReceiptType", K::ComboBox, page, {}, {271, 163, 101, 21}, 3, u"ComboBoxReceiptTypeChange").items = {
        u"Normal", u"Dedicated"};
    t.add(u"Panel1", K::Panel, page, {}, {3, 190, 542, 216}, 5);
    t.add(u"WebBrowser1", K::Browser, u"Panel1", {}, {1, 1, 540, 214}, 0, u"WebBrowser1NavigateComplete2");
}

void addConfigPage(TableBuilder& t) {
    const std::u16string_view page = u"TabSheet2";
    t.add(u"CheckBoxLogging", K::CheckBox, page, u"Write actions to log file", {3, 3, 142, 17}, 1,
          u"CheckBoxLoggingClick");
    t.add(u"CheckBoxSSL", K::CheckBox, page, u"Server uses SSL", {448, 3, 97, 17}, 2, u"CheckBoxSSLClick");
    t.add(u"Memo1", K::Memo, page, {}, {3, 26, 542, 378}, 0).accessibleName = u"Program messages";
}

// The controls of one imaging page, placed on the grid of its row; keyboard order is the page's own departure or
// the usual one (box, each edit with its button, further box, name format, notes).
void addImagingPage(TableBuilder& t, const ImagingPageRow& page, int position) {
    const std::u16string_view sheet = page.sheet;
    const std::size_t first = t.size();
    t.add(sheet, K::TabSheet, u"PageControl2", page.caption, {}, position, str(sheet) + u"Show");

    std::vector<std::u16string> usual;
    auto click = [](std::u16string_view name) { return str(name) + u"Click"; };
    t.add(page.enabledBox, K::CheckBox, sheet, u"Enabled", {kEnabledLeft, kEnabledTop, kEnabledWidth, kEnabledHeight},
          -1, click(page.enabledBox));
    usual.push_back(str(page.enabledBox));
    for (int e = 0; e < page.editCount; ++e) {
        const auto& edit = page.edits[static_cast<std::size_t>(e)];
        // Width 0: the label takes the width of its caption.
        t.add(u"Label_" + str(edit.name.substr(5)), K::Label, sheet, edit.label,
              {kLocationLabelLeft, edit.labelTop, 0, kLocationLabelHeight});
        t.add(edit.name, K::Edit, sheet, {},
              {kEditLeft, edit.editTop, edit.padLength ? kPadEditWidth : kEditWidth, kEditHeight}, -1,
              str(edit.name) + u"Exit");
        usual.push_back(str(edit.name));
        for (int b = 0; b < page.browseCount; ++b)
            if (page.browses[static_cast<std::size_t>(b)].edit == e)
                usual.push_back(str(page.browses[static_cast<std::size_t>(b)].name));
    }
    for (int b = 0; b < page.browseCount; ++b) {
        const auto& browse = page.browses[static_cast<std::size_t>(b)];
        t.add(browse.name, K::Button, sheet, u"Browse...", {kBrowseLeft, browse.top, kBrowseWidth, kBrowseHeight}, -1,
              click(browse.name));
    }
    if (!page.extraBox.empty()) {
        t.add(page.extraBox, K::CheckBox, sheet, u"Don't send Patient ID", {3, 89, 134, 17}, -1, click(page.extraBox));
        usual.push_back(str(page.extraBox));
    }
    if (page.nameFormat) {
        const std::u16string group = u"RadioGroupDigoraNameFormat";
        const std::u16string_view items[] = {u"Forename Surname", u"Title Forename Surname", u"Surname, Forename"};
        auto& row = t.add(group, K::RadioGroup, sheet, u"Name Format", {3, 26, 182, 95}, -1, group + u"Click");
        for (auto item : items) row.items.push_back(str(item));
        // The group is one focus stop, at its chosen item.
        for (int i = 0; i < 3; ++i)
            t.add(group + u"_" + static_cast<char16_t>(u'0' + i), K::RadioButton, group, items[i],
                  {8, 18 + i * 24, 166, 17});
        usual.push_back(group);
    }
    const auto& notes = page.notes;
    const std::u16string notesGroup = u"GroupBox_" + str(notes.memo);
    if (!notes.memo.empty()) {
        t.add(notesGroup, K::GroupBox, sheet, u"Notes", {notes.left, notes.top, kNotesWidth, notes.height});
        auto& memo = t.add(notes.memo, K::Memo, notesGroup, {}, {2, 15, kNotesWidth - 4, notes.height - 17});
        for (auto line : notes.lines)
            if (!line.empty()) memo.items.push_back(str(line));
        memo.enabled = false;
        memo.readOnly = true;
        memo.border = false;
        usual.push_back(str(notes.memo));
    }

    std::vector<std::u16string> order;
    if (!page.tabOrder.front().empty()) {
        for (auto name : page.tabOrder)
            if (!name.empty()) order.push_back(str(name));
    } else {
        order = std::move(usual);
    }
    for (std::size_t i = 0; i < order.size(); ++i) {
        // The notes memo takes no focus; its group box is the stop.
        const std::u16string& name = !notes.memo.empty() && order[i] == notes.memo ? notesGroup : order[i];
        if (ControlRow* row = t.find(name, first)) row->tab = static_cast<int>(i);
    }
}

void addImagingPages(TableBuilder& t) {
    t.add(u"PageControl2", K::PageControl, u"TabSheet3", {}, {0, 0, 548, 407}, 0, u"PageControl2Exit");
    for (int i = 0; i < kImagingPageCount; ++i) addImagingPage(t, kImagingPages[static_cast<std::size_t>(i)], i);
}

void addChoosePage(TableBuilder& t) {
    const std::u16string_view page = u"TabSheet19";
    t.add(u"CheckBox_imaging_autoload", K::CheckBox, page, u"Automatically load all imaging systems", {0, 0, 548, 17},
          1, u"CheckBox_imaging_autoloadClick");
    t.add(u"FlowPanel1", K::FlowPanel, page, {}, {0, 17, 548, 390}, 0).background = kYellow;
}

const std::vector<ControlRow>& table() {
    static const std::vector<ControlRow> rows = [] {
        TableBuilder t;
        const std::u16string form = mainWindowDesign().name;
        addTopStrip(t, form);
        addPrintersPage(t);
        addConfigPage(t);
        addImagingPages(t);
        addChoosePage(t);
        return t.take();
    }();
    return rows;
}

}  // namespace

const WindowDesign& mainWindowDesign() {
    static const WindowDesign design{u"Form1", u"Veltrane Client Tools", 570, 490, {11, false}, u"FormCreate"};
    return design;
}

std::span<const ControlRow> windowControls() { return table(); }

const ControlRow* findControl(std::u16string_view name) {
    for (const auto& row : table())
        if (row.name == name) return &row;
    return nullptr;
}

std::vector<const ControlRow*> childrenOf(std::u16string_view parent) {
    std::vector<const ControlRow*> children;
    for (const auto& row : table())
        if (row.parent == parent) children.push_back(&row);
    // Focus stops by their tab position, then the rest as they were made.
    std::stable_sort(children.begin(), children.end(), [](const ControlRow* a, const ControlRow* b) {
        const bool aStop = a->tab >= 0, bStop = b->tab >= 0;
        if (aStop != bStop) return aStop;
        return aStop && a->tab < b->tab;
    });
    return children;
}

int pageIndex(std::u16string_view sheet) {
    const ControlRow* row = findControl(sheet);
    return row && row->kind == ControlKind::TabSheet ? row->tab : -1;
}

}  // namespace veltrane::app
