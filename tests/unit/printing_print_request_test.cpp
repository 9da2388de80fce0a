#include <gtest/gtest.h>

#include "app/tform1.h"
#include "base/error.h"
#include "base/text.h"
#include "fakes/fake_platform.h"
#include "printing/page_setup.h"
#include "printing/restore_journal.h"

namespace veltrane {
namespace {

using fakes::kVeltraneKey;
using printing::kPageSetupKeyPath;

const std::u16string kRequest = u"/tmp/request.ini";

// A workstation with two printers, the appointment printer configured, and a print request waiting.
struct PrintRequestFixture : ::testing::Test {
    fakes::FakePlatform p;
    PrintRequestFixture() {
        p.enableLog();
        p.printers.names = {u"Office", u"Zebra", u"Epson"};
        p.printers.defaultName = u"Office";
        p.registry.setString(kVeltraneKey, u"apptcard_printer", u"Zebra");
        p.registry.setString(kVeltraneKey, u"appt_type", u"Dedicated");
        p.registry.setString(kVeltraneKey, u"receipt_printer", u"Epson");
        p.registry.setString(kVeltraneKey, u"receipt_type", u"Normal");
        p.commandLine.args = {u"prog", u"-x", kRequest, u"-s", u"srv.example"};
        request(u"print", u"apptcard", u"1234");
    }
    void request(const std::u16string& action, const std::u16string& type, const std::u16string& patient) {
        p.ini.set(kRequest, u"settings", u"action", action);
        p.ini.set(kRequest, u"Settings", u"TYPE", type);
        p.ini.set(kRequest, u"settings", u"patient_id", patient);
    }
    // Runs a whole start and returns the exit code of DONE.
    static int pressDone(app::TForm1& form) {
        try {
            form.ColorButton1Click();
        } catch (const fakes::ProcessExited& e) {
            return e.code;
        }
        return -1;
    }
};

TEST_F(PrintRequestFixture, AppointmentCardPrintEndingWithDone) {
    p.registry.setString(kPageSetupKeyPath, u"margin_top", u"0.750000");
    app::TForm1 form(p.bundle);
    form.FormCreate();
    ASSERT_EQ(p.browser.navigations.size(), 1u);
    EXPECT_EQ(p.browser.navigations[0],
              std::make_pair(std::u16string(u"http://srv.example/veltrane_docs/store/1234/apptcard.html"), 4));
    EXPECT_EQ(form.printType, u"Dedicated");
    EXPECT_EQ(p.printers.defaultName, u"Zebra");
    EXPECT_EQ(form.Label3.Caption, u"print");

    // The load completes and prints with the page setup of the moment: a dedicated card has no margins.
    form.WebBrowser1NavigateComplete2();
    form.ColorButton2Click();
    ASSERT_EQ(p.browser.printedWith.size(), 2u);
    EXPECT_EQ(p.browser.printedWith[0].marginTop, u"0");
    EXPECT_EQ(p.browser.printedWith[0].header, u"");

    EXPECT_EQ(pressDone(form), 0);
    EXPECT_EQ(p.printers.defaultName, u"Office");
    EXPECT_EQ(p.registry.getString(kPageSetupKeyPath, u"margin_top"), u"0.750000");
    EXPECT_EQ(p.logLines(),
              (std::vector<std::string>{
                  "=== Load Client Tools ===", "Parse ini file", "print", "Initial set new printer to Zebra",
                  "SetDefaultPrinter Zebra", "oldPrinter Office", "Done SetDefaultPrinter", "Initial setup IE Zebra",
                  "Start setIE", "OK to setIE", "Done setIE", "resetProgram", "resetProgram oldPrinter Office",
                  "SetDefaultPrinter Office", "oldPrinter Office", "Done SetDefaultPrinter", "Start resetIE",
                  "Done resetIE", "*** Done resetProgram + close ***"}));
    const std::vector<std::u16string> memoTail(form.Memo1.Lines.end() - 2, form.Memo1.Lines.end());
    EXPECT_EQ(memoTail, (std::vector<std::u16string>{u"Default printer: Office", u"Default printer: Office"}));
}

TEST_F(PrintRequestFixture, ReceiptLogNamesTheReceiptPrinter) {
    request(u"print", u"receipt", u"9");
    app::TForm1 form(p.bundle);
    form.FormCreate();
    const auto lines = p.logLines();
    EXPECT_EQ(lines[3], "Initial set new printer to Epson");
    EXPECT_EQ(lines[7], "Initial setup IE Epson");
    EXPECT_EQ(form.printType, u"Normal");
    EXPECT_EQ(p.printers.defaultName, u"Epson");
}

TEST_F(PrintRequestFixture, UrlAndSwitchFollowTheRequest) {
    struct Case {
        const char* what;
        std::u16string action, type, patient;
        std::optional<std::u16string> docsFolder, ssl;
        std::u16string server;
        bool switched;
        std::u16string url;  // empty: nothing is requested
    };
    const Case cases[] = {
        {"default folder",
         u"print",
         u"apptcard",
         u"1234",
         {},
         {},
         u"S",
         true,
         u"http://S/veltrane_docs/store/1234/apptcard.html"},
        {"other type prints on the current default",
         u"print",
         u"letter",
         u"7",
         {},
         {},
         u"S",
         false,
         u"http://S/veltrane_docs/store/7/letter.html"},
        {"empty folder is kept", u"print", u"receipt", u"7", u"", {}, u"S", true, u"http://S//store/7/receipt.html"},
        {"ssl as 1", u"print", u"receipt", u"7", u"d", u"1", u"S", true, u"https://S/d/store/7/receipt.html"},
        {"ssl as TRUE", u"print", u"receipt", u"7", u"d", u"TRUE", u"S", true, u"https://S/d/store/7/receipt.html"},
        {"ssl empty", u"print", u"receipt", u"7", u"d", u"", u"S", true, u"http://S/d/store/7/receipt.html"},
        {"each value one segment",
         u"print",
         u"apptcard",
         u"12 34/../x?y#z",
         u"a b",
         {},
         u"S",
         true,
         u"http://S/a%20b/store/12%2034%2F..%2Fx%3Fy%23z/apptcard.html"},
        {"no server switches nothing", u"print", u"apptcard", u"1", u"/127.0.0.1:8099/steal", {}, u"", false, u""},
        {"server with a path", u"print", u"apptcard", u"1", {}, {}, u"S/x", false, u""},
        {"a way up switches nothing", u"print", u"apptcard", u"..", {}, {}, u"S", false, u""},
        {"action in other case", u"Print", u"apptcard", u"1", {}, {}, u"S", false, u""},
        {"images ignores the type", u"images", u"apptcard", u"1", {}, {}, u"S", false, u""},
    };
    for (const auto& c : cases) {
        fakes::FakePlatform q;
        q.printers.names = {u"Office", u"Zebra", u"Epson"};
        q.printers.defaultName = u"Office";
        q.registry.setString(kVeltraneKey, u"apptcard_printer", u"Zebra");
        q.registry.setString(kVeltraneKey, u"receipt_printer", u"Epson");
        if (c.ssl) q.registry.setString(kVeltraneKey, u"server_ssl", *c.ssl);
        q.ini.set(kRequest, u"settings", u"action", c.action);
        q.ini.set(kRequest, u"settings", u"type", c.type);
        q.ini.set(kRequest, u"settings", u"patient_id", c.patient);
        if (c.docsFolder) q.ini.set(kRequest, u"settings", u"docs_folder", *c.docsFolder);
        q.commandLine.args = {u"prog", u"-x", kRequest};
        if (!c.server.empty()) q.commandLine.args.insert(q.commandLine.args.end(), {u"-s", c.server});
        app::TForm1 form(q.bundle);
        try {
            form.FormCreate();
        } catch (const fakes::ProcessExited&) {
            // An images request with nothing enabled may end the process; the print branch never does.
        } catch (const Error& e) {
            // A refused request says why in the log and in the print status, before anything changes.
            EXPECT_TRUE(c.url.empty()) << c.what << ": " << e.what();
            EXPECT_EQ(form.PrintStatus.Caption, utf8ToUtf16(e.what())) << c.what;
        }
        EXPECT_EQ(!q.printers.profileWrites.empty(), c.switched) << c.what;
        EXPECT_EQ(q.registry.keys.count(printing::kPageSetupKeyPath) > 0, c.switched) << c.what;
        if (c.url.empty()) {
            EXPECT_TRUE(q.browser.navigations.empty()) << c.what;
        } else {
            ASSERT_EQ(q.browser.navigations.size(), 1u) << c.what;
            EXPECT_EQ(q.browser.navigations[0].first, c.url) << c.what;
        }
    }
}

TEST_F(PrintRequestFixture, NoServerStopsBeforeAnythingIsSwitchedAndSaysWhy) {
    p.commandLine.args = {u"prog", u"-x", kRequest};
    p.ini.set(kRequest, u"settings", u"docs_folder", u"/127.0.0.1:8099/steal");
    app::TForm1 form(p.bundle);
    EXPECT_THROW(form.FormCreate(), Error);
    EXPECT_TRUE(p.browser.navigations.empty());
    EXPECT_EQ(p.printers.defaultName, u"Office");
    EXPECT_EQ(form.PrintStatus.Caption,
              u"No practice server is configured: the practice web application passes its address after -s");
    EXPECT_EQ(p.logLines(),
              (std::vector<std::string>{"=== Load Client Tools ===", "Parse ini file", "print",
                                        "Print request not carried out: No practice server is configured: the "
                                        "practice web application passes its address after -s"}));
}

TEST_F(PrintRequestFixture, NoPrinterForTheTypeStillPrintsAndDoneRestoresNothing) {
    p.registry.setString(kVeltraneKey, u"apptcard_printer", u"");
    app::TForm1 form(p.bundle);
    form.FormCreate();
    EXPECT_EQ(form.printType, u"");
    EXPECT_EQ(p.browser.navigations.size(), 1u);
    EXPECT_TRUE(p.printers.profileWrites.empty());
    EXPECT_EQ(pressDone(form), 0);
    EXPECT_EQ(p.logLines(), (std::vector<std::string>{"=== Load Client Tools ===", "Parse ini file", "print",
                                                      "resetProgram", "*** Done resetProgram + close ***"}));
}

TEST_F(PrintRequestFixture, InvalidSslSettingStopsBeforeThePageButKeepsTheSwitch) {
    p.registry.setString(kVeltraneKey, u"server_ssl", u"yes");
    app::TForm1 form(p.bundle);
    try {
        form.FormCreate();
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "'yes' is not a valid boolean value");
    }
    EXPECT_TRUE(p.browser.navigations.empty());
    EXPECT_EQ(p.printers.defaultName, u"Zebra");
    EXPECT_EQ(pressDone(form), 0);  // DONE still puts everything back
    EXPECT_EQ(p.printers.defaultName, u"Office");
}

TEST_F(PrintRequestFixture, PrintFailuresAndEveryNotificationPrints) {
    app::TForm1 form(p.bundle);
    form.FormCreate();
    for (int i = 0; i < 3; ++i) form.WebBrowser1NavigateComplete2();
    for (int i = 0; i < 3; ++i) form.ColorButton2Click();
    EXPECT_EQ(p.browser.prints, 6);
    p.browser.printFailure = "No page is loaded";
    EXPECT_THROW(form.ColorButton2Click(), Error);
    EXPECT_EQ(p.logLines().back(), "Print failed: No page is loaded");
    EXPECT_EQ(form.PrintStatus.Caption, u"Not printed: No page is loaded");
    p.browser.printFailure.reset();

    // A request without a page setup of its own prints with the values of the moment, so a non-text one is
    // reported at print time.
    request(u"print", u"letter", u"1234");
    app::TForm1 letter(p.bundle);
    letter.FormCreate();
    p.registry.setRaw(kPageSetupKeyPath, u"footer", platform::RegType::Binary, {1});
    EXPECT_THROW(letter.WebBrowser1NavigateComplete2(), Error);
    EXPECT_EQ(p.logLines().back(), "Print failed: Invalid data type for 'footer'");
}

TEST_F(PrintRequestFixture, FailedRestoreKeepsTheProgramRunningUntilDoneSucceeds) {
    app::TForm1 form(p.bundle);
    form.FormCreate();
    p.printers.defaultName = std::nullopt;  // the restoring switch cannot find a default
    p.printers.names.clear();
    EXPECT_THROW(form.ColorButton1Click(), Error);
    p.printers.defaultName = u"Zebra";
    EXPECT_EQ(pressDone(form), 0);
    EXPECT_EQ(p.printers.defaultName, u"Office");
}

}  // namespace
}  // namespace veltrane

