#include "dpi/ScaleRules.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

using dpi::DpiSetupVariant;

struct ConversionCase {
    const char* name;
    int value;
    float scale;
    int pixels; // toPixels(value)
    int units;  // toUnits(value)
};

void PrintTo(const ConversionCase& c, std::ostream* out) {
    *out << c.name;
}

class ConversionRule : public testing::TestWithParam<ConversionCase> {};

TEST_P(ConversionRule, PixelsRoundDownUnitsRoundUp) {
    const ConversionCase& c = GetParam();
    EXPECT_EQ(dpi::toPixels(c.value, c.scale), c.pixels);
    EXPECT_EQ(dpi::toUnits(c.value, c.scale), c.units);
}

INSTANTIATE_TEST_SUITE_P(
    Scales, ConversionRule,
    testing::Values(
        // At 1.0 every value passes through in both directions.
        ConversionCase{"unit_scale", 35, 1.0f, 35, 35},
        ConversionCase{"unit_scale_negative", -7, 1.0f, -7, -7},
        // 1.25: 5 units are 6.25 pixels (6); 6 pixels are 4.8 units (5).
        ConversionCase{"five_at_125", 5, 1.25f, 6, 4}, ConversionCase{"six_at_125", 6, 1.25f, 7, 5},
        ConversionCase{"three_at_125", 3, 1.25f, 3, 3},
        ConversionCase{"width35_at_125", 35, 1.25f, 43, 28},
        ConversionCase{"width43_at_125", 43, 1.25f, 53, 35},
        ConversionCase{"height130_at_150", 130, 1.5f, 195, 87},
        // 110 DPI: the factor is not a short binary fraction.
        ConversionCase{"width100_at_110dpi", 100, 110.0f / 96.0f, 114, 88},
        // Negative coordinates (a window left of the primary screen) floor and ceil too.
        ConversionCase{"negative_at_125", -5, 1.25f, -7, -4}),
    [](const testing::TestParamInfo<ConversionCase>& info) { return info.param.name; });

TEST(ConversionRule, RoundTripLosesAtMostTheRounding) {
    // 5 -> 6 -> 5 and 3 -> 3 -> 3 at 1.25; 35 -> 43 -> 35.
    EXPECT_EQ(dpi::toUnitsX(dpi::toPixelsX(5, 1.25f), 1.25f), 5);
    EXPECT_EQ(dpi::toUnitsX(dpi::toPixelsX(3, 1.25f), 1.25f), 3);
    EXPECT_EQ(dpi::toUnitsX(dpi::toPixelsX(35, 1.25f), 1.25f), 35);
    EXPECT_EQ(dpi::toUnitsY(dpi::toPixelsY(130, 1.5f), 1.5f), 130);
}

struct PassThroughCase {
    const char* name;
    int value;
    float scale;
    int moved;   // toPixelsOrKeep
    int limited; // limitToPixels
};

void PrintTo(const PassThroughCase& c, std::ostream* out) {
    *out << c.name;
}

class PassThroughRule : public testing::TestWithParam<PassThroughCase> {};

TEST_P(PassThroughRule, KeepValueAndNoLimitAreNotConverted) {
    const PassThroughCase& c = GetParam();
    EXPECT_EQ(dpi::toPixelsOrKeep(c.value, c.scale), c.moved);
    EXPECT_EQ(dpi::limitToPixels(c.value, c.scale), c.limited);
}

INSTANTIATE_TEST_SUITE_P(Values, PassThroughRule,
                         testing::Values(PassThroughCase{"keep_at_150", base::keepValue, 1.5f,
                                                         base::keepValue, base::keepValue},
                                         PassThroughCase{"keep_at_1", base::keepValue, 1.0f,
                                                         base::keepValue, base::keepValue},
                                         // -1 is a number to a move but "no limit" to the bounds.
                                         PassThroughCase{"minus_one_at_150", -1, 1.5f, -2, -1},
                                         PassThroughCase{"minus_two_at_150", -2, 1.5f, -3, -3},
                                         PassThroughCase{"height130_at_150", 130, 1.5f, 195, 195},
                                         PassThroughCase{"zero_at_150", 0, 1.5f, 0, 0}),
                         [](const testing::TestParamInfo<PassThroughCase>& info) {
                             return info.param.name;
                         });

