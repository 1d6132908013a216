#include "dpi/ScaleRules.h"

#include <gtest/gtest.h>

namespace {

using dpi::DpiSetupVariant;

// The rules from two whole numbers to one: a row names its case, the two arguments in the
// order the rule takes them, and the result.
struct IntCase {
    const char* name;
    int first;
    int second;
    int expected;
};

template <size_t N> void expectRule(int (*rule)(int, int), const IntCase (&cases)[N]) {
    for (const IntCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(rule(c.first, c.second), c.expected);
    }
}

// Each step of a round trip (5 -> 6 -> 5 at 1.25) is a row of its own.
TEST(ConversionRule, PixelsRoundDownUnitsRoundUp) {
    struct Case {
        const char* name;
        int value;
        float scale;
        int pixels; // toPixels(value)
        int units;  // toUnits(value)
    };
    const Case cases[] = {
        // At 1.0 every value passes through in both directions.
        {"unit_scale", 35, 1.0f, 35, 35},
        {"unit_scale_negative", -7, 1.0f, -7, -7},
        // 1.25: 5 units are 6.25 pixels (6); 6 pixels are 4.8 units (5).
        {"five_at_125", 5, 1.25f, 6, 4},
        {"six_at_125", 6, 1.25f, 7, 5},
        {"three_at_125", 3, 1.25f, 3, 3},
        {"width35_at_125", 35, 1.25f, 43, 28},
        {"width43_at_125", 43, 1.25f, 53, 35},
        {"height130_at_150", 130, 1.5f, 195, 87},
        {"height195_at_150", 195, 1.5f, 292, 130},
        // 110 DPI: the factor is not a short binary fraction.
        {"width100_at_110dpi", 100, 110.0f / 96.0f, 114, 88},
        // Negative coordinates (a window left of the primary screen) floor and ceil too.
        {"negative_at_125", -5, 1.25f, -7, -4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(dpi::toPixels(c.value, c.scale), c.pixels);
        EXPECT_EQ(dpi::toUnits(c.value, c.scale), c.units);
    }
}

TEST(PassThroughRule, KeepValueAndNoLimitAreNotConverted) {
    struct Case {
        const char* name;
        int value;
        float scale;
        int moved;   // toPixelsOrKeep
        int limited; // limitToPixels
    };
    const Case cases[] = {
        {"keep_at_150", base::keepValue, 1.5f, base::keepValue, base::keepValue},
        {"keep_at_1", base::keepValue, 1.0f, base::keepValue, base::keepValue},
        // -1 is a number to a move but "no limit" to the bounds.
        {"minus_one_at_150", -1, 1.5f, -2, -1},
        {"minus_two_at_150", -2, 1.5f, -3, -3},
        {"height130_at_150", 130, 1.5f, 195, 195},
        {"zero_at_150", 0, 1.5f, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(dpi::toPixelsOrKeep(c.value, c.scale), c.moved);
        EXPECT_EQ(dpi::limitToPixels(c.value, c.scale), c.limited);
    }
}

TEST(FontSizeRule, ScalesUnlessTheSystemAlreadyDoes) {
    struct Case {
        const char* name;
        int points;
        int logPixels;
        bool alreadyAware;
        int windowsMajor;
        int expected;
    };
    const Case cases[] = {
        {"dpi96", 8, 96, false, 10, 8},
        {"dpi96_aware", 8, 96, true, 10, 8},
        {"dpi120_not_aware", 8, 120, false, 10, 10},
        {"dpi120_aware", 8, 120, true, 10, 8},
        {"dpi144_aware", 8, 144, true, 6, 8},
        {"dpi144_not_aware", 8, 144, false, 6, 12},
        // Below 1.25 even an aware process multiplies: floor(8 x 1.1458) = 9.
        {"dpi110_aware", 8, 110, true, 10, 9},
        {"dpi110_not_aware_size11", 11, 110, false, 10, 12},
        {"xp_dpi144", 8, 144, false, 5, 8},
        {"win2000_dpi120", 9, 120, true, 5, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const float scaleY = static_cast<float>(c.logPixels) / 96.0f;
        EXPECT_EQ(dpi::fontSizeRule(c.points, scaleY, c.alreadyAware, c.windowsMajor), c.expected);
    }
}

TEST(StockFontPointSize, RoundsHalvesToEven) {
    const IntCase cases[] = {
        // LOGFONT height, the screen's DPI: points.
        {"h11_dpi96", -11, 96, 8},  // 8.25
        {"h13_dpi96", -13, 96, 10}, // 9.75
        {"h15_dpi120", -15, 120, 9},
        {"h4_dpi64_half_even", -4, 64, 4},    // 4.5 -> 4
        {"h11_dpi144_half_odd", -11, 144, 6}, // 5.5 -> 6
        {"h16_dpi144", -16, 144, 8},
        {"positive_height", 13, 96, 8},
        {"zero_height", 0, 96, 8},
        {"no_screen_dpi", -12, 0, 9}, // read as 96
    };
    expectRule(dpi::stockFontPointSize, cases);
}

// Each Windows the program runs on gets the awareness call it has, and windows follow a
// monitor's DPI where the system sends the change; a version that could not be read gets none.
TEST(DpiSetupChoice, EachWindowsGetsTheSetUpItHas) {
    struct Case {
        const char* name;
        int major;
        int minor;
        DpiSetupVariant variant;
        bool followsMonitor;
    };
    const Case cases[] = {
        {"win2000", 5, 0, DpiSetupVariant::User32, false},
        {"xp", 5, 1, DpiSetupVariant::User32, false},
        {"vista", 6, 0, DpiSetupVariant::User32, false},
        {"win7", 6, 1, DpiSetupVariant::User32, false},
        {"win8", 6, 2, DpiSetupVariant::User32, false},
        {"win8_1", 6, 3, DpiSetupVariant::Shcore, true},
        {"win10_and_11", 10, 0, DpiSetupVariant::Shcore, true},
        {"unknown", 0, 0, DpiSetupVariant::None, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(dpi::chooseDpiSetup(c.major, c.minor), c.variant);
        EXPECT_EQ(dpi::followsMonitorDpi(c.major, c.minor), c.followsMonitor);
    }
}

// A control of 100 x 20 units moved from 96 to 144 DPI and back is the rows up_96_144,
// down_144_96, width100_up150, width150_down150, height20_up150 and height30_down150.
TEST(DpiChangePercent, IsSignedWholePercent) {
    const IntCase cases[] = {
        // The new DPI, the old one: the percent.
        {"up_96_144", 144, 96, 150},
        {"down_144_120", 120, 144, -120},
        {"up_96_110", 110, 96, 115},
        {"down_144_96", 96, 144, -150},
        {"down_110_96", 96, 110, -115},
        {"same_120", 120, 120, -100},
        {"up_96_192", 192, 96, 200},
        // 201/200 = 1.005: a half, rounded to even.
        {"half_even_200_201", 201, 200, 100},
        {"new_zero", 0, 96, 0},
        {"old_zero", 144, 0, 0},
        {"old_negative", 144, -96, 0},
    };
    expectRule(dpi::dpiChangePercent, cases);
}

TEST(RescaleRule, MultipliesOrDividesAndRoundsHalfEven) {
    const IntCase cases[] = {
        // Units, the percent of the DPI change: units.
        {"width100_up150", 100, 150, 150},    {"height20_up150", 20, 150, 30},
        {"width150_down150", 150, -150, 100}, {"height30_down150", 30, -150, 20},
        {"three_up150_half_even", 3, 150, 4}, // 4.5
        {"five_up150_half_odd", 5, 150, 8},   // 7.5
        {"height20_up115", 20, 115, 23},      // 22.99999
        {"width100_down120", 100, -120, 83},  // 83.33
        {"negative_up150", -3, 150, -4},      // -4.5
        {"zero_percent_keeps", 77, 0, 77},
    };
    expectRule(dpi::rescaleValue, cases);
}

TEST(DpiOfScale, RoundsTheScaledBaseDpi) {
    EXPECT_EQ(dpi::dpiOfScale(1.0f), 96);
    EXPECT_EQ(dpi::dpiOfScale(1.25f), 120);
    EXPECT_EQ(dpi::dpiOfScale(1.5f), 144);
    EXPECT_EQ(dpi::dpiOfScale(110.0f / 96.0f), 110);
}

} // namespace