namespace veltrane {
namespace {

TEST_F(PrintRequestFixture, AWindowThatCannotBeShownSwitchesNothing) {
    p.registry.setString(kPageSetupKeyPath, u"header", u"H");
    p.browser.notViewable = "The print window cannot be shown: no display is available";
    app::TForm1 form(p.bundle);
    try {
        form.FormCreate();
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "The print window cannot be shown: no display is available");
    }
    EXPECT_EQ(p.printers.defaultName, u"Office");
    EXPECT_EQ(p.registry.getString(kPageSetupKeyPath, u"header"), u"H");
    EXPECT_TRUE(p.browser.navigations.empty());
    EXPECT_FALSE(p.registry.getString(printing::kRestoreJournalKeyPath, u"owners").has_value());
    EXPECT_EQ(p.logLines(),
              (std::vector<std::string>{"=== Load Client Tools ===", "Parse ini file", "print",
                                        "Print request not carried out: The print window cannot be shown: no "
                                        "display is available"}));
}

TEST_F(PrintRequestFixture, ThePrintViewSaysWhatIsHappeningAndEachFailureIsLoggedOnce) {
    app::TForm1 form(p.bundle);
    form.FormCreate();
    const std::u16string url = u"http://srv.example/veltrane_docs/store/1234/apptcard.html";
    EXPECT_EQ(form.PrintStatus.Caption, u"Loading " + url + u" \u2026");
    EXPECT_FALSE(form.PrintAgainEnabled);
    form.WebBrowser1Loading(40);
    EXPECT_EQ(form.PrintStatus.Caption, u"Loading " + url + u" \u2026 40 %");
    form.WebBrowser1NavigateComplete2();
    EXPECT_TRUE(form.PrintAgainEnabled);
    form.WebBrowser1Loading(100);  // trailing progress leaves the outcome shown
    EXPECT_EQ(p.browser.printedOn, std::vector<std::u16string>{u"Zebra"});
    EXPECT_EQ(form.PrintStatus.Caption, u"Printing on Zebra \u2026");
    form.WebBrowser1Printed(u"Zebra");
    EXPECT_EQ(form.PrintStatus.Caption, u"Sent to Zebra at 14:05:09");
    form.WebBrowser1PrintCompleted(u"Zebra");
    EXPECT_EQ(form.PrintStatus.Caption, u"Printed on Zebra at 14:05:09");
    const auto linesOfAGoodPrint = p.logLines().size();

    struct Failure {
        void (app::TForm1::*event)(const std::string&);
        std::string message;
        std::string logLine;
        std::u16string status;
        bool printAgain;
    };
    const Failure failures[] = {
        {&app::TForm1::WebBrowser1PrintFailed, "Cannot print on 'Zebra': the printer is stopped",
         "Print failed: Cannot print on 'Zebra': the printer is stopped",
         u"Not printed: Cannot print on 'Zebra': the printer is stopped", true},
        {&app::TForm1::WebBrowser1NavigateFailed, "The page " + utf16ToUtf8(url) + " could not be loaded: gone",
         "Page not loaded: The page " + utf16ToUtf8(url) + " could not be loaded: gone",
         u"The page " + url + u" could not be loaded: gone. Press Print Again to load it again.", true},
    };
    for (const auto& f : failures) {
        SCOPED_TRACE(f.logLine);
        const auto before = p.logLines().size();
        try {
            (form.*f.event)(f.message);
            FAIL() << "no error";
        } catch (const Error& e) {
            EXPECT_EQ(e.what(), f.message);
        }
        const auto lines = p.logLines();
        ASSERT_EQ(lines.size(), before + 1);
        EXPECT_EQ(lines.back(), f.logLine);
        EXPECT_EQ(form.PrintStatus.Caption, f.status);
        EXPECT_EQ(form.PrintAgainEnabled, f.printAgain);
    }
    EXPECT_EQ(linesOfAGoodPrint, 11u);  // a good session logs its steps and nothing else
}

// A server that was down for a moment: Print Again loads the page again and prints it once it has loaded.
TEST_F(PrintRequestFixture, AfterAFailedLoadPrintAgainLoadsThePageAgainAndPrintsIt) {
    app::TForm1 form(p.bundle);
    form.FormCreate();
    const std::u16string url = u"http://srv.example/veltrane_docs/store/1234/apptcard.html";
    EXPECT_THROW(form.WebBrowser1NavigateFailed("The page x could not be loaded: the server refused the connection: "
                                                "is the practice server running, and is its address right?"),
                 Error);
    EXPECT_EQ(form.PrintStatus.Caption,
              u"The page x could not be loaded: the server refused the connection: is the practice server running, "
              u"and is its address right? Press Print Again to load it again.");
    EXPECT_TRUE(form.PrintAgainEnabled);
    form.ColorButton2Click();
    EXPECT_TRUE(p.browser.printedOn.empty()) << "nothing is there to print yet";
    ASSERT_EQ(p.browser.navigations.size(), 2u);
    EXPECT_EQ(p.browser.navigations[1], std::make_pair(url, 4));
    EXPECT_FALSE(form.PrintAgainEnabled) << "a second click while it loads would load it twice";
    EXPECT_EQ(form.PrintStatus.Caption, u"Loading " + url + u" \u2026");
    form.WebBrowser1NavigateComplete2();
    EXPECT_EQ(p.browser.printedOn, std::vector<std::u16string>{u"Zebra"});
    // Loaded now: Print Again prints again, without loading.
    form.ColorButton2Click();
    EXPECT_EQ(p.browser.navigations.size(), 2u);
    EXPECT_EQ(p.browser.printedOn.size(), 2u);
}

// The card printer is configured but not installed: nothing prints on another printer until the user says so.
TEST_F(PrintRequestFixture, APrinterThatIsNotInstalledPrintsNothingElsewhereUntilPrintAgain) {
    p.registry.setString(kVeltraneKey, u"apptcard_printer", u"Card Printer");
    app::TForm1 form(p.bundle);
    form.FormCreate();
    form.WebBrowser1NavigateComplete2();
    EXPECT_TRUE(p.browser.printedOn.empty()) << "the card went to another printer";
    EXPECT_EQ(form.PrintStatus.Caption,
              u"Not printed: the printer \"Card Printer\" set for this document is not installed on this computer. "
              u"Choose an installed printer on the Printers page, or press Print Again to print on Office.");
    EXPECT_TRUE(form.PrintAgainEnabled);
    const auto lines = p.logLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "Printer Card Printer is not installed: nothing is printed until Print Again"),
              lines.end());
    form.ColorButton2Click();
    // The default printer of that moment, as the user chose.
    EXPECT_EQ(p.browser.printedOn, std::vector<std::u16string>{u""});
    EXPECT_EQ(p.logLines().back(), "Print Again on the default printer instead of Card Printer");
}

}  // namespace
}  // namespace veltrane
