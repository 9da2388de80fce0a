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
using printing::kRestoreJournalKeyPath;

const std::u16string kRequest = u"/tmp/request.ini";

// One workstation (settings, printers, page setup) shared by successive processes of the program.
struct JournalFixture : ::testing::Test {
    fakes::FakePlatform p;
    JournalFixture() {
        p.enableLog();
        p.printers.names = {u"Office", u"Zebra"};
        p.printers.defaultName = u"Office";
        p.registry.setString(kVeltraneKey, u"apptcard_printer", u"Zebra");
        p.registry.setString(kPageSetupKeyPath, u"header", u"H");
        p.registry.setString(kPageSetupKeyPath, u"margin_left", u"0.500000");
    }
    // Starts a process with the given token; a print request when print is set.
    std::unique_ptr<app::TForm1> start(const std::u16string& token, bool print, const std::u16string& type) {
        p.instances.self = token;
        p.instances.running.push_back(token);
        p.registry.setString(kVeltraneKey, u"appt_type", type);
        p.commandLine.args = {u"prog"};
        if (print) {
            p.commandLine.args.insert(p.commandLine.args.end(), {u"-x", kRequest, u"-s", u"srv"});
            p.ini.set(kRequest, u"settings", u"action", u"print");
            p.ini.set(kRequest, u"settings", u"type", u"apptcard");
        }
        auto form = std::make_unique<app::TForm1>(p.bundle);
        form->FormCreate();
        return form;
    }
    void kill(const std::u16string& token) { std::erase(p.instances.running, token); }
    std::optional<std::u16string> pageSetup(const std::u16string& name) {
        return p.registry.getString(kPageSetupKeyPath, name);
    }
};

TEST_F(JournalFixture, NextStartRestoresWhatAKilledPrintLeftSwitched) {
    for (const std::u16string type : {u"Dedicated", u"Normal"}) {
        p.printers.defaultName = u"Office";
        p.registry.keys.erase(kPageSetupKeyPath);
        p.registry.setString(kPageSetupKeyPath, u"header", u"H");
        p.registry.setString(kPageSetupKeyPath, u"margin_left", u"0.500000");
        start(u"A-" + type, true, type);
        EXPECT_EQ(p.printers.defaultName, u"Zebra");
        kill(u"A-" + type);

        p.files.contents.clear();
        start(u"B-" + type, false, type);
        EXPECT_EQ(p.printers.defaultName, u"Office") << utf16ToUtf8(type);
        EXPECT_EQ(pageSetup(u"header"), u"H");
        EXPECT_EQ(pageSetup(u"margin_left"), u"0.500000");
        // Absent before the print: the engine's usual values, which the print saved and the restore put back, so
        // the print's zero does not stay behind.
        EXPECT_EQ(pageSetup(u"footer"), u"&u&b&d");
        EXPECT_EQ(pageSetup(u"margin_top"), u"0.750000");
        const auto lines = p.logLines();
        ASSERT_GE(lines.size(), 5u);
        EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 5),
                  (std::vector<std::string>{"=== Load Client Tools ===", "Restore after an interrupted print request",
                                            "Restore default printer Office", "Restore page setup",
                                            "Done restore after an interrupted print request"}));

        // Done once: the start after that restores nothing.
        p.files.contents.clear();
        start(u"C-" + type, false, type);
        EXPECT_EQ(p.logLines().size(), 1u);
    }
}

// The old default was removed while a card was open, and the card was closed without DONE: a start cannot put it
// back, so it says so, names the printer that is still the default, and keeps the record until it can.
TEST_F(JournalFixture, ARestoreThatDoesNotTakeKeepsTheRecordAndTellsTheUser) {
    start(u"A", true, u"Normal");
    kill(u"A");
    p.printers.names = {u"Zebra"};
    p.files.contents.clear();
    start(u"B", false, u"Normal");
    EXPECT_EQ(p.printers.defaultName, u"Zebra");
    ASSERT_EQ(p.dialogs.shown.size(), 1u);
    const std::u16string told =
        u"The default printer could not be put back to Office, which is not installed on this computer any more. "
        u"Zebra is still the default printer: choose the default printer in the system's printer settings.";
    EXPECT_EQ(p.dialogs.shown[0].text, told);
    const auto lines = p.logLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(),
                         "Restore not complete, tried again at the next start: " + utf16ToUtf8(told)),
              1);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Done restore after an interrupted print request"), 0);
    EXPECT_NE(p.registry.getString(kRestoreJournalKeyPath, u"printer").value_or(u""), u"");

    // The printer is back: the next start restores it and closes the record.
    p.printers.names = {u"Office", u"Zebra"};
    p.files.contents.clear();
    start(u"C", false, u"Normal");
    EXPECT_EQ(p.printers.defaultName, u"Office");
    EXPECT_EQ(p.dialogs.shown.size(), 1u);
    EXPECT_EQ(p.logLines().back(), "Done restore after an interrupted print request");
}

