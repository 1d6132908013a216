#pragma once
// The arithmetic of the DPI layer: how 96-DPI units become pixels and back, how font sizes
// follow the scale, which awareness set-up a Windows version gets, and how a window's controls
// follow a DPI change. No Win32 here, so every rule is checked natively.

#include "base/LayoutValues.h"

namespace dpi {

// The screen resolution that 96-DPI units are laid out for.
inline constexpr int kBaseDpi = 96;

// Units to pixels (rounded down) and pixels to units (rounded up) for one axis.
int toPixels(int units, float scale);
int toUnits(int pixels, float scale);

inline int toPixelsX(int units, float scaleX) {
    return toPixels(units, scaleX);
}
inline int toPixelsY(int units, float scaleY) {
    return toPixels(units, scaleY);
}
inline int toUnitsX(int pixels, float scaleX) {
    return toUnits(pixels, scaleX);
}
inline int toUnitsY(int pixels, float scaleY) {
    return toUnits(pixels, scaleY);
}

// toPixels, except that keepValue passes through (moves and resizes).
int toPixelsOrKeep(int units, float scale);

// toPixels, except that keepValue and kNoLimit pass through (window size limits).
int limitToPixels(int units, float scale);

// The point size to load a font with, given the size the layout asks for.
int fontSizeRule(int points, float scaleY, bool alreadyDpiAware, int windowsMajorVersion);

// Point size of the stock GUI font from its LOGFONT height and the screen's LOGPIXELSY.
int stockFontPointSize(int logFontHeight, int logPixelsY);

// The horizontal DPI a window is laid out for, from the horizontal scale factor.
int dpiOfScale(float scale);

enum class DpiSetupVariant { User32, Shcore, None };

DpiSetupVariant chooseDpiSetup(int windowsMajorVersion, int windowsMinorVersion);

// Windows 8.1 and every later version: where windows follow a move to another monitor's DPI.
bool followsMonitorDpi(int windowsMajorVersion, int windowsMinorVersion);

// Signed whole percentage of a DPI change: positive when the DPI grows, negative when it
// shrinks; 0 when either DPI is not a usable value, meaning "leave the controls alone".
int dpiChangePercent(int newDpi, int oldDpi);

// One coordinate or size of a control (in 96-DPI units) after a change of dpiChangePercent.
int rescaleValue(int units, int percent);

// Nearest integer, halves to even, clamped to the int range (NaN gives 0).
int roundHalfEven(double value);

} // namespace dpi
