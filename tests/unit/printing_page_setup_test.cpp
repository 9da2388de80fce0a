#include <gtest/gtest.h>

#include "app/tform1.h"
#include "fakes/fake_platform.h"
#include "printing/page_setup.h"
#include "printing/restore_journal.h"

namespace veltrane {
namespace {

using printing::kPageSetupKeyPath;

struct PageSetupFixture : ::testing::Test {
    fakes::FakePlatform p;
    app::TForm1 form{p.bundle};
    PageSetupFixture() { p.enableLog(); }
    std::optional<std::u16string> value(const std::u16string& name) const {
        return p.registry.getString(kPageSetupKeyPath, name);
    }
    // The page-setup writes only (the journal has its own key).
    std::vector<std::u16string> pageSetupWrites() const {
        std::vector<std::u16string> out;
        for (const auto& w : p.registry.writeLog) {
            if (w.rfind(kPageSetupKeyPath + u"|", 0) == 0) out.push_back(w.substr(kPageSetupKeyPath.size() + 1));
        }
        return out;
    }
    void storeUserSetup() {
        p.registry.setString(kPageSetupKeyPath, u"header", u"&w&bPage &p");
        p.registry.setString(kPageSetupKeyPath, u"footer", u"&u&b&d");
        p.registry.setString(kPageSetupKeyPath, u"margin_top", u"0.750000");
        p.registry.setString(kPageSetupKeyPath, u"margin_bottom", u"0.500000");
        p.registry.setString(kPageSetupKeyPath, u"margin_left", u"0.250000");
        p.registry.setString(kPageSetupKeyPath, u"margin_right", u"");
    }
};

TEST_F(PageSetupFixture, OnlyExactDedicatedTouchesTheMargins) {
    const std::vector<std::u16string> headerFooterOnly{u"header=", u"footer="};
    const std::vector<std::u16string> dedicated{u"margin_bottom=0", u"margin_top=0", u"margin_left=0",
                                                u"margin_right=0",  u"header=",      u"footer="};
    const std::vector<std::u16string> restoreAll{u"footer=&u&b&d", u"header=&w&bPage &p", u"margin_bottom=0.500000",
                                                 u"margin_top=0.750000", u"margin_left=0.250000"};
    const std::vector<std::u16string> restoreHeaderFooter{u"footer=&u&b&d", u"header=&w&bPage &p"};
    struct Case {
        std::u16string printType;
        const std::vector<std::u16string>& setWrites;
        const std::vector<std::u16string>& resetWrites;
    };
    const Case cases[] = {
        {u"Dedicated", dedicated, restoreAll},
        {u"Normal", headerFooterOnly, restoreHeaderFooter},
        {u"", headerFooterOnly, restoreHeaderFooter},
        {u"dedicated", headerFooterOnly, restoreHeaderFooter},
        {u"DEDICATED", headerFooterOnly, restoreHeaderFooter},
        {u"Dedicated ", headerFooterOnly, restoreHeaderFooter},
    };
    for (const auto& c : cases) {
        p.registry.keys.clear();
        p.registry.writeLog.clear();
        storeUserSetup();
        app::TForm1 g(p.bundle);
        g.printType = c.printType;
        g.setIE();
        EXPECT_EQ(pageSetupWrites(), c.setWrites) << utf16ToUtf8(c.printType);
        EXPECT_EQ(g.oldHeader, u"&w&bPage &p");
        EXPECT_EQ(g.oldFooter, u"&u&b&d");
        EXPECT_EQ(g.oldMarginTop, c.setWrites.size() == 6 ? u"0.750000" : u"");
        p.registry.writeLog.clear();
        g.resetIE();
        // The empty right margin saved before the print is not written back: it keeps the "0".
        EXPECT_EQ(pageSetupWrites(), c.resetWrites) << utf16ToUtf8(c.printType);
        EXPECT_EQ(value(u"margin_right"), c.setWrites.size() == 6 ? u"0" : u"");
    }
}

// Nothing stored yet (a fresh account on Linux): the print saves the engine's usual values, so DONE puts real
// margins back and later normal prints keep them, instead of the dedicated print's zero staying for good.
TEST_F(PageSetupFixture, UserWhoNeverChangedThePageSetup) {
    form.printType = u"Dedicated";
    form.setIE();
    EXPECT_EQ(value(u"margin_top"), u"0");
    EXPECT_EQ(value(u"header"), u"");
    form.resetIE();
    EXPECT_EQ(value(u"header"), u"&w&bPage &p of &P");
    EXPECT_EQ(value(u"footer"), u"&u&b&d");
    for (const auto* name : {u"margin_top", u"margin_bottom", u"margin_left", u"margin_right"}) {
        EXPECT_EQ(value(name), u"0.750000");
    }
    EXPECT_EQ(p.logLines(),
              (std::vector<std::string>{"Start setIE", "OK to setIE", "Done setIE", "Start resetIE", "Done resetIE"}));
}

// A value the user set, an empty header too, is theirs: only absent values get the usual ones.
TEST_F(PageSetupFixture, ValuesThatExistAreNeverReplacedByTheUsualOnes) {
    p.registry.setString(kPageSetupKeyPath, u"header", u"");
    p.registry.setString(kPageSetupKeyPath, u"margin_left", u"0.250000");
    form.printType = u"Normal";
    form.setIE();
    form.resetIE();
    EXPECT_EQ(value(u"header"), u"");
    EXPECT_EQ(value(u"margin_left"), u"0.250000");
    EXPECT_EQ(value(u"footer"), u"&u&b&d");
    EXPECT_EQ(value(u"margin_top"), u"0.750000");
}

TEST_F(PageSetupFixture, KeyThatCannotBeOpenedChangesNothing) {
    p.registry.refuseCreate = true;
    form.printType = u"Dedicated";
    form.setIE();
    form.resetIE();
    EXPECT_TRUE(p.registry.writeLog.empty());
    EXPECT_EQ(p.logLines(), (std::vector<std::string>{"Start setIE", "Done setIE", "Start resetIE", "Done resetIE"}));
}

TEST_F(PageSetupFixture, ErrorsStopWithoutTheClosingLine) {
    // A non-text value.
    p.registry.setRaw(kPageSetupKeyPath, u"header", platform::RegType::Dword, {1, 0, 0, 0});
    try {
        form.setIE();
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Invalid data type for 'header'");
    }
    EXPECT_EQ(p.logLines(), (std::vector<std::string>{"Start setIE", "OK to setIE"}));

    // A refused write, in the order the values are written.
    fakes::FakePlatform q;
    // Every value present, so no usual value is filled in first.
    for (const auto* name : {u"header", u"footer", u"margin_top", u"margin_bottom", u"margin_left", u"margin_right"})
        q.registry.setString(kPageSetupKeyPath, name, u"1");
    // This request's record is complete already, so the first refused write is the page setup's.
    q.registry.setString(printing::kRestoreJournalKeyPath, u"owners", q.instances.self);
    q.registry.setString(printing::kRestoreJournalKeyPath, u"page_setup", u"saved");
    q.registry.setString(printing::kRestoreJournalKeyPath, u"margins", u"saved");
    q.registry.refuseWrites = true;
    app::TForm1 f(q.bundle);
    f.printType = u"Dedicated";
    try {
        f.setIE();
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Failed to set data for 'margin_bottom'");
    }
}

}  // namespace
}  // namespace veltrane
