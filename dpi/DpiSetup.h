#pragma once
// DPI awareness, the scale factors and the default control font of the process (Win32 only).

#include "dpi/ScaleRules.h"
#include "ui/WindowService.h"

#include <windows.h>

#include <functional>

namespace dpi {

struct WindowsVersion {
    int major = 0;
    int minor = 0;
};

struct ScaleState {
    float scaleX = 1.0f;
    float scaleY = 1.0f;
    bool alreadyDpiAware = false;
    HFONT uiFont = nullptr;
    // Windows follow DPI changes through the service's subclassing, set up with its control
    // classes; the shcore variant asks for it, and the first scaled window makes sure it is there.
    bool subclassWanted = false;
    bool subclassResolved = false;
    // Read from the system on first use and kept; a test may set another (setWindowsVersion).
    WindowsVersion windowsVersion;
    bool windowsVersionKnown = false;
};

// The one ScaleState of the process, written by the set-up at start. Its scale is the one
// windows open at unless given another (a window at the caret takes its monitor's); each
// window keeps its own scale from then on (ui::windowScale).
ScaleState& scaleState();

// The Windows version that the set-up choice, the font size rule and the DPI-change handling
// all go by: the true one (RtlGetVersion, then GetVersionExW), read once, unless
// setWindowsVersion gave another.
void setWindowsVersion(int major, int minor);
WindowsVersion windowsVersion();

void dpiSetupUser32();
void dpiSetupShcore();
void computeScale();

// Runs the set-up variant of the version: dpiSetupUser32, dpiSetupShcore or only computeScale.
void runDpiSetup(DpiSetupVariant variant);

// Has the service prepare its control classes and subclassing (ui::prepareControlClasses) and
// notes whether they are there.
void resolveSubclassFunctions();
// Resolves the subclass functions on first need when the set-up asked for them; true when
// they are there.
bool ensureSubclassFunctions();

// The DPI of the monitor that holds a screen point (shcore's GetDpiForMonitor, Windows 8.1 and
// later); 0 when Windows cannot tell. A test gives a stand-in source of its own (Wine gives
// every monitor the same DPI); an empty source restores Windows's answer.
using MonitorDpiSource = std::function<int(int x, int y)>;
void setMonitorDpiSource(MonitorDpiSource source);
int monitorDpiAt(int x, int y);

// The scale windows open at unless given another: the process's, from the set-up.
ui::WindowScale processScale();

// The scale for a window on the monitor that holds the point: that monitor's DPI, or the
// process's scale when Windows cannot tell it.
ui::WindowScale scaleForMonitorAt(int x, int y);

// fontSizeRule with the scale's vertical factor and the process's awareness and Windows version.
int fontSizeRule(int points, const ui::WindowScale& scale);
int fontSizeRule(int points); // at the process's scale

// 96-DPI units to the window's pixels and back.
inline int toPixelsX(const ui::Window& window, int units) {
    return toPixels(units, ui::windowScale(window).x);
}
inline int toPixelsY(const ui::Window& window, int units) {
    return toPixels(units, ui::windowScale(window).y);
}
inline int toUnitsX(const ui::Window& window, int pixels) {
    return toUnits(pixels, ui::windowScale(window).x);
}
inline int toUnitsY(const ui::Window& window, int pixels) {
    return toUnits(pixels, ui::windowScale(window).y);
}

} // namespace dpi
