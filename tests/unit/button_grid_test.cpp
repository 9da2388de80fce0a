#include "app/window/button_grid.h"

#include <gtest/gtest.h>

namespace veltrane::app {
namespace {

// The panel and the designed button of the "Choose Imaging System" page.
constexpr int kPanelWidth = 548, kPanelHeight = 390, kButtonWidth = 543, kButtonHeight = 60, kFont = 40;

// A caption of `letters` letters, each as wide as 0.6 of the font size, fits when it and the frame do.
CaptionsFit captionsOf(int letters) {
    return [letters](int font, int width, int height) {
        return font + kCaptionMargin / 2 <= height && letters * font * 6 / 10 + kCaptionMargin <= width;
    };
}

TEST(ButtonGrid, FitsEveryCountInsideThePanelWithoutOverlap) {
    struct Case {
        int count;
        int letters;
        int columns;  // expected
        bool designedFont;
    };
    const Case cases[] = {
        {1, 8, 1, true},   {6, 8, 1, true},    // one column keeps the designed size and font
        {7, 8, 2, false},  {12, 8, 2, false},  // short captions: two wide columns give the largest font
        {25, 8, 3, false}, {25, 30, 2, false},  // long captions keep fewer, wider columns
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " buttons, " << c.letters << " letters");
        const ButtonGrid grid =
            layoutImagingButtons(c.count, kPanelWidth, kPanelHeight, kButtonWidth, kButtonHeight, kFont,
                                 captionsOf(c.letters));
        ASSERT_EQ(grid.cells.size(), static_cast<std::size_t>(c.count));
        if (c.designedFont) {
            EXPECT_EQ(grid.fontPixels, kFont);
            EXPECT_EQ(grid.cells.back().width, kButtonWidth);
            EXPECT_EQ(grid.cells.back().height, kButtonHeight);
        } else {
            EXPECT_LE(grid.fontPixels, kFont);
            EXPECT_LT(grid.cells.back().width, kButtonWidth);
            EXPECT_TRUE(captionsOf(c.letters)(grid.fontPixels, grid.cells[0].width, grid.cells[0].height) ||
                        grid.fontPixels == 8);
        }
        int columns = 0;
        for (std::size_t i = 0; i < grid.cells.size(); ++i) {
            const GridCell& a = grid.cells[i];
            EXPECT_GE(a.left, 0);
            EXPECT_GE(a.top, 0);
            EXPECT_LE(a.left + a.width, kPanelWidth);
            EXPECT_LE(a.top + a.height, kPanelHeight);
            if (a.top == 0) ++columns;
            for (std::size_t j = 0; j < i; ++j) {
                const GridCell& b = grid.cells[j];
                const bool apart = a.left >= b.left + b.width || b.left >= a.left + a.width ||
                                   a.top >= b.top + b.height || b.top >= a.top + a.height;
                EXPECT_TRUE(apart) << "buttons " << j << " and " << i << " overlap";
            }
        }
        EXPECT_EQ(columns, c.columns);
    }
}

TEST(ButtonGrid, CaptionsThatNeverFitStillGetButtonsAndTheSmallestFont) {
    const ButtonGrid grid = layoutImagingButtons(10, kPanelWidth, kPanelHeight, kButtonWidth, kButtonHeight, kFont,
                                                 [](int, int, int) { return false; });
    ASSERT_EQ(grid.cells.size(), 10u);
    EXPECT_EQ(grid.fontPixels, 8);
    EXPECT_GT(grid.cells[0].width, 0);
}

TEST(ButtonGrid, APanelTooSmallForTwoColumnsStillGetsButtons) {
    const ButtonGrid grid = layoutImagingButtons(3, 8, 40, 5, 20, kFont, [](int, int, int) { return true; });
    ASSERT_EQ(grid.cells.size(), 3u);
    EXPECT_EQ(grid.fontPixels, 8);
    EXPECT_TRUE(layoutImagingButtons(0, kPanelWidth, kPanelHeight, kButtonWidth, kButtonHeight, kFont,
                                     captionsOf(8))
                    .cells.empty());
}

}  // namespace
}  // namespace veltrane::app
