// Where the popup stands over the work area of the caret's monitor, and which of its rows
// are in view. Native and Windows builds both run it.
#include "popup/PopupPlacement.h"

#include <gtest/gtest.h>

namespace {

using popup::ScreenRect;
using Spot = popup::PopupSpot;

constexpr ScreenRect kScreen{0, 0, 1280, 800};
constexpr ScreenRect kLeftOfPrimary{-1920, 0, 0, 1050};
constexpr ScreenRect kAt150Percent{0, 0, 1920, 1160}; // taskbar below

struct PlacementCase {
    const char* name;
    ScreenRect workArea;
    int caretX, caretY, lineHeight;
    bool afterParen;
    int width, height;
    int x, y;
    Spot spot; // decides whether the line's height must be asked of the IDE
};

// Outer sizes: 632 x 116 is three fields at 96 DPI, 947 x 171 the same at 150 %.
const PlacementCase kCases[] = {
    {"FitsAtTheCaret", kScreen, 200, 150, 16, false, 632, 116, 204, 149, Spot::AtTheCaret},
    {"FitsAfterParenthesis", kScreen, 200, 150, 16, true, 632, 116, 201, 149, Spot::AtTheCaret},
    {"RightEdgeMovesLeftBelowTheLine", kScreen, 921, 300, 16, false, 632, 116, 648, 317,
     Spot::BelowTheLine},
    {"BottomEdgeGoesAboveTheLine", kScreen, 200, 700, 16, false, 632, 116, 204, 583,
     Spot::AboveTheLine},
    {"BothEdges", kScreen, 1000, 700, 16, false, 632, 116, 648, 583, Spot::AboveTheLine},
    {"RightEdgeBelowLineWouldLeaveTheBottom", kScreen, 1000, 680, 16, false, 632, 116, 648, 563,
     Spot::AboveTheLine},
    {"MonitorLeftOfThePrimary", kLeftOfPrimary, -300, 500, 16, false, 632, 116, -632, 517,
     Spot::BelowTheLine},
    {"MonitorLeftOfThePrimaryAtItsLeftEdge", kLeftOfPrimary, -1920, 20, 16, false, 632, 116, -1916,
     19, Spot::AtTheCaret},
    {"At150PercentBothEdges", kAt150Percent, 1500, 1000, 24, false, 947, 171, 973, 828,
     Spot::AboveTheLine},
    {"At150PercentFits", kAt150Percent, 900, 500, 24, true, 947, 171, 901, 499, Spot::AtTheCaret},
    // Fits neither below nor above the line: ends at the bottom of the work area.
    {"TallerThanEitherSide", kScreen, 200, 400, 16, false, 632, 700, 204, 100, Spot::AtTheBottom},
    {"CaretOnTheTopRow", ScreenRect{0, 40, 1280, 800}, 200, 40, 16, false, 632, 116, 204, 40,
     Spot::AtTheCaret},
};

TEST(PopupPlacement, StaysInsideTheCaretsMonitor) {
    for (const PlacementCase& c : kCases) {
        SCOPED_TRACE(c.name);
        popup::PlacementInput input;
        input.workArea = c.workArea;
        input.caretX = c.caretX;
        input.caretY = c.caretY;
        input.lineHeight = c.lineHeight;
        input.afterParen = c.afterParen;
        input.width = c.width;
        input.height = c.height;
        const popup::Placement placed = popup::placePopup(input);
        EXPECT_EQ(placed.at.x, c.x);
        EXPECT_EQ(placed.at.y, c.y);
        EXPECT_EQ(placed.spot, c.spot);
    }
}

// 60 fields on an 800-pixel screen with a 2-pixel frame: 43 rows at 96 DPI (62 + 17 * 43 =
// 793 pixels), 27 at 144 DPI (floor(521 * 1.5) = 781); the focused row is always in view.
TEST(PopupPlacement, ManyRowsScrollTheFocusedOneIntoView) {
    EXPECT_EQ(popup::rowsShown(60, 800, 2, 1.0f), 43);
    EXPECT_EQ(popup::rowsShown(60, 800, 2, 1.5f), 27);
    EXPECT_EQ(popup::rowsShown(3, 800, 2, 1.0f), 3);
    EXPECT_EQ(popup::rowsShown(5, 50, 2, 1.0f), 1);

    EXPECT_EQ(popup::firstRowInView(43, 1, 43, 60), 1);
    EXPECT_EQ(popup::firstRowInView(44, 1, 43, 60), 2);
    EXPECT_EQ(popup::firstRowInView(60, 1, 43, 60), 18); // Shift+Tab from field 1
    EXPECT_EQ(popup::firstRowInView(1, 18, 43, 60), 1);  // Tab from field 60
    EXPECT_EQ(popup::firstRowInView(30, 10, 43, 60), 10);
    EXPECT_EQ(popup::firstRowInView(2, 1, 3, 3), 1);
}

} // namespace
