#include "app/window/accessible_names.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "app/window/imaging_pages.h"
#include "base/text.h"

namespace veltrane {
namespace {

using app::ControlKind;
using app::ControlRow;

const ControlRow& row(std::u16string_view name) {
    const ControlRow* found = app::findControl(name);
    if (!found) throw std::runtime_error("no control " + utf16ToUtf8(std::u16string(name)));
    return *found;
}

// The tab sheet a control lies on, or empty for the controls on the window itself.
std::u16string sheetOf(const ControlRow& control) {
    for (const ControlRow* r = &control; r; r = app::findControl(r->parent))
        if (r->kind == ControlKind::TabSheet && r != &control) return r->name;
    return {};
}

TEST(AccessibleNames, NameTheWorkedControls) {
    struct Case {
        const char16_t* control;
        const char16_t* name;
        const char16_t* label;  // the label that names it, or empty
    };
    const Case cases[] = {
        {u"Edit_dexis_program", u"Program Location:", u"Label_dexis_program"},
        {u"Button6", u"Dexis: Program Location: Browse\u2026", u""},
        {u"CheckBox_dexis_enabled", u"Dexis: Enabled", u""},
        {u"CheckBox_dbswin_enabled", u"DBSWin / VistaSoft: Enabled", u""},
        {u"Button4", u"DBSWin / VistaSoft: Patimport Location: Browse\u2026", u""},
        // Sidexis' buttons are made in another order than their edits: each names the edit it fills.
        {u"Button27", u"Sidexis: Config File: Browse\u2026", u""},
        {u"Button28", u"Sidexis: Program Executable: Browse\u2026", u""},
        {u"Edit_dicom_pad", u"ID Pad Length:", u"Label_dicom_pad"},
        {u"Edit_cliniview_config", u"Config Location:", u"Label_cliniview_config"},
        // Two labels on the row: the nearer one names it.
        {u"ComboBoxReceiptType", u"Receipt type:", u"Label11"},
        {u"ComboBoxApptType", u"Appt type:", u"Label10"},
        // The list's label is above it.
        {u"ListBoxPrinters", u"Default printer", u"Label5"},
        {u"Memo1", u"Program messages", u""},
        {u"Memo4", u"Notes", u""},
        {u"TabSheet6", u"Dexis", u""},
        {u"TabSheet2", u"Config", u""},
        {u"ColorButton1", u"DONE", u""},
        {u"CheckBox_dbswin_noid", u"Don't send Patient ID", u""},
        {u"RadioGroupDigoraNameFormat_1", u"Title Forename Surname", u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(utf16ToUtf8(c.control));
        const ControlRow& control = row(c.control);
        EXPECT_TRUE(app::isInteractive(control));
        EXPECT_EQ(app::accessibleName(control), c.name);
        const ControlRow* label = app::namingLabel(control);
        EXPECT_EQ(label ? label->name : u"", c.label);
    }
}

TEST(AccessibleNames, LeaveWhatTheUserDoesNotOperateUnnamed) {
    for (const char16_t* name : {u"Label5", u"Panel1", u"PageControl2", u"GroupBox_Memo4", u"FlowPanel1"}) {
        SCOPED_TRACE(utf16ToUtf8(name));
        EXPECT_FALSE(app::isInteractive(row(name)));
        EXPECT_EQ(app::accessibleName(row(name)), u"");
    }
}

TEST(AccessibleNames, GiveEveryInteractiveControlANameNoOtherOnItsPageShares) {
    // The window's own controls and the outer tabs are in sight on every page; an imaging page also has the
    // imaging tabs beside it.
    std::map<std::u16string, std::vector<const ControlRow*>> bySheet;
    std::vector<const ControlRow*> everywhere;
    int named = 0;
    for (const ControlRow& control : app::windowControls()) {
        if (!app::isInteractive(control)) continue;
        SCOPED_TRACE(utf16ToUtf8(control.name));
        EXPECT_FALSE(app::accessibleName(control).empty());
        ++named;
        const std::u16string sheet = sheetOf(control);
        if (control.kind == ControlKind::TabSheet && control.parent == u"PageControl1")
            everywhere.push_back(&control);
        else if (control.kind == ControlKind::TabSheet)
            bySheet[u"TabSheet3"].push_back(&control);
        else if (sheet.empty())
            everywhere.push_back(&control);
        else
            bySheet[sheet].push_back(&control);
    }
    EXPECT_GT(named, 100);
    const auto imagingTabs = bySheet[u"TabSheet3"];
    for (auto& [sheet, controls] : bySheet) {
        SCOPED_TRACE(utf16ToUtf8(sheet));
        std::vector<const ControlRow*> inSight = controls;
        inSight.insert(inSight.end(), everywhere.begin(), everywhere.end());
        if (app::imagingPageIndex(sheet) >= 0) inSight.insert(inSight.end(), imagingTabs.begin(), imagingTabs.end());
        std::map<std::u16string, std::u16string> seen;
        for (const ControlRow* control : inSight) {
            const auto [it, fresh] = seen.emplace(app::accessibleName(*control), control->name);
            EXPECT_TRUE(fresh) << utf16ToUtf8(control->name) << " and " << utf16ToUtf8(it->second) << " are both \""
                               << utf16ToUtf8(it->first) << "\"";
        }
    }
}

// The place rule must find, for every edit of every imaging page, the label its page row gives it, and a label
// must never name two controls.
TEST(AccessibleNames, FindEachEditsOwnLabelByItsPlace) {
    for (const auto& page : app::kImagingPages) {
        for (int e = 0; e < page.editCount; ++e) {
            const auto& edit = page.edits[static_cast<std::size_t>(e)];
            SCOPED_TRACE(utf16ToUtf8(std::u16string(edit.name)));
            const ControlRow* label = app::namingLabel(row(edit.name));
            ASSERT_NE(label, nullptr);
            EXPECT_EQ(label->caption, edit.label);
            EXPECT_EQ(label->parent, page.sheet);
        }
    }
    std::map<std::u16string, std::u16string> named;
    for (const ControlRow& control : app::windowControls()) {
        const ControlRow* label = app::namingLabel(control);
        if (!label) continue;
        const auto [it, fresh] = named.emplace(label->name, control.name);
        EXPECT_TRUE(fresh) << utf16ToUtf8(label->name) << " names " << utf16ToUtf8(it->second) << " and "
                           << utf16ToUtf8(control.name);
    }
}

TEST(AccessibleNames, SpeakACaptionWithoutItsMnemonicMarks) {
    const std::pair<std::u16string_view, std::u16string_view> cases[] = {
        {u"&Save", u"Save"},
        {u"Fish && Chips", u"Fish & Chips"},
        {u"Browse...", u"Browse\u2026"},
        {u"..", u".."},
        {u"", u""},
        {u"Trailing&", u"Trailing"},
        {u"&&&A", u"&A"},
    };
    for (const auto& [caption, spoken] : cases) EXPECT_EQ(app::spokenCaption(caption), spoken);
}

}  // namespace
}  // namespace veltrane
