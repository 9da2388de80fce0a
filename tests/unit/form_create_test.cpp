#include <gtest/gtest.h>

#include "app/tform1.h"
#include "base/error.h"
#include "fakes/fake_platform.h"

namespace veltrane {
namespace {

using fakes::kVeltraneKey;

struct FormCreateFixture : ::testing::Test {
    fakes::FakePlatform p;
    app::TForm1 form{p.bundle};

    void args(std::vector<std::u16string> rest) {
        p.commandLine.args = {u"/opt/vct/veltrane-client-tools"};
        for (auto& a : rest) p.commandLine.args.push_back(a);
    }
};

TEST_F(FormCreateFixture, NoArgumentsFillsTheWindowAndDispatchesNothing) {
    p.printers.names = {u"HP LaserJet", u"Zebra"};
    form.FormCreate();
    EXPECT_EQ(form.Memo1.Lines, std::vector<std::u16string>{u"/opt/veltrane/veltrane-client-tools"});
    // The printer system is not asked at start-up; the window fills the list when it is built.
    EXPECT_TRUE(form.ListBoxPrinters.Items.empty());
    form.loadPrinterListBox();
    EXPECT_EQ(form.ListBoxPrinters.Items, p.printers.names);
    EXPECT_EQ(form.ListBoxPrinters.ItemIndex, -1);
    EXPECT_EQ(form.systemShortNames.size(), 25u);
    EXPECT_EQ(form.systemLongNames.size(), 25u);
    EXPECT_EQ(form.systemShortNames[20], u"sirona");
    EXPECT_EQ(form.systemLongNames[20], u"Sidexis");
    EXPECT_EQ(form.PageControl1.ActivePageIndex, 0);
    EXPECT_EQ(form.Label3.Caption, u"---");  // no request: the dispatcher never ran
    // Designed captions are replaced even when nothing is stored.
    EXPECT_EQ(form.LabelApptDefault.Caption, u"");
    EXPECT_EQ(form.LabelReceiptDefault.Caption, u"");
}

TEST_F(FormCreateFixture, CommandLineScan) {
    struct Case {
        std::vector<std::u16string> args;
        std::u16string server, client, ini;
    };
    const Case cases[] = {
        {{u"-x", u"r.ini", u"-s", u"srv"}, u"srv", u"", u"r.ini"},
        {{u"-s", u"a", u"-s", u"b"}, u"b", u"", u""},          // the last occurrence wins
        {{u"-s", u"-x", u"r.ini"}, u"-x", u"", u"r.ini"},      // the value is scanned again
        {{u"-X", u"r.ini", u"/x", u"q", u"-xr.ini"}, u"", u"", u""},  // case-sensitive, must stand alone
        {{u"-c", u"10.1.1.1"}, u"", u"10.1.1.1", u""},
        {{u"-x"}, u"", u"", u""},                              // a final option has the empty value
        {{u"-x", u"/tmp/with blank.ini"}, u"", u"", u"/tmp/with blank.ini"},
    };
    for (const auto& c : cases) {
        fakes::FakePlatform q;
        q.commandLine.args = {u"prog"};
        for (auto& a : c.args) q.commandLine.args.push_back(a);
        app::TForm1 f(q.bundle);
        // The scan comes first; a request file named here holds no action, which is refused after the scan.
        if (c.ini.empty()) {
            f.FormCreate();
        } else {
            EXPECT_THROW(f.FormCreate(), Error);
        }
        EXPECT_EQ(f.serverIP, c.server);
        EXPECT_EQ(f.clientIP, c.client);
        EXPECT_EQ(f.iniFileName, c.ini);
        EXPECT_EQ(f.Memo1.Lines.size(), c.args.size() + 1);
    }
}

TEST_F(FormCreateFixture, ReadsStoredSettingsAndStoresTheServer) {
    p.registry.setString(kVeltraneKey, u"apptcard_printer", u"Zebra");
    p.registry.setString(kVeltraneKey, u"receipt_printer", u"Epson");
    p.registry.setString(kVeltraneKey, u"server_ip", u"old.example");
    p.registry.setString(kVeltraneKey, u"word_location", u"w");
    p.registry.setString(kVeltraneKey, u"docs_location", u"d");
    p.registry.setString(kVeltraneKey, u"appt_type", u"Dedicated");
    p.registry.setString(kVeltraneKey, u"receipt_type", u"Normal");
    args({u"-s", u"new.example"});
    form.FormCreate();
    EXPECT_EQ(form.apptPrinter, u"Zebra");
    EXPECT_EQ(form.receiptPrinter, u"Epson");
    EXPECT_EQ(form.serverIP, u"new.example");
    EXPECT_EQ(p.registry.getString(kVeltraneKey, u"server_ip"), u"new.example");
    EXPECT_EQ(form.wordLoc, u"w");
    EXPECT_EQ(form.docsLoc, u"d");
    EXPECT_EQ(form.LabelApptDefault.Caption, u"Zebra");
    EXPECT_EQ(form.LabelReceiptDefault.Caption, u"Epson");
    EXPECT_EQ(form.ComboBoxApptType.Text, u"Dedicated");
    EXPECT_EQ(form.ComboBoxReceiptType.Text, u"Normal");
}

TEST_F(FormCreateFixture, FinalServerOptionFallsBackToTheStoredServer) {
    p.registry.setString(kVeltraneKey, u"server_ip", u"stored");
    args({u"-s"});
    form.FormCreate();
    EXPECT_EQ(form.serverIP, u"stored");
}

TEST_F(FormCreateFixture, KeyThatCannotBeCreatedKeepsOnlyTheCommandLine) {
    p.registry.refuseCreate = true;
    args({u"-s", u"srv"});
    form.FormCreate();
    EXPECT_EQ(form.serverIP, u"srv");
    EXPECT_FALSE(p.registry.keys.count(kVeltraneKey));
}

// The shared log is anyone's to break; start-up goes on to the catalogue and the command line regardless.
TEST_F(FormCreateFixture, ALogThatCannotBeWrittenStopsNothing) {
    p.enableLog();
    p.files.failWith = "File access denied";
    args({u"-s", u"srv"});
    EXPECT_NO_THROW(form.FormCreate());
    EXPECT_FALSE(form.systemShortNames.empty());
    EXPECT_EQ(form.serverIP, u"srv");
}

TEST_F(FormCreateFixture, NonTextSettingStopsAtThatRead) {
    p.registry.setString(kVeltraneKey, u"apptcard_printer", u"Zebra");
    p.registry.setRaw(kVeltraneKey, u"receipt_printer", platform::RegType::Dword, {1, 0, 0, 0});
    try {
        form.FormCreate();
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Invalid data type for 'receipt_printer'");
    }
    EXPECT_EQ(form.apptPrinter, u"Zebra");
    EXPECT_EQ(form.LabelApptDefault.Caption, u"no default");  // step 7 never ran
}

// A request that cannot be carried out is said (logged, and thrown for the window's error report) instead of
// opening the configuration window without a word; the scan and the stored settings are done by then.
TEST_F(FormCreateFixture, ARequestThatCannotBeReadOrHoldsNoActionIsSaid) {
    struct Case {
        const char* what;
        std::string unreadable;  // the reader's reason, or empty
        std::u16string action;
        std::string message;  // empty: no refusal
    };
    const Case cases[] = {
        {"missing", "No such file or directory", u"", "The request file req.ini cannot be read: No such file or directory"},
        {"a folder", "it is a folder", u"", "The request file req.ini cannot be read: it is a folder"},
        {"no action", "", u"", "The request file req.ini holds no action"},
        {"an images request", "", u"images", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fakes::FakePlatform q;
        q.enableLog();
        q.commandLine.args = {u"prog", u"-x", u"req.ini", u"-s", u"srv"};
        if (!c.unreadable.empty()) q.ini.unreadable[u"req.ini"] = c.unreadable;
        if (!c.action.empty()) q.ini.set(u"req.ini", u"settings", u"action", c.action);
        app::TForm1 f(q.bundle);
        std::string error;
        try {
            f.FormCreate();
        } catch (const Error& e) {
            error = e.what();
        } catch (const fakes::ProcessExited&) {
        }
        EXPECT_EQ(error, c.message);
        EXPECT_EQ(f.serverIP, u"srv");
        const auto lines = q.logLines();
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[1], "Parse ini file");
        if (!c.message.empty()) {
            EXPECT_EQ(lines.back(), c.message);
            EXPECT_TRUE(q.browser.navigations.empty());
            EXPECT_TRUE(q.launcher.launched.empty());
        }
    }
}

TEST_F(FormCreateFixture, RequestFileIsDispatchedAtTheEnd) {
    p.enableLog();
    args({u"-x", u"req.ini"});
    p.ini.set(u"req.ini", u"Settings", u"ACTION", u"Print");
    form.FormCreate();
    EXPECT_EQ(form.Label3.Caption, u"Print");
    EXPECT_EQ(p.logLines(), (std::vector<std::string>{"=== Load Client Tools ===", "Parse ini file", "Print"}));
}

}  // namespace
}  // namespace veltrane