// The same seen from DONE: written is not restored; DONE says so and offers the way out.
TEST_F(JournalFixture, DoneReadsTheDefaultBackBeforeItSaysRestored) {
    auto card = start(u"A", true, u"Normal");
    p.printers.applyWrites = false;  // the system takes the entry and ignores it
    EXPECT_THROW(card->ColorButton1Click(), Error);
    EXPECT_TRUE(card->CloseAnywayVisible);
    EXPECT_NE(card->PrintStatus.Caption.find(u"could not be put back to Office (Zebra is still the default)"),
              std::u16string::npos);
    EXPECT_NE(p.registry.getString(kRestoreJournalKeyPath, u"owners").value_or(u""), u"");
}

TEST_F(JournalFixture, NeverRestoresWhileTheRecordingProcessRuns) {
    auto printing = start(u"A", true, u"Dedicated");
    start(u"B", false, u"Dedicated");  // the configuration window opened beside the print
    EXPECT_EQ(p.printers.defaultName, u"Zebra");
    EXPECT_EQ(pageSetup(u"header"), u"");

    // A's own DONE puts everything back and clears the record.
    p.instances.self = u"A";
    EXPECT_THROW(printing->ColorButton1Click(), fakes::ProcessExited);
    EXPECT_EQ(p.printers.defaultName, u"Office");
    EXPECT_EQ(p.registry.getString(kRestoreJournalKeyPath, u"owners"), u"");
    kill(u"A");
    p.printers.defaultName = u"Zebra";  // changed later by the user: must not be undone
    start(u"C", false, u"Dedicated");
    EXPECT_EQ(p.printers.defaultName, u"Zebra");
}

TEST_F(JournalFixture, RecordsThePrinterOfBeforeNotTheOneOfTheRestoringCall) {
    auto form = start(u"A", true, u"Normal");
    p.printers.writeFailure = "cannot write";  // DONE fails half-way, after its own switch attempt
    EXPECT_THROW(form->ColorButton1Click(), Error);
    EXPECT_EQ(p.registry.getString(kRestoreJournalKeyPath, u"printer"), u"Office");
    p.printers.writeFailure.reset();
    kill(u"A");
    start(u"B", false, u"Normal");
    EXPECT_EQ(p.printers.defaultName, u"Office");
}

}  // namespace
}  // namespace veltrane

