#include "app/window/imaging_pages.h"

#include <gtest/gtest.h>

#include <set>

#include "app/tform1.h"
#include "fakes/fake_platform.h"
#include "platform/paths.h"
#include "support/error_text.h"

namespace veltrane {
namespace {

using app::kImagingPages;
using fakes::kVeltraneKey;
using testing::errorText;

// A path written with "/" in the platform's delimiter, as the pages store folder locations.
std::u16string native(std::u16string path) {
    for (char16_t& c : path) {
        if (c == u'/') c = platform::kPathDelimiter;
    }
    return path;
}

struct ImagingPagesFixture : ::testing::Test {
    fakes::FakePlatform p;
    app::TForm1 form{p.bundle};

    void store(std::u16string_view name, std::u16string_view value) {
        p.registry.setString(kVeltraneKey, std::u16string(name), std::u16string(value));
    }
    std::optional<std::u16string> stored(std::u16string_view name) {
        return p.registry.getString(kVeltraneKey, std::u16string(name));
    }
};

TEST(ImagingPageTable, EveryPageIsWiredToItsOwnSettings) {
    std::set<std::u16string_view> controls;
    ASSERT_EQ(kImagingPages.size(), 24u);
    EXPECT_EQ(kImagingPages[app::kCliniviewPage].caption, u"Cliniview");
    for (const auto& page : kImagingPages) {
        SCOPED_TRACE(utf16ToUtf8(page.caption));
        // Every value of a page shares the page's prefix, and every control name is unique in the window.
        const auto prefix =
            page.enabledValue.substr(0, page.enabledValue.size() - std::u16string_view(u"_enabled").size());
        EXPECT_EQ(page.enabledBox, u"CheckBox_" + std::u16string(page.enabledValue));
        EXPECT_TRUE(controls.insert(page.enabledBox).second);
        for (int e = 0; e < page.editCount; ++e) {
            const auto& edit = page.edits[static_cast<std::size_t>(e)];
            EXPECT_EQ(edit.value.substr(0, prefix.size() + 1), std::u16string(prefix) + u"_");
            EXPECT_EQ(edit.name.substr(0, 5 + prefix.size()), u"Edit_" + std::u16string(prefix));
            EXPECT_TRUE(controls.insert(edit.name).second);
        }
        for (int b = 0; b < page.browseCount; ++b) {
            const auto& browse = page.browses[static_cast<std::size_t>(b)];
            EXPECT_LT(browse.edit, page.editCount);
            EXPECT_TRUE(controls.insert(browse.name).second);
        }
    }
}

TEST(ImagingPageTable, ParseItemIndex) {
    struct Case {
        std::u16string text;
        int expected;  // INT32_MIN: an error
    };
    const int kError = INT32_MIN;
    const Case cases[] = {
        {u"0", 0},
        {u"1", 1},
        {u"2", 2},
        {u"7", 2},
        {u"-1", -1},
        {u"-5", -1},
        {u"  1", 1},
        {u"+2", 2},
        {u"$1", 1},
        {u"0x2", 2},
        {u"0XA", 2},
        {u"$ff", 2},
        {u"-$1", -1},
        {u"2147483647", 2},
        {u"-2147483648", -1},
        {u"$FFFFFFFF", -1},  // the 32-bit pattern of -1
        {u"", kError},
        {u"1 ", kError},
        {u"abc", kError},
        {u"$", kError},
        {u"0x", kError},
        {u"1.0", kError},
        {u"2147483648", kError},
        {u"99999999999999999999", kError},
        {u"-", kError},
        {u"12a", kError},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(utf16ToUtf8(c.text));
        if (c.expected == kError) {
            try {
                app::parseItemIndex(c.text, 2);
                ADD_FAILURE() << "no error";
            } catch (const Error& e) {
                EXPECT_EQ(std::string(e.what()), "'" + utf16ToUtf8(c.text) + "' is not a valid integer value");
            }
        } else {
            EXPECT_EQ(app::parseItemIndex(c.text, 2), c.expected);
        }
    }
}

TEST(ImagingPageTable, StoredForms) {
    using app::StoreForm;
    EXPECT_EQ(app::storedForm(u"", StoreForm::Folder), native(u"/"));
    EXPECT_EQ(app::storedForm(native(u"/srv/images"), StoreForm::Folder), native(u"/srv/images/"));
    EXPECT_EQ(app::storedForm(native(u"/srv/images/"), StoreForm::Folder), native(u"/srv/images/"));
    EXPECT_EQ(app::storedForm(u"", StoreForm::AsTyped), u"");
    EXPECT_EQ(app::storedForm(u"/opt/x.exe ", StoreForm::AsTyped), u"/opt/x.exe ");
}

// Every page: edits show the stored text unchanged, a "true" box is checked and rewritten in its own form,
// a "0" box stays unchecked and keeps its text.
TEST_F(ImagingPagesFixture, EveryPageShowFillsItsControlsAndRewritesChangedFlags) {
    for (int i = 0; i < app::kImagingPageCount; ++i) {
        const auto& page = kImagingPages[static_cast<std::size_t>(i)];
        SCOPED_TRACE(utf16ToUtf8(page.caption));
        for (int e = 0; e < page.editCount; ++e)
            store(page.edits[static_cast<std::size_t>(e)].value,
                  u"stored " + std::u16string(page.edits[static_cast<std::size_t>(e)].value));
        store(page.enabledValue, u"true");
        if (!page.extraBox.empty()) store(page.extraValue, u"0");
        if (page.nameFormat) store(u"digora_nameformat", u"1");

        form.imagingPageShow(i);

        for (int e = 0; e < page.editCount; ++e) {
            const auto& edit = page.edits[static_cast<std::size_t>(e)];
            EXPECT_EQ(form.imagingEdit(edit.name).Text, u"stored " + std::u16string(edit.value));
            EXPECT_EQ(stored(edit.value), u"stored " + std::u16string(edit.value));  // showing stores nothing
        }
        EXPECT_TRUE(form.imagingCheckBox(page.enabledBox).Checked);
        EXPECT_EQ(stored(page.enabledValue), u"True");
        if (!page.extraBox.empty()) {
            EXPECT_FALSE(form.imagingCheckBox(page.extraBox).Checked);
            EXPECT_EQ(stored(page.extraValue), u"0");  // unchanged box: no click, no rewrite
        }
        if (page.nameFormat) {
            EXPECT_EQ(form.RadioGroupDigoraNameFormat.ItemIndex, 1);
        }
    }
}

TEST_F(ImagingPagesFixture, ShowingAgainWithAnUnchangedBoxStoresNothing) {
    store(u"dexis_enabled", u"TRUE");
    form.imagingPageShow(2);
    EXPECT_EQ(stored(u"dexis_enabled"), u"True");
    store(u"dexis_enabled", u"1");
    const auto writes = p.registry.writeLog.size();
    form.imagingPageShow(2);  // already checked: the box does not change, so "1" stays
    EXPECT_EQ(stored(u"dexis_enabled"), u"1");
    EXPECT_EQ(p.registry.writeLog.size(), writes);
}

TEST_F(ImagingPagesFixture, ABadFlagStopsTheShowAfterWhatWasAlreadyFilled) {
    store(u"dbswin_program", u"/opt/dbswin/dbswin.exe");
    store(u"dbswin_images", u"/srv/dbswin/");
    store(u"dbswin_enabled", u"yes");
    store(u"dbswin_noid", u"True");
    EXPECT_EQ(errorText([&] { form.imagingPageShow(0); }), "'yes' is not a valid boolean value");
    EXPECT_EQ(form.imagingEdit(u"Edit_dbswin_images").Text, u"/srv/dbswin/");
    EXPECT_FALSE(form.imagingCheckBox(u"CheckBox_dbswin_noid").Checked);  // never reached
}

TEST_F(ImagingPagesFixture, DigoraNameFormat) {
    struct Case {
        std::u16string stored;
        int groupBefore;
        int groupAfter;
        std::optional<std::u16string> storedAfter;
        std::string error;
    };
    const Case cases[] = {
        {u"7", 0, 2, u"2", ""},  // clamped, and the changed selection is stored back
        {u"2", 2, 2, u"2", ""},  // unchanged: no click
        {u"0x1", -1, 1, u"1", ""},
        {u"-9", 1, -1, u"-9", ""},  // clearing the selection is no click
        {u"", 1, 1, u"", "'' is not a valid integer value"},
        {u"two", 0, 0, u"two", "'two' is not a valid integer value"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(utf16ToUtf8(c.stored));
        fakes::FakePlatform q;
        app::TForm1 f(q.bundle);
        q.registry.setString(kVeltraneKey, u"digora_enabled", u"True");
        q.registry.setString(kVeltraneKey, u"digora_nameformat", c.stored);
        f.RadioGroupDigoraNameFormat.ItemIndex = c.groupBefore;
        std::string error;
        try {
            f.imagingPageShow(app::imagingPageIndex(u"TabSheet9"));
        } catch (const Error& e) {
            error = e.what();
        }
        EXPECT_EQ(error, c.error);
        EXPECT_TRUE(f.imagingCheckBox(u"CheckBox_digora_enabled").Checked);  // set before the failing read
        EXPECT_EQ(f.RadioGroupDigoraNameFormat.ItemIndex, c.groupAfter);
        EXPECT_EQ(q.registry.getString(kVeltraneKey, u"digora_nameformat"), c.storedAfter);
    }
}

TEST_F(ImagingPagesFixture, EveryEditStoresItsFormWhenLeft) {
    for (const auto& page : kImagingPages) {
        for (int e = 0; e < page.editCount; ++e) {
            const auto& edit = page.edits[static_cast<std::size_t>(e)];
            SCOPED_TRACE(utf16ToUtf8(edit.name));
            const bool folder = edit.form == app::StoreForm::Folder;
            for (auto [typed, folderForm] : {std::pair<std::u16string, std::u16string>{u"", native(u"/")},
                                             {native(u"/srv/x"), native(u"/srv/x/")},
                                             {native(u"/srv/x/"), native(u"/srv/x/")}}) {
                form.imagingEdit(edit.name).Text = typed;
                form.imagingEditExit(edit.name);
                EXPECT_EQ(stored(edit.value), folder ? folderForm : typed);
                // The edit shows what is stored.
                EXPECT_EQ(form.imagingEdit(edit.name).Text, folder ? folderForm : typed);
            }
        }
    }
    // The pad lengths and the file edits are stored as typed.
    EXPECT_EQ(kImagingPages[4].edits[1].form, app::StoreForm::AsTyped);
    EXPECT_EQ(kImagingPages[19].edits[0].form, app::StoreForm::AsTyped);
}

TEST_F(ImagingPagesFixture, EveryBrowseButtonShowsTheRightDialogAndStoresTheChoice) {
    for (const auto& page : kImagingPages) {
        for (int b = 0; b < page.browseCount; ++b) {
            const auto& browse = page.browses[static_cast<std::size_t>(b)];
            const auto& target = page.edits[static_cast<std::size_t>(browse.edit)];
            SCOPED_TRACE(utf16ToUtf8(browse.name));
            store(target.value, u"before");
            form.imagingEdit(target.name).Text = u"before";

            p.dialogs.answers = {std::nullopt};  // cancelled: nothing changes
            form.imagingBrowseClick(browse.name);
            EXPECT_EQ(p.dialogs.dialogModes.back(), browse.folderMode);
            EXPECT_EQ(stored(target.value), u"before");
            EXPECT_EQ(form.imagingEdit(target.name).Text, u"before");

            p.dialogs.answers = {native(u"/srv/chosen")};
            form.imagingBrowseClick(browse.name);
            const std::u16string expected = browse.folderMode ? native(u"/srv/chosen/") : native(u"/srv/chosen");
            EXPECT_EQ(stored(target.value), expected);
            EXPECT_EQ(form.imagingEdit(target.name).Text, expected);
        }
    }
    EXPECT_TRUE(p.dialogs.shown.empty());
}

TEST_F(ImagingPagesFixture, LeavingTheImagingPagesNeverErasesAnUnshownRomexisProgram) {
    store(u"romexis_program", u"/opt/romexis/romexis.exe");
    form.PageControl2Exit();
    EXPECT_EQ(stored(u"romexis_program"), u"/opt/romexis/romexis.exe");

    form.imagingPageShow(app::imagingPageIndex(u"TabSheet21"));
    EXPECT_EQ(form.imagingEdit(u"Edit_romexis_program").Text, u"/opt/romexis/romexis.exe");
    form.imagingEdit(u"Edit_romexis_program").Text = u"/opt/romexis/new.exe";
    form.PageControl2Exit();
    EXPECT_EQ(stored(u"romexis_program"), u"/opt/romexis/new.exe");  // stored as typed
}

TEST_F(ImagingPagesFixture, WithoutASettingsKeyShowsEmptyTheControlsAndStoreNothing) {
    p.registry.refuseCreate = true;
    form.imagingEdit(u"Edit_dexis_program").Text = u"left over";
    form.imagingCheckBox(u"CheckBox_dexis_enabled").Checked = true;
    form.imagingPageShow(2);
    EXPECT_EQ(form.imagingEdit(u"Edit_dexis_program").Text, u"");
    EXPECT_FALSE(form.imagingCheckBox(u"CheckBox_dexis_enabled").Checked);
    EXPECT_EQ(errorText([&] { form.imagingPageShow(5); }), "'' is not a valid integer value");
    EXPECT_TRUE(p.registry.keys.empty());
}

TEST_F(ImagingPagesFixture, HandlersRunByTheirNames) {
    store(u"sirona_program", u"/opt/sidexis/sidexis.exe");
    EXPECT_TRUE(form.runImagingHandler(u"TabSheet24Show"));
    EXPECT_EQ(form.imagingEdit(u"Edit_sirona_program").Text, u"/opt/sidexis/sidexis.exe");
    form.imagingCheckBox(u"CheckBox_dbswin_noid").Checked = true;
    EXPECT_TRUE(form.runImagingHandler(u"CheckBox_dbswin_noidClick"));
    EXPECT_EQ(stored(u"dbswin_noid"), u"True");
    form.imagingEdit(u"Edit_cliniview_config").Text = native(u"/srv/cv");
    EXPECT_TRUE(form.runImagingHandler(u"Edit_cliniview_configExit"));
    EXPECT_EQ(stored(u"cliniview_images"), native(u"/srv/cv/"));
    p.dialogs.answers = {native(u"/srv/pdata")};
    EXPECT_TRUE(form.runImagingHandler(u"Button27Click"));
    EXPECT_EQ(stored(u"sirona_images"), native(u"/srv/pdata/"));
    for (const char16_t* unknown : {u"Button2Click", u"TabSheet19Show", u"Edit_nothingExit", u"Show", u""})
        EXPECT_FALSE(form.runImagingHandler(unknown)) << utf16ToUtf8(unknown);
}

}  // namespace
}  // namespace veltrane
