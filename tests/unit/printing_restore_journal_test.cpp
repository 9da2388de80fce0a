#include <gtest/gtest.h>

#include "app/tform1.h"
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
            p.commandLine.args.insert(p.commandLine.args.end(), {u"-x", kRequest});
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
        EXPECT_EQ(pageSetup(u"footer"), u"");  // empty before the print: stays as the print left it
        EXPECT_EQ(pageSetup(u"margin_top"), type == u"Dedicated" ? std::optional<std::u16string>(u"0") : std::nullopt);
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

TEST_F(JournalFixture, NeverRestoresWhileTheRecordingProcessRuns) {
    auto printing = start(u"A", true, u"Dedicated");
    start(u"B", false, u"Dedicated");  // the configuration window opened beside the print
    EXPECT_EQ(p.printers.defaultName, u"Zebra");
    EXPECT_EQ(pageSetup(u"header"), u"");

    // A's own DONE puts everything back and clears the record.
    p.instances.self = u"A";
    EXPECT_THROW(printing->ColorButton1Click(), fakes::ProcessExited);
    EXPECT_EQ(p.printers.defaultName, u"Office");
    EXPECT_EQ(p.registry.getString(kRestoreJournalKeyPath, u"owner"), u"");
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
