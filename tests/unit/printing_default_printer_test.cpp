#include <gtest/gtest.h>

#include "app/tform1.h"
#include "fakes/fake_platform.h"

namespace veltrane {
namespace {

struct DefaultPrinterFixture : ::testing::Test {
    fakes::FakePlatform p;
    app::TForm1 form{p.bundle};
    DefaultPrinterFixture() {
        p.enableLog();
        p.printers.names = {u"Office", u"Zebra", u"Epson"};
        p.printers.defaultName = u"Office";
    }
};

TEST_F(DefaultPrinterFixture, SelectionIsTakenOnFirstUseAndDoesNotFollowTheSystem) {
    EXPECT_EQ(form.getCurrentPrinter(), u"Office");
    p.printers.defaultName = u"Epson";  // changed behind the program's back
    EXPECT_EQ(form.getCurrentPrinter(), u"Office");
}

TEST_F(DefaultPrinterFixture, DefaultNameMatchesTheFirstEntryWithoutRegardToCase) {
    p.printers.names = {u"zebra", u"Zebra"};
    p.printers.defaultName = u"ZEBRA";
    EXPECT_EQ(form.getCurrentPrinter(), u"zebra");
}

TEST_F(DefaultPrinterFixture, SwitchAndRestoreKeepTheSelectionOneStepBehind) {
    form.SetDefaultPrinter(u"Zebra");
    EXPECT_EQ(form.oldPrinter, u"Office");
    EXPECT_EQ(p.printers.defaultName, u"Zebra");
    // The selection was reset just before the write, so it still names the printer of before.
    EXPECT_EQ(form.getCurrentPrinter(), u"Office");

    form.SetDefaultPrinter(form.oldPrinter);
    EXPECT_EQ(form.oldPrinter, u"Office");
    EXPECT_EQ(p.printers.defaultName, u"Office");
    EXPECT_EQ(form.getCurrentPrinter(), u"Zebra");  // reset to the default of the restoring call's moment
    EXPECT_EQ(form.Memo1.Lines, (std::vector<std::u16string>{u"Default printer: Office", u"Default printer: Office"}));
    EXPECT_EQ(p.printers.profileWrites,
              (std::vector<std::u16string>{u"Zebra,winspool,Ne00:", u"Office,winspool,Ne00:"}));
    EXPECT_EQ(p.logLines(),
              (std::vector<std::string>{"SetDefaultPrinter Zebra", "oldPrinter Office", "Done SetDefaultPrinter",
                                        "SetDefaultPrinter Office", "oldPrinter Office", "Done SetDefaultPrinter"}));
}

TEST_F(DefaultPrinterFixture, ScanWritesEveryExactMatch) {
    struct Case {
        std::vector<std::u16string> names;
        std::u16string target;
        std::size_t writes;
    };
    const Case cases[] = {
        {{u"Office", u"Zebra", u"Zebra"}, u"Zebra", 2},
        {{u"Office", u"Zebra"}, u"zebra", 0},   // letter case differs: nothing changes
        {{u"Office", u"Zebra"}, u"Office", 1},  // already the default: written again
        {{u"Office", u"Zebra"}, u"Zebr", 0},
        {{u"Office", std::u16string(300, u'x')}, std::u16string(300, u'x'), 1},  // no size limit on names
    };
    for (const auto& c : cases) {
        fakes::FakePlatform q;
        q.enableLog();
        q.printers.names = c.names;
        q.printers.defaultName = u"Office";
        app::TForm1 f(q.bundle);
        f.SetDefaultPrinter(c.target);
        EXPECT_EQ(q.printers.profileWrites.size(), c.writes);
        EXPECT_EQ(f.oldPrinter, u"Office");
        EXPECT_EQ(q.logLines().back(), "Done SetDefaultPrinter");
        if (c.writes) {
            EXPECT_EQ(q.printers.profileWrites.back(), c.target + u",winspool,Ne00:");
        }
    }
}

TEST_F(DefaultPrinterFixture, NoDefaultPrinterStopsAtTheRightStep) {
    // Unset selection: stops after the first log line, oldPrinter kept.
    form.oldPrinter = u"before";
    p.printers.defaultName = std::nullopt;
    try {
        form.SetDefaultPrinter(u"Zebra");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "There is no default printer currently selected");
    }
    EXPECT_EQ(form.oldPrinter, u"before");
    EXPECT_TRUE(form.Memo1.Lines.empty());
    EXPECT_EQ(p.logLines(), std::vector<std::string>{"SetDefaultPrinter Zebra"});

    // Selection already set: the reset at step 5 fails after the Memo1 line.
    fakes::FakePlatform q;
    q.enableLog();
    q.printers.names = {u"Office", u"Zebra"};
    q.printers.defaultName = u"Office";
    app::TForm1 f(q.bundle);
    f.getCurrentPrinter();
    q.printers.defaultName = u"Gone";  // a default that is not in the list counts as none
    EXPECT_THROW(f.SetDefaultPrinter(u"Zebra"), Error);
    EXPECT_EQ(f.oldPrinter, u"Office");
    EXPECT_EQ(f.Memo1.Lines.size(), 1u);
    EXPECT_TRUE(q.printers.profileWrites.empty());
    EXPECT_EQ(q.logLines(), (std::vector<std::string>{"SetDefaultPrinter Zebra", "oldPrinter Office"}));

    // An empty list fails the same way.
    fakes::FakePlatform r;
    r.printers.defaultName = u"Office";
    app::TForm1 g(r.bundle);
    EXPECT_THROW(g.getCurrentPrinter(), Error);
}

TEST_F(DefaultPrinterFixture, AFailedDefaultWriteIsReported) {
    p.printers.writeFailure = "Unable to save lpoptions";
    try {
        form.SetDefaultPrinter(u"Zebra");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Unable to save lpoptions");
    }
    EXPECT_NE(p.logLines().back(), "Done SetDefaultPrinter");
}

}  // namespace
}  // namespace veltrane
