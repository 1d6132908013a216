#include "dpi/ScaleRules.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace dpi {

namespace {

// A float outside the int range (a huge size, a zero scale) must not turn into undefined
// behaviour on the way back to int.
int clampToInt(double value) {
    if (std::isnan(value))
        return 0;
    if (value >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (value <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

} // namespace

int roundHalfEven(double value) {
    if (std::isnan(value))
        return 0;
    double lower = std::floor(value);
    double fraction = value - lower;
    double result = lower;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(lower, 2.0) != 0.0))
        result = lower + 1.0;
    return clampToInt(result);
}

// The product and the quotient are rounded to single precision before floor and ceil: that is
// what decides 5 units at 1.25 (6.25 -> 6) and 43 pixels back (34.4 -> 35).
int toPixels(int units, float scale) {
    float product = static_cast<float>(units) * scale;
    return clampToInt(std::floor(product));
}

int toUnits(int pixels, float scale) {
    float quotient = static_cast<float>(pixels) / scale;
    return clampToInt(std::ceil(quotient));
}

int toPixelsOrKeep(int units, float scale) {
    return units == base::keepValue ? base::keepValue : toPixels(units, scale);
}

int limitToPixels(int units, float scale) {
    return units == base::keepValue || units == base::kNoLimit ? units : toPixels(units, scale);
}

// Before Vista a process cannot be DPI-aware and the system never virtualises, so sizes stay.
// A process that was already aware at a large scale read the real DPI when the font service
// started, so its point sizes already come out large enough.
int fontSizeRule(int points, float scaleY, bool alreadyDpiAware, int windowsMajorVersion) {
    if (windowsMajorVersion < 6)
        return points;
    if (scaleY >= 1.25f && alreadyDpiAware)
        return points;
    float product = static_cast<float>(points) * scaleY;
    return clampToInt(std::floor(product));
}

// Exact integer arithmetic, so that a height that lands on a half rounds to even reliably.
int stockFontPointSize(int logFontHeight, int logPixelsY) {
    if (logFontHeight >= 0)
        return 8;
    int64_t dpi = logPixelsY > 0 ? logPixelsY : kBaseDpi;
    int64_t numerator = -static_cast<int64_t>(logFontHeight) * 72;
    int64_t quotient = numerator / dpi;
    int64_t twiceRemainder = (numerator % dpi) * 2;
    if (twiceRemainder > dpi || (twiceRemainder == dpi && quotient % 2 != 0))
        ++quotient;
    return clampToInt(static_cast<double>(quotient));
}

int dpiOfScale(float scale) {
    return roundHalfEven(static_cast<double>(scale * 96.0f));
}

DpiSetupVariant chooseDpiSetup(int windowsMajorVersion, int windowsMinorVersion) {
    if (windowsMinorVersion < 0)
        return DpiSetupVariant::None;
    if (windowsMajorVersion == 5)
        return DpiSetupVariant::User32;
    if (windowsMajorVersion == 6 && windowsMinorVersion <= 2)
        return DpiSetupVariant::User32;
    if (windowsMajorVersion == 6 && windowsMinorVersion == 3)
        return DpiSetupVariant::Shcore;
    if (windowsMajorVersion == 10 && windowsMinorVersion == 0)
        return DpiSetupVariant::Shcore;
    return DpiSetupVariant::None;
}

bool followsMonitorDpi(int windowsMajorVersion, int windowsMinorVersion) {
    return windowsMajorVersion > 6 || (windowsMajorVersion == 6 && windowsMinorVersion >= 3);
}

// The quotient is single precision and the percentage rounds halves to even; a change from
// 96 to 110 DPI is therefore 115 %, not 114.58 %.
int dpiChangePercent(int newDpi, int oldDpi) {
    if (newDpi <= 0 || oldDpi <= 0)
        return 0;
    if (newDpi > oldDpi) {
        float quotient = static_cast<float>(newDpi) / static_cast<float>(oldDpi);
        return roundHalfEven(static_cast<double>(quotient * 100.0f));
    }
    float quotient = static_cast<float>(oldDpi) / static_cast<float>(newDpi);
    return -roundHalfEven(static_cast<double>(quotient * 100.0f));
}

int rescaleValue(int units, int percent) {
    if (percent == 0)
        return units;
    float ratio = static_cast<float>(std::llabs(static_cast<long long>(percent))) / 100.0f;
    float value = static_cast<float>(units);
    float scaled = percent > 0 ? value * ratio : value / ratio;
    return roundHalfEven(static_cast<double>(scaled));
}

} // namespace dpi
