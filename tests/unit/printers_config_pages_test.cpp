#include <gtest/gtest.h>

#include "app/tform1.h"
#include "fakes/fake_platform.h"

namespace veltrane {
namespace {

using fakes::kVeltraneKey;

struct PagesFixture : ::testing::Test {
    fakes::FakePlatform p;
    app::TForm1 form{p.bundle};
    std::optional<std::u16string> stored(const std::u16string& name) {
        return p.registry.getString(kVeltraneKey, name);
    }
};

TEST_F(PagesFixture, SettingThePrinters) {
    struct Case {
        void (app::TForm1::*click)();
        std::u16string value;
        app::TLabel app::TForm1::*label;
        std::u16string message;
    };
    const Case cases[] = {
        {&app::TForm1::Button2Click, u"apptcard_printer", &app::TForm1::LabelApptDefault,
         u"Default Appointment Printer set to "},
        {&app::TForm1::Button3Click, u"receipt_printer", &app::TForm1::LabelReceiptDefault,
         u"Default Receipt Printer set to "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(utf16ToUtf8(c.value));
        fakes::FakePlatform q;
        app::TForm1 f(q.bundle);
        f.ListBoxPrinters.Items = {u"Reception", u"Zebra Card"};
        (f.*c.label).Caption = u"unchanged";

        // Nothing selected: the list's own error, nothing stored, label unchanged, no confirmation.
        try {
            (f.*c.click)();
            ADD_FAILURE() << "no error";
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), "List index out of bounds (-1)");
        }
        EXPECT_FALSE(q.registry.getString(kVeltraneKey, c.value).has_value());
        EXPECT_EQ((f.*c.label).Caption, u"unchanged");
        EXPECT_TRUE(q.dialogs.shown.empty());

        // Twice with different selections: the second stays; each is confirmed, centred on the screen.
        for (int index : {1, 0}) {
            f.ListBoxPrinters.ItemIndex = index;
            (f.*c.click)();
        }
        EXPECT_EQ(q.registry.getString(kVeltraneKey, c.value), u"Reception");
        EXPECT_EQ((f.*c.label).Caption, u"Reception");
        ASSERT_EQ(q.dialogs.shown.size(), 2u);
        EXPECT_EQ(q.dialogs.shown[0].text, c.message + u"Zebra Card");
        EXPECT_EQ(q.dialogs.shown[1].text, c.message + u"Reception");
        EXPECT_FALSE(q.dialogs.shown[1].error);
        EXPECT_EQ(q.dialogs.shown[1].placement, platform::MessagePlacement::ScreenCentered);
        // The running program keeps the printers it started with.
        EXPECT_EQ(f.apptPrinter, u"");
        EXPECT_EQ(f.receiptPrinter, u"");
    }
}

TEST_F(PagesFixture, WithoutASettingsKeyThePrinterIsStillConfirmed) {
    p.registry.refuseCreate = true;
    form.ListBoxPrinters.Items = {u"Reception"};
    form.ListBoxPrinters.ItemIndex = 0;
    form.Button2Click();
    EXPECT_TRUE(p.registry.keys.empty());
    ASSERT_EQ(p.dialogs.shown.size(), 1u);
    EXPECT_EQ(form.LabelApptDefault.Caption, u"Reception");
}

TEST_F(PagesFixture, EveryTypedCharacterOfAPrintTypeIsStored) {
    std::vector<std::u16string> seen;
    const std::u16string word = u"Dedicated";
    for (std::size_t n = 1; n <= word.size(); ++n) {
        form.ComboBoxApptType.Text = word.substr(0, n);
        form.ComboBoxApptTypeChange();
        seen.push_back(*stored(u"appt_type"));
    }
    EXPECT_EQ(seen.front(), u"D");
    EXPECT_EQ(seen[1], u"De");
    EXPECT_EQ(seen.back(), u"Dedicated");
    form.ComboBoxReceiptType.Text = u"anything typed";
    form.ComboBoxReceiptTypeChange();
    EXPECT_EQ(stored(u"receipt_type"), u"anything typed");
}

TEST_F(PagesFixture, OptionBoxesLoadOnShowAndStoreOnClick) {
    struct Case {
        std::u16string logging, ssl;
        bool logChecked, sslChecked;
        std::optional<std::u16string> logAfter, sslAfter;
        std::string error;
    };
    const Case cases[] = {
        {u"1", u"true", true, true, u"True", u"True", ""},
        {u"0", u"False", false, false, u"0", u"False", ""},  // unchanged boxes keep their text
        {u"maybe", u"True", false, false, u"maybe", u"True", "'maybe' is not a valid boolean value"},  // SSL not loaded
        {u"True", u"x", true, false, u"True", u"x", "'x' is not a valid boolean value"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(utf16ToUtf8(c.logging + u"/" + c.ssl));
        fakes::FakePlatform q;
        app::TForm1 f(q.bundle);
        q.registry.setString(kVeltraneKey, u"logging_enabled", c.logging);
        q.registry.setString(kVeltraneKey, u"server_ssl", c.ssl);
        std::string error;
        try {
            f.TabSheet2Show();
        } catch (const Error& e) {
            error = e.what();
        }
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(f.CheckBoxLogging.Checked, c.logChecked);
        EXPECT_EQ(f.CheckBoxSSL.Checked, c.sslChecked);
        EXPECT_EQ(q.registry.getString(kVeltraneKey, u"logging_enabled"), c.logAfter);
        EXPECT_EQ(q.registry.getString(kVeltraneKey, u"server_ssl"), c.sslAfter);
    }

    p.registry.setString(kVeltraneKey, u"imaging_autoload", u"TRUE");
    form.TabSheet19Show();
    EXPECT_TRUE(form.CheckBox_imaging_autoload.Checked);
    EXPECT_EQ(stored(u"imaging_autoload"), u"True");
    form.CheckBox_imaging_autoload.Checked = false;
    form.CheckBox_imaging_autoloadClick();
    EXPECT_EQ(stored(u"imaging_autoload"), u"False");
}

TEST_F(PagesFixture, CheckingTheLogBoxSwitchesTheLogForTheVeryNextLine) {
    form.CheckBoxLogging.Checked = true;
    form.CheckBoxLoggingClick();
    form.writeLog(u"after checking");
    auto lines = p.logLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("after checking"), std::string::npos);
    form.CheckBoxLogging.Checked = false;
    form.CheckBoxLoggingClick();
    form.writeLog(u"after unchecking");
    EXPECT_EQ(p.logLines().size(), 1u);
}

}  // namespace
}  // namespace veltrane
