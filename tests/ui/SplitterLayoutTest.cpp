// The splitter's layout rule: how the space is shared between the two panes.
#include "ui/SplitterLayout.h"

#include <gtest/gtest.h>

namespace {

struct LayoutCase {
    const char* name;
    int setSpace;    // the space when the position was set
    int setPosition; // the position set
    int space;       // the space when laid out
    int firstMinimum;
    int secondMinimum;
    int expectedFirst;
    int expectedSecond;
};

class SplitterLayoutTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(SplitterLayoutTest, SecondPaneFollowsTheRatioThenTheMinimums) {
    const LayoutCase& test = GetParam();
    const ui::SplitterPanes panes =
        ui::layoutSplitterPanes(test.space, ui::splitterRatioFor(test.setSpace, test.setPosition),
                                test.firstMinimum, test.secondMinimum);
    EXPECT_EQ(panes.first, test.expectedFirst);
    EXPECT_EQ(panes.second, test.expectedSecond);
}

// The manager's splitter: 630 wide less the 4-pixel bar, separator at 156.
INSTANTIATE_TEST_SUITE_P(
    Rule, SplitterLayoutTest,
    ::testing::Values(LayoutCase{"SameSizeGivesThePositionBack", 626, 156, 626, 116, 76, 156, 470},
                      LayoutCase{"WiderGrowsTheSecondInProportion", 626, 156, 896, 116, 76, 224,
                                 672},
                      LayoutCase{"NarrowerShrinksIt", 626, 156, 436, 116, 76, 116, 320},
                      LayoutCase{"SecondRaisedToItsMinimum", 626, 600, 626, 116, 76, 550, 76},
                      LayoutCase{"FirstMinimumWinsOverSecond", 626, 156, 150, 116, 76, 116, 34},
                      LayoutCase{"FirstLargerThanTheSpace", 626, 156, 80, 116, 76, 116, 0},
                      LayoutCase{"NoMinimums", 100, 25, 200, 0, 0, 50, 150},
                      LayoutCase{"PositionBeyondTheSpace", 100, 150, 100, 0, 0, 100, 0},
                      LayoutCase{"NegativePosition", 100, -20, 100, 0, 0, 0, 100},
                      LayoutCase{"EmptySpace", 0, 10, 0, 0, 0, 0, 0},
                      LayoutCase{"RoundsTheSecondDown", 3, 1, 10, 0, 0, 4, 6}),
    [](const ::testing::TestParamInfo<LayoutCase>& info) { return info.param.name; });

TEST(SplitterLayoutSweep, SettingAndLayingOutAtTheSameSizeIsExact) {
    for (int space = 1; space <= 700; ++space) {
        for (int position = 0; position <= space; position += 7) {
            const ui::SplitterPanes panes =
                ui::layoutSplitterPanes(space, ui::splitterRatioFor(space, position), 0, 0);
            ASSERT_EQ(panes.first, position) << "space " << space;
        }
    }
}

} // namespace