namespace veltrane {
namespace {

// Two requests open at once on one workstation: a card on the dedicated Zebra and a receipt on the normal
// Epson, each in its own process (its own form and token).
struct OverlapFixture : JournalFixture {
    std::map<std::u16string, std::unique_ptr<app::TForm1>> forms;
    OverlapFixture() {
        p.printers.names = {u"Office", u"Zebra", u"Epson"};
        p.registry.setString(kVeltraneKey, u"receipt_printer", u"Epson");
        p.registry.setString(kVeltraneKey, u"receipt_type", u"Normal");
        p.registry.setString(kPageSetupKeyPath, u"margin_top", u"0.750000");
        p.ini.set(u"/tmp/receipt.ini", u"settings", u"action", u"print");
        p.ini.set(u"/tmp/receipt.ini", u"settings", u"type", u"receipt");
    }
    app::TForm1& open(const std::u16string& type) {
        const std::u16string token = type;
        if (type == u"apptcard") {
            forms[token] = start(token, true, u"Dedicated");
        } else {
            p.instances.self = token;
            p.instances.running.push_back(token);
            p.commandLine.args = {u"prog", u"-x", u"/tmp/receipt.ini", u"-s", u"srv"};
            forms[token] = std::make_unique<app::TForm1>(p.bundle);
            forms[token]->FormCreate();
        }
        return *forms[token];
    }
    // Runs an event of one process: its token is the one the platform answers with.
    template <class F>
    void as(const std::u16string& token, F&& event) {
        p.instances.self = token;
        event(*forms[token]);
    }
    void printOnLoad(const std::u16string& token) {
        as(token, [](app::TForm1& f) { f.WebBrowser1NavigateComplete2(); });
    }
    bool done(const std::u16string& token) {
        bool exited = false;
        as(token, [&](app::TForm1& f) {
            try {
                f.ColorButton1Click();
            } catch (const fakes::ProcessExited&) {
                exited = true;
            } catch (const Error&) {
                // reported by the window; the process stays
            }
        });
        if (exited) kill(token);
        return exited;
    }
    void expectWorkstationAsFound() {
        EXPECT_EQ(p.printers.defaultName, u"Office");
        EXPECT_EQ(pageSetup(u"header"), u"H");
        EXPECT_EQ(pageSetup(u"margin_left"), u"0.500000");
        EXPECT_EQ(pageSetup(u"margin_top"), u"0.750000");
        EXPECT_EQ(p.registry.getString(kRestoreJournalKeyPath, u"owners"), u"");
    }
};

TEST_F(OverlapFixture, EachRequestPrintsOnItsPrinterWithItsPageSetupAndTheLastToEndRestores) {
    struct Case {
        const char* name;
        std::vector<std::u16string> startOrder;
        bool printBetweenStarts;  // staggered: the first prints before the second starts
        std::vector<std::u16string> endOrder;
    };
    const Case cases[] = {
        {"card first, DONE card first", {u"apptcard", u"receipt"}, false, {u"apptcard", u"receipt"}},
        {"card first, DONE receipt first", {u"apptcard", u"receipt"}, false, {u"receipt", u"apptcard"}},
        {"receipt first, DONE card first", {u"receipt", u"apptcard"}, false, {u"apptcard", u"receipt"}},
        {"staggered, DONE card first", {u"apptcard", u"receipt"}, true, {u"apptcard", u"receipt"}},
        {"staggered receipt first, DONE receipt first", {u"receipt", u"apptcard"}, true, {u"receipt", u"apptcard"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        p.browser.printedWith.clear();
        p.browser.printedOn.clear();
        open(c.startOrder[0]);
        if (c.printBetweenStarts) printOnLoad(c.startOrder[0]);
        open(c.startOrder[1]);
        if (!c.printBetweenStarts) printOnLoad(c.startOrder[0]);
        printOnLoad(c.startOrder[1]);
        // And each prints again after both have switched.
        for (const auto& token : c.startOrder) as(token, [](app::TForm1& f) { f.ColorButton2Click(); });

        ASSERT_EQ(p.browser.printedOn.size(), 4u);
        for (std::size_t i = 0; i < 4; ++i) {
            const bool card = c.startOrder[i % 2] == u"apptcard";
            EXPECT_EQ(p.browser.printedOn[i], card ? u"Zebra" : u"Epson") << i;
            EXPECT_EQ(p.browser.printedWith[i].marginTop, card ? u"0" : u"0.750000") << i;
            EXPECT_EQ(p.browser.printedWith[i].marginLeft, card ? u"0" : u"0.500000") << i;
            EXPECT_EQ(p.browser.printedWith[i].header, u"") << i;
        }

        EXPECT_TRUE(done(c.endOrder[0]));
        // Nothing is put back while the other request still prints.
        EXPECT_NE(p.printers.defaultName, u"Office");
        EXPECT_EQ(pageSetup(u"header"), u"");
        EXPECT_TRUE(done(c.endOrder[1]));
        expectWorkstationAsFound();
        forms.clear();
    }
}

TEST_F(OverlapFixture, AKilledRequestNeverSpoilsTheRestore) {
    for (const std::u16string killed : {u"apptcard", u"receipt"}) {
        SCOPED_TRACE(utf16ToUtf8(killed));
        open(u"apptcard");
        open(u"receipt");
        const std::u16string survivor = killed == u"apptcard" ? u"receipt" : u"apptcard";
        kill(killed);
        // A start while the survivor is open restores nothing and keeps the survivor's record.
        start(u"config", false, u"Dedicated");
        EXPECT_NE(p.printers.defaultName, u"Office");
        EXPECT_TRUE(done(survivor));
        expectWorkstationAsFound();

        // Both killed: the next start puts back what the first one found.
        open(u"apptcard");
        open(u"receipt");
        kill(u"apptcard");
        kill(u"receipt");
        start(u"next", false, u"Dedicated");
        expectWorkstationAsFound();
        forms.clear();
    }
}

TEST_F(OverlapFixture, AFailedDoneKeepsWhatIsToBeRestoredAndOffersAWayOut) {
    app::TForm1& card = open(u"apptcard");
    // The old default printer cannot be made the default again (it has been removed), twice.
    p.printers.writeFailure = "Cannot make 'Office' the default printer: it is no longer installed";
    EXPECT_FALSE(done(u"apptcard"));
    EXPECT_FALSE(done(u"apptcard"));
    EXPECT_TRUE(card.CloseAnywayVisible);
    EXPECT_NE(card.PrintStatus.Caption.find(u"leave Zebra as the default printer"), std::u16string::npos);
    EXPECT_EQ(p.logLines().back(),
              "resetProgram failed: Cannot make 'Office' the default printer: it is no longer installed");
    EXPECT_EQ(p.registry.getString(kRestoreJournalKeyPath, u"printer"), u"Office");

    // Back again: DONE restores the printer of before the print, not the one the failed attempts found.
    p.printers.writeFailure.reset();
    EXPECT_TRUE(done(u"apptcard"));
    expectWorkstationAsFound();

    // "Close Anyway" ends at once and leaves the record, so the next start restores.
    open(u"apptcard");
    p.instances.self = u"apptcard";
    EXPECT_THROW(forms[u"apptcard"]->CloseAnywayClick(), fakes::ProcessExited);
    kill(u"apptcard");
    EXPECT_EQ(p.printers.defaultName, u"Zebra");
    start(u"next", false, u"Dedicated");
    expectWorkstationAsFound();
}

}  // namespace
}  // namespace veltrane
