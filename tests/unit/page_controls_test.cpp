// The page controls as both windows bind them: which page each shows, which show and exit handlers run.

#include "app/window/page_controls.h"

#include <gtest/gtest.h>

#include <set>

#include "app/tform1.h"
#include "base/error.h"
#include "fakes/fake_platform.h"

namespace veltrane {
namespace {

using Names = std::vector<std::u16string>;

struct PageControlsFixture : ::testing::Test {
    fakes::FakePlatform p;
    app::TForm1 form{p.bundle};
    app::PageControls pages{form};
    std::set<std::u16string> inSight;  // the pages the window shows, as it would report them

    Names showHandlers() {
        return pages.showHandlers([&](const app::ControlRow& sheet) { return inSight.count(sheet.name) > 0; });
    }
};

TEST_F(PageControlsFixture, InnerPageControlsAreShownFirstAndOnAPageTheyHave) {
    const int imagingPages = static_cast<int>(app::childrenOf(u"PageControl2").size());
    struct Case {
        int outer, inner;
        int shownOuter, shownInner;
    };
    for (const Case c : {Case{1, 3, 1, 3}, Case{99, -4, 3, 0}, Case{-1, imagingPages, 0, imagingPages - 1}}) {
        form.PageControl1.ActivePageIndex = c.outer;
        form.PageControl2.ActivePageIndex = c.inner;
        const auto shown = pages.pagesToShow();
        ASSERT_EQ(shown.size(), 2u);
        EXPECT_EQ(shown[0].pageControl->name, u"PageControl2");
        EXPECT_EQ(shown[0].index, c.shownInner);
        EXPECT_EQ(shown[1].pageControl->name, u"PageControl1");
        EXPECT_EQ(shown[1].index, c.shownOuter);
    }
}

TEST_F(PageControlsFixture, APickedTabReachesTheModel) {
    pages.tabChosen(u"PageControl1", 2);
    pages.tabChosen(u"PageControl2", 5);
    EXPECT_EQ(form.PageControl1.ActivePageIndex, 2);
    EXPECT_EQ(form.PageControl2.ActivePageIndex, 5);
    try {
        pages.tabChosen(u"PageControl9", 1);
        FAIL() << "a page control the model lacks was accepted";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "The window model has no page control named PageControl9");
    }
}

TEST_F(PageControlsFixture, AShowHandlerRunsEachTimeItsPageComesIntoSight) {
    EXPECT_EQ(showHandlers(), Names{}) << "nothing is in sight before the window is shown";
    inSight = {u"TabSheet1"};
    EXPECT_EQ(showHandlers(), Names{}) << "the printers page has no show handler";
    inSight = {u"TabSheet2"};
    EXPECT_EQ(showHandlers(), Names{u"TabSheet2Show"});
    EXPECT_EQ(showHandlers(), Names{}) << "a page still in sight does not run its handler again";
    inSight = {u"TabSheet1"};
    EXPECT_EQ(showHandlers(), Names{});
    inSight = {u"TabSheet2"};
    EXPECT_EQ(showHandlers(), Names{u"TabSheet2Show"}) << "a page that comes back runs it again";

    // Pages that come into sight together run their handlers in table order, whatever order the window names them.
    const std::u16string imaging = app::childrenOf(u"PageControl2").at(3)->name;
    inSight = {imaging, u"TabSheet19", u"TabSheet3"};
    EXPECT_EQ(showHandlers(), (Names{u"TabSheet19Show", imaging + u"Show"}));
}

TEST_F(PageControlsFixture, AnExitHandlerRunsWhenTheFocusLeavesItsPageControl) {
    // Where the focus is, by the page controls it lies in.
    const auto in = [](std::set<std::u16string> pageControls) {
        return [pageControls](const app::ControlRow& row) { return pageControls.count(row.name) > 0; };
    };
    const std::set<std::u16string> imaging{u"PageControl1", u"PageControl2"}, printers{u"PageControl1"}, done{};
    EXPECT_EQ(pages.exitHandlers(in(imaging), in(printers)), Names{u"PageControl2Exit"});
    EXPECT_EQ(pages.exitHandlers(in(imaging), in(done)), Names{u"PageControl2Exit"});
    EXPECT_EQ(pages.exitHandlers(in(imaging), in(imaging)), Names{}) << "moving within the imaging pages";
    EXPECT_EQ(pages.exitHandlers(in(printers), in(done)), Names{}) << "the outer page control has no exit handler";
    EXPECT_EQ(pages.exitHandlers(in(printers), in(imaging)), Names{});
}

}  // namespace
}  // namespace veltrane