struct FontCase {
    const char* name;
    int points;
    int logPixels;
    bool alreadyAware;
    int windowsMajor;
    int expected;
};

void PrintTo(const FontCase& c, std::ostream* out) {
    *out << c.name;
}

class FontSizeRule : public testing::TestWithParam<FontCase> {};

TEST_P(FontSizeRule, ScalesUnlessTheSystemAlreadyDoes) {
    const FontCase& c = GetParam();
    float scaleY = static_cast<float>(c.logPixels) / 96.0f;
    EXPECT_EQ(dpi::fontSizeRule(c.points, scaleY, c.alreadyAware, c.windowsMajor), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FontSizeRule,
    testing::Values(
        FontCase{"dpi96", 8, 96, false, 10, 8}, FontCase{"dpi96_aware", 8, 96, true, 10, 8},
        FontCase{"dpi120_not_aware", 8, 120, false, 10, 10},
        FontCase{"dpi120_aware", 8, 120, true, 10, 8}, FontCase{"dpi144_aware", 8, 144, true, 6, 8},
        FontCase{"dpi144_not_aware", 8, 144, false, 6, 12},
        // Below 1.25 even an aware process multiplies: floor(8 x 1.1458) = 9.
        FontCase{"dpi110_aware", 8, 110, true, 10, 9},
        FontCase{"dpi110_not_aware_size11", 11, 110, false, 10, 12},
        FontCase{"xp_dpi144", 8, 144, false, 5, 8}, FontCase{"win2000_dpi120", 9, 120, true, 5, 9}),
    [](const testing::TestParamInfo<FontCase>& info) { return info.param.name; });

struct StockFontCase {
    const char* name;
    int height;
    int logPixels;
    int points;
};

void PrintTo(const StockFontCase& c, std::ostream* out) {
    *out << c.name;
}

class StockFontPointSize : public testing::TestWithParam<StockFontCase> {};

TEST_P(StockFontPointSize, RoundsHalvesToEven) {
    const StockFontCase& c = GetParam();
    EXPECT_EQ(dpi::stockFontPointSize(c.height, c.logPixels), c.points);
}

INSTANTIATE_TEST_SUITE_P(
    Heights, StockFontPointSize,
    testing::Values(StockFontCase{"h11_dpi96", -11, 96, 8},  // 8.25
                    StockFontCase{"h13_dpi96", -13, 96, 10}, // 9.75
                    StockFontCase{"h15_dpi120", -15, 120, 9},
                    StockFontCase{"h4_dpi64_half_even", -4, 64, 4},    // 4.5 -> 4
                    StockFontCase{"h11_dpi144_half_odd", -11, 144, 6}, // 5.5 -> 6
                    StockFontCase{"h16_dpi144", -16, 144, 8},
                    StockFontCase{"positive_height", 13, 96, 8},
                    StockFontCase{"zero_height", 0, 96, 8},
                    StockFontCase{"no_screen_dpi", -12, 0, 9}), // read as 96
    [](const testing::TestParamInfo<StockFontCase>& info) { return info.param.name; });

struct VersionCase {
    const char* name;
    int major;
    int minor;
    DpiSetupVariant variant;
    bool followsMonitor;
};

void PrintTo(const VersionCase& c, std::ostream* out) {
    *out << c.name;
}

class DpiSetupChoice : public testing::TestWithParam<VersionCase> {};

// Each Windows the program runs on gets the awareness call it has, and windows follow a
// monitor's DPI where the system sends the change; a version that could not be read gets none.
TEST_P(DpiSetupChoice, EachWindowsGetsTheSetUpItHas) {
    const VersionCase& c = GetParam();
    EXPECT_EQ(dpi::chooseDpiSetup(c.major, c.minor), c.variant);
    EXPECT_EQ(dpi::followsMonitorDpi(c.major, c.minor), c.followsMonitor);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, DpiSetupChoice,
    testing::Values(VersionCase{"win2000", 5, 0, DpiSetupVariant::User32, false},
                    VersionCase{"xp", 5, 1, DpiSetupVariant::User32, false},
                    VersionCase{"vista", 6, 0, DpiSetupVariant::User32, false},
                    VersionCase{"win7", 6, 1, DpiSetupVariant::User32, false},
                    VersionCase{"win8", 6, 2, DpiSetupVariant::User32, false},
                    VersionCase{"win8_1", 6, 3, DpiSetupVariant::Shcore, true},
                    VersionCase{"win10_and_11", 10, 0, DpiSetupVariant::Shcore, true},
                    VersionCase{"unknown", 0, 0, DpiSetupVariant::None, false}),
    [](const testing::TestParamInfo<VersionCase>& info) { return info.param.name; });

struct DpiChangeCase {
    const char* name;
    int oldDpi;
    int newDpi;
    int percent;
};

void PrintTo(const DpiChangeCase& c, std::ostream* out) {
    *out << c.name;
}

class DpiChangePercent : public testing::TestWithParam<DpiChangeCase> {};

TEST_P(DpiChangePercent, IsSignedWholePercent) {
    const DpiChangeCase& c = GetParam();
    EXPECT_EQ(dpi::dpiChangePercent(c.newDpi, c.oldDpi), c.percent);
}

INSTANTIATE_TEST_SUITE_P(
    Moves, DpiChangePercent,
    testing::Values(
        DpiChangeCase{"up_96_144", 96, 144, 150}, DpiChangeCase{"down_144_120", 144, 120, -120},
        DpiChangeCase{"up_96_110", 96, 110, 115}, DpiChangeCase{"down_144_96", 144, 96, -150},
        DpiChangeCase{"down_110_96", 110, 96, -115}, DpiChangeCase{"same_120", 120, 120, -100},
        DpiChangeCase{"up_96_192", 96, 192, 200},
        // 201/200 = 1.005: a half, rounded to even.
        DpiChangeCase{"half_even_200_201", 200, 201, 100}, DpiChangeCase{"new_zero", 96, 0, 0},
        DpiChangeCase{"old_zero", 0, 144, 0}, DpiChangeCase{"old_negative", -96, 144, 0}),
    [](const testing::TestParamInfo<DpiChangeCase>& info) { return info.param.name; });

struct RescaleCase {
    const char* name;
    int units;
    int percent;
    int expected;
};

void PrintTo(const RescaleCase& c, std::ostream* out) {
    *out << c.name;
}

class RescaleRule : public testing::TestWithParam<RescaleCase> {};

TEST_P(RescaleRule, MultipliesOrDividesAndRoundsHalfEven) {
    const RescaleCase& c = GetParam();
    EXPECT_EQ(dpi::rescaleValue(c.units, c.percent), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Values, RescaleRule,
                         testing::Values(RescaleCase{"width100_up150", 100, 150, 150},
                                         RescaleCase{"height20_up150", 20, 150, 30},
                                         RescaleCase{"width150_down150", 150, -150, 100},
                                         RescaleCase{"height30_down150", 30, -150, 20},
                                         RescaleCase{"three_up150_half_even", 3, 150, 4}, // 4.5
                                         RescaleCase{"five_up150_half_odd", 5, 150, 8},   // 7.5
                                         RescaleCase{"height20_up115", 20, 115, 23},     // 22.99999
                                         RescaleCase{"width100_down120", 100, -120, 83}, // 83.33
                                         RescaleCase{"negative_up150", -3, 150, -4},     // -4.5
                                         RescaleCase{"zero_percent_keeps", 77, 0, 77}),
                         [](const testing::TestParamInfo<RescaleCase>& info) {
                             return info.param.name;
                         });

TEST(RescaleRule, ThereAndBackRestoresTheControl) {
    // A control of 100 x 20 units moved from 96 to 144 DPI and back.
    int up = dpi::dpiChangePercent(144, 96);
    int down = dpi::dpiChangePercent(96, 144);
    EXPECT_EQ(dpi::rescaleValue(dpi::rescaleValue(100, up), down), 100);
    EXPECT_EQ(dpi::rescaleValue(dpi::rescaleValue(20, up), down), 20);
}

TEST(DpiOfScale, RoundsTheScaledBaseDpi) {
    EXPECT_EQ(dpi::dpiOfScale(1.0f), 96);
    EXPECT_EQ(dpi::dpiOfScale(1.25f), 120);
    EXPECT_EQ(dpi::dpiOfScale(1.5f), 144);
    EXPECT_EQ(dpi::dpiOfScale(110.0f / 96.0f), 110);
}

} // namespace
