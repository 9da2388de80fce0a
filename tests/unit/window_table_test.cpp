#include "app/window/window_table.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "app/window/imaging_pages.h"
#include "app/window/window_events.h"
#include "base/text.h"
#include "imaging/bridge_table.h"
#include "imaging/catalogue.h"

namespace veltrane {
namespace {

using app::ControlKind;
using app::findControl;

// Worked values of the window's layout tables, written out independently of the table.
TEST(WindowTable, HoldsTheDesignedPlacesOfTheWindowAndItsControls) {
    const auto& window = app::mainWindowDesign();
    EXPECT_EQ(window.caption, u"Veltrane Client Tools");
    EXPECT_EQ(window.clientWidth, 570);
    EXPECT_EQ(window.clientHeight, 490);
    EXPECT_EQ(window.font, (app::FontStyle{11, false}));
    EXPECT_EQ(window.createHandler, u"FormCreate");

    struct Case {
        const char16_t* name;
        ControlKind kind;
        const char16_t* parent;
        const char16_t* caption;
        app::Bounds bounds;
        int tab;
        const char16_t* handler;
    };
    const Case cases[] = {
        {u"Label1", ControlKind::Label, u"Form1", u"Veltrane Client Tools", {8, 8, 241, 26}, -1, u""},
        {u"PageControl1", ControlKind::PageControl, u"Form1", u"", {8, 46, 556, 435}, 0, u""},
        {u"ColorButton1", ControlKind::Button, u"Form1", u"DONE", {456, 8, 106, 49}, 1, u"ColorButton1Click"},
        {u"Button2",
         ControlKind::Button,
         u"TabSheet1",
         u"Set Appointment Default",
         {405, 22, 140, 25},
         0,
         u"Button2Click"},
        {u"ListBoxPrinters", ControlKind::ListBox, u"TabSheet1", u"", {3, 22, 396, 97}, 4, u""},
        {u"LabelApptDefault", ControlKind::Label, u"TabSheet1", u"no default", {124, 125, 49, 13}, -1, u""},
        {u"ComboBoxApptType",
         ControlKind::ComboBox,
         u"TabSheet1",
         u"",
         {61, 163, 101, 21},
         2,
         u"ComboBoxApptTypeChange"},
        {u"ComboBoxReceiptType",
         ControlKind::ComboBox,
         u"TabSheet1",
         u"",
         {271, 163, 101, 21},
         3,
         u"ComboBoxReceiptTypeChange"},
        {u"Panel1", ControlKind::Panel, u"TabSheet1", u"", {3, 190, 542, 216}, 5, u""},
        {u"WebBrowser1", ControlKind::Browser, u"Panel1", u"", {1, 1, 540, 214}, 0, u"WebBrowser1NavigateComplete2"},
        {u"CheckBoxSSL",
         ControlKind::CheckBox,
         u"TabSheet2",
         u"Server uses SSL",
         {448, 3, 97, 17},
         2,
         u"CheckBoxSSLClick"},
        {u"Memo1", ControlKind::Memo, u"TabSheet2", u"", {3, 26, 542, 378}, 0, u""},
        {u"PageControl2", ControlKind::PageControl, u"TabSheet3", u"", {0, 0, 548, 407}, 0, u"PageControl2Exit"},
        {u"TabSheet16", ControlKind::TabSheet, u"PageControl2", u"Mediadent", {}, 12, u"TabSheet16Show"},
        {u"CheckBox_dexis_enabled",
         ControlKind::CheckBox,
         u"TabSheet6",
         u"Enabled",
         {3, 3, 97, 17},
         0,
         u"CheckBox_dexis_enabledClick"},
        {u"Edit_dexis_program", ControlKind::Edit, u"TabSheet6", u"", {106, 28, 255, 21}, 1, u"Edit_dexis_programExit"},
        {u"Button6", ControlKind::Button, u"TabSheet6", u"Browse...", {367, 26, 75, 25}, 2, u"Button6Click"},
        {u"Edit_cliniview_program",
         ControlKind::Edit,
         u"TabSheet27",
         u"",
         {106, 30, 255, 21},
         2,
         u"Edit_cliniview_programExit"},
        {u"Button31", ControlKind::Button, u"TabSheet27", u"Browse...", {367, 26, 75, 25}, 1, u"Button31Click"},
        {u"Button32", ControlKind::Button, u"TabSheet27", u"Browse...", {367, 57, 75, 25}, 4, u"Button32Click"},
        {u"Label_sirona_program", ControlKind::Label, u"TabSheet24", u"Program Executable:", {3, 31, 0, 13}, -1, u""},
        {u"Button28", ControlKind::Button, u"TabSheet24", u"Browse...", {367, 24, 75, 25}, 2, u"Button28Click"},
        {u"Button27", ControlKind::Button, u"TabSheet24", u"Browse...", {367, 53, 75, 25}, 4, u"Button27Click"},
        {u"Edit_dicom_pad", ControlKind::Edit, u"TabSheet8", u"", {106, 53, 71, 21}, 3, u"Edit_dicom_padExit"},
        {u"Edit_examinepro_images",
         ControlKind::Edit,
         u"TabSheet17",
         u"",
         {106, 57, 255, 21},
         1,
         u"Edit_examinepro_imagesExit"},
        {u"CheckBox_dbswin_noid",
         ControlKind::CheckBox,
         u"TabSheet4",
         u"Don't send Patient ID",
         {3, 89, 134, 17},
         5,
         u"CheckBox_dbswin_noidClick"},
        {u"GroupBox_Memo4", ControlKind::GroupBox, u"TabSheet4", u"Notes", {11, 112, 526, 57}, 6, u""},
        {u"Memo4", ControlKind::Memo, u"GroupBox_Memo4", u"", {2, 15, 522, 40}, -1, u""},
        {u"GroupBox_Memo5", ControlKind::GroupBox, u"TabSheet25", u"Notes", {3, 87, 526, 66}, 3, u""},
        {u"Memo5", ControlKind::Memo, u"GroupBox_Memo5", u"", {2, 15, 522, 49}, -1, u""},
        {u"Edit_dtxstudio_pad", ControlKind::Edit, u"TabSheet25", u"", {106, 53, 71, 21}, 4, u"Edit_dtxstudio_padExit"},
        {u"RadioGroupDigoraNameFormat",
         ControlKind::RadioGroup,
         u"TabSheet9",
         u"Name Format",
         {3, 26, 182, 95},
         1,
         u"RadioGroupDigoraNameFormatClick"},
        {u"FlowPanel1", ControlKind::FlowPanel, u"TabSheet19", u"", {0, 17, 548, 390}, 0, u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(utf16ToUtf8(c.name));
        const auto* row = findControl(c.name);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->kind, c.kind);
        EXPECT_EQ(row->parent, c.parent);
        EXPECT_EQ(row->caption, c.caption);
        EXPECT_EQ(row->bounds, c.bounds);
        EXPECT_EQ(row->tab, c.tab);
        EXPECT_EQ(row->handler, c.handler);
    }
    EXPECT_EQ(findControl(u"ListBoxPrinters")->itemHeight, 13);
    EXPECT_EQ(findControl(u"ColorButton2")->font, (app::FontStyle{19, true}));
    EXPECT_EQ(findControl(u"FlowPanel1")->background, (app::Rgb{255, 255, 0}));
    EXPECT_FALSE(findControl(u"Form1")) << "the window is not one of its controls";
    EXPECT_EQ(findControl(u"ComboBoxApptType")->items, (std::vector<std::u16string>{u"Normal", u"Dedicated"}));
    const auto* notes = findControl(u"Memo7");
    EXPECT_EQ(notes->items, (std::vector<std::u16string>{u"Program Location usually: C:\\Program Files\\Cliniview",
                                                         u"Patimport Location usually: C:\\ProgramData\\Cliniview"}));
    EXPECT_FALSE(notes->enabled);
    EXPECT_TRUE(notes->readOnly);
    EXPECT_FALSE(notes->border);
    EXPECT_EQ(findControl(u"Nonexistent"), nullptr);
}

// What a toolkit building the window relies on: unique names, parents made first, every control inside its
// parent, each parent's keyboard order without gaps or repeats, and every handler one the core has.
TEST(WindowTable, EveryRowCanBeBuiltOnItsParent) {
    std::map<std::u16string, const app::ControlRow*> made;
    std::map<std::u16string, std::set<int>> tabs;
    for (const auto& row : app::windowControls()) {
        SCOPED_TRACE(utf16ToUtf8(row.name));
        EXPECT_TRUE(made.emplace(row.name, &row).second) << "name used twice";
        app::Bounds parentBounds{0, 0, 570, 490};
        if (row.parent != app::mainWindowDesign().name) {
            auto parent = made.find(row.parent);
            ASSERT_NE(parent, made.end()) << "parent not made before its child";
            parentBounds = parent->second->bounds;
            if (parent->second->kind == ControlKind::TabSheet) parentBounds = {0, 0, 548, 407};
            if (row.kind == ControlKind::TabSheet) {
                EXPECT_EQ(parent->second->kind, ControlKind::PageControl);
            }
        }
        if (row.kind != ControlKind::TabSheet) {
            EXPECT_GE(row.bounds.left, 0);
            EXPECT_GE(row.bounds.top, 0);
            EXPECT_GT(row.bounds.height, 0);
            EXPECT_LE(row.bounds.left + row.bounds.width, parentBounds.width);
            EXPECT_LE(row.bounds.top + row.bounds.height, parentBounds.height);
        }
        if (row.tab >= 0) {
            EXPECT_TRUE(tabs[row.parent].insert(row.tab).second) << "tab position used twice";
        }
        if (!row.handler.empty()) {
            EXPECT_TRUE(app::isWindowHandler(row.handler)) << utf16ToUtf8(row.handler);
        }
    }
    for (const auto& [parent, positions] : tabs) {
        SCOPED_TRACE(utf16ToUtf8(parent));
        EXPECT_EQ(*positions.rbegin() + 1, static_cast<int>(positions.size())) << "gap in the keyboard order";
    }
    EXPECT_FALSE(app::isWindowHandler(u"TabSheet99Show"));
    EXPECT_FALSE(app::isWindowHandler(u"Edit_nobody_programExit"));
}

TEST(WindowTable, ChildrenComeInKeyboardOrder) {
    std::vector<std::u16string> names;
    for (const auto* row : app::childrenOf(u"TabSheet22")) names.push_back(row->name);
    // Dr Suni: the "Enabled" box is last; then the label, which takes no focus.
    EXPECT_EQ(names, (std::vector<std::u16string>{u"Edit_suni_program", u"Button24", u"CheckBox_suni_enabled",
                                                  u"Label_suni_program"}));
    names.clear();
    for (const auto* row : app::childrenOf(u"PageControl1")) names.push_back(row->caption);
    EXPECT_EQ(names, (std::vector<std::u16string>{u"Printers", u"Config", u"Imaging", u"Choose Imaging System"}));
    EXPECT_EQ(app::childrenOf(u"PageControl2").size(), 24u);
    EXPECT_EQ(app::pageIndex(u"TabSheet27"), 22);
    EXPECT_EQ(app::pageIndex(u"TabSheet19"), 3);
    EXPECT_EQ(app::pageIndex(u"Button2"), -1);
}

// One row per imaging system: the page stores its values under the names the system's bridge reads.
TEST(ImagingSystemRows, PagesStoreWhatTheBridgesRead) {
    std::set<std::u16string_view> paged;
    for (const auto& page : app::kImagingPages) {
        SCOPED_TRACE(utf16ToUtf8(page.caption));
        const auto* system = imaging::findSystem(page.shortName);
        ASSERT_NE(system, nullptr);
        EXPECT_TRUE(paged.insert(page.shortName).second);
        EXPECT_EQ(page.enabledValue, system->settings.enabled);
        const imaging::BridgeDefinition* bridge = nullptr;
        for (const auto* b : imaging::dispatchTable())
            if (b->shortName == page.shortName) bridge = b;
        ASSERT_NE(bridge, nullptr);
        // Every value the bridge reads is set on its page, except the Digora name format, set by its radio group.
        std::set<std::u16string> onPage;
        for (int e = 0; e < page.editCount; ++e) onPage.emplace(page.edits[static_cast<std::size_t>(e)].value);
        if (!page.extraValue.empty()) onPage.emplace(page.extraValue);
        if (page.nameFormat) onPage.emplace(u"digora_nameformat");
        EXPECT_EQ(std::set<std::u16string>(bridge->settingNames.begin(), bridge->settingNames.end()), onPage);
    }
    // Only the iCat viewer has no page.
    EXPECT_EQ(paged.size(), imaging::kCatalogue.size() - 1);
    EXPECT_FALSE(paged.contains(u"icatview"));
}

}  // namespace
}  // namespace veltrane
