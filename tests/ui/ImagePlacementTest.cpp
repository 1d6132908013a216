// Where an image button draws its image: centred, shifted while pushed, clipped to a margin.
#include "ui/ImagePlacement.h"

#include <gtest/gtest.h>

namespace {

struct PlacementCase {
    const char* name;
    int clientWidth, clientHeight, imageWidth, imageHeight;
    bool pushed, themed;
    int x, y, clipLeft, clipTop, clipRight, clipBottom;
};

class ImagePlacementTest : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(ImagePlacementTest, CentredShiftedWhenPushedClippedToTheMargin) {
    const PlacementCase& test = GetParam();
    const ui::ImagePlacement placement =
        ui::placeButtonImage(test.clientWidth, test.clientHeight, test.imageWidth, test.imageHeight,
                             test.pushed, test.themed);
    EXPECT_EQ(placement.x, test.x);
    EXPECT_EQ(placement.y, test.y);
    EXPECT_EQ(placement.clipLeft, test.clipLeft);
    EXPECT_EQ(placement.clipTop, test.clipTop);
    EXPECT_EQ(placement.clipRight, test.clipRight);
    EXPECT_EQ(placement.clipBottom, test.clipBottom);
}

INSTANTIATE_TEST_SUITE_P(
    Rule, ImagePlacementTest,
    ::testing::Values(
        PlacementCase{"SmallImageThemed", 35, 26, 16, 16, false, true, 9, 5, 4, 4, 31, 22},
        PlacementCase{"SmallImageClassic", 35, 26, 16, 16, false, false, 9, 5, 2, 2, 33, 24},
        PlacementCase{"PushedMovesRightAndDown", 35, 26, 16, 16, true, true, 10, 6, 4, 4, 31, 22},
        // The Donate image is larger than its button at 96 DPI: only its middle shows.
        PlacementCase{"LargerImageCentredWithTruncation", 36, 26, 31, 31, false, true, 2, -2, 4, 4,
                      32, 22},
        PlacementCase{"ScaledButton", 45, 33, 16, 16, false, false, 14, 8, 2, 2, 43, 31},
        PlacementCase{"TinyButtonHasAnEmptyClip", 6, 6, 16, 16, false, true, -5, -5, 4, 4, 4, 4}),
    [](const ::testing::TestParamInfo<PlacementCase>& info) { return info.param.name; });

} // namespace
